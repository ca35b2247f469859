#include "gui/window/board_tool_dialogs.h"

#include "gui/window/board_change_tools.h"

#include "gui/dialogs/tools/board_history_dialog.h"
#include "gui/dialogs/tools/bus_test_dialog.h"
#include "gui/dialogs/tools/dialog_set_eeprom.h"
#include "gui/dialogs/tools/fw_select_dialog.h"
#include "gui/dialogs/tools/fw_update_dialog.h"
#include "gui/dialogs/tools/self_test_dialog.h"
#include "gui/dialogs/tools/tool_dialog_factory.h"
#include "gui/dialogs/tools/tool_read.h"
#include "tools/board_test_procedure.h"
#include "tools/firmware_updater.h"

#include <QDialog>

namespace z2e {

QStringList BoardToolDialogs::pictureNames()
{
    return QStringList{"selftest", "firmware", "firmware-select", "board-history", "eeprom-editor", "bus-test"} +
           ToolDialogFactory::pictureNames() + BoardChangeTools::pictureNames();
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
    } else if (name == "bus-test") {
        return CBusTestDialog::openForPicture(system, parent);
    }
    if (!dialog)
        return ToolDialogFactory::openForPicture(name, board, parent);
    dialog->show();
    return dialog;
}

} // namespace z2e
