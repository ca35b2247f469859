#include "gui/window/board_tool_dialogs.h"

#include "gui/window/board_change_tools.h"

#include "gui/dialogs/tools/board_history_dialog.h"
#include "gui/dialogs/tools/dialog_set_eeprom.h"
#include "gui/dialogs/tools/fw_select_dialog.h"
#include "gui/dialogs/tools/fw_update_dialog.h"
#include "gui/dialogs/tools/fw_update_pro_dialog.h"
#include "gui/dialogs/tools/self_test_dialog.h"
#include "gui/dialogs/tools/tool_read.h"
#include "tools/board_test_procedure.h"
#include "tools/firmware_updater.h"

#include <QDialog>

#include <map>

namespace z2e {

namespace {

using DialogFactory = std::unique_ptr<QDialog> (*)(const ToolTarget& target, const FileChooser& chooser,
                                                   QWidget* parent);

std::unique_ptr<QDialog> selfTest(const ToolTarget& target, const FileChooser& chooser, QWidget* parent, bool factory)
{
    auto dialog = std::make_unique<CSelfTestDialog>(target, factory, parent);
    dialog->setFileChooser(chooser);
    return dialog;
}

// The dialog each plain board tool opens for the boards of its row; null when they do not fit.
const std::map<MenuEntry, DialogFactory>& boardToolDialogs()
{
    static const std::map<MenuEntry, DialogFactory> dialogs = {
        {MenuEntry::SelfTest, [](const ToolTarget& target, const FileChooser& chooser,
                                 QWidget* parent) { return selfTest(target, chooser, parent, false); }},
        {MenuEntry::FactorySelfTest, [](const ToolTarget& target, const FileChooser& chooser,
                                        QWidget* parent) { return selfTest(target, chooser, parent, true); }},
        {MenuEntry::FirmwareUpdate,
         [](const ToolTarget& target, const FileChooser&, QWidget* parent) -> std::unique_ptr<QDialog> {
             return std::make_unique<CFWUpdateDialog>(target, parent);
         }},
        {MenuEntry::FirmwareUpdatePro,
         [](const ToolTarget& target, const FileChooser& chooser, QWidget* parent) -> std::unique_ptr<QDialog> {
             if (target.boards.size() != 1)
                 return nullptr;
             auto dialog = std::make_unique<CFWUpdateProDialog>(target, parent);
             dialog->setFileChooser(chooser);
             return dialog;
         }},
    };
    return dialogs;
}

} // namespace

std::unique_ptr<QDialog> BoardToolDialogs::make(MenuEntry entry, const ToolTarget& target, const FileChooser& chooser,
                                                QWidget* parent)
{
    const auto it = boardToolDialogs().find(entry);
    if (it == boardToolDialogs().end() || !target.wrapper || target.boards.empty())
        return nullptr;
    return it->second(target, chooser, parent);
}

bool BoardToolDialogs::makes(MenuEntry entry)
{
    return boardToolDialogs().count(entry) != 0;
}

QStringList BoardToolDialogs::pictureNames()
{
    return QStringList{"selftest", "firmware", "firmware-pro", "firmware-select", "board-history", "eeprom-editor"} +
           BoardChangeTools::pictureNames();
}

QDialog* BoardToolDialogs::openForPicture(const QString& name, const ToolTarget& system, const ToolTarget& board,
                                          const std::string& boardSerial, const QString& boardCaption, QWidget* parent)
{
    QDialog* dialog = nullptr;
    if (name == "selftest") {
        auto* selfTest = new CSelfTestDialog(system, false, parent);
        selfTest->show();
        selfTest->runTest(BoardTest::SelfTest);
        return selfTest;
    }
    if (name == "firmware") {
        dialog = new CFWUpdateDialog(system, parent);
    } else if (name == "firmware-pro" && board.wrapper) {
        dialog = new CFWUpdateProDialog(board, parent);
    } else if (name == "firmware-select" && system.wrapper) {
        std::vector<std::string> files;
        QorinNodeUtilWrapper& wrapper = *system.wrapper;
        readBehindProgress(system, "Firmware Select", "Reading the firmware listing.", parent,
                           [&] { return FirmwareUpdater(wrapper, nullptr).listing(files); });
        dialog = new CFWSelectDialog(files, parent);
    } else if (name == "board-history") {
        auto* history = new CBoardHistoryDialog(board.journalFolder, boardSerial, boardCaption, parent);
        if (board.wrapper)
            history->setRestoreTarget(board);
        dialog = history;
    } else if (name == "eeprom-editor" && board.wrapper) {
        dialog = new CDialogSetEEPROM(board, parent);
    }
    if (dialog)
        dialog->show();
    return dialog;
}

} // namespace z2e
