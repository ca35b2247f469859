#include "gui/window/eeprom_menu_actions.h"
#include "gui/window/system_change_lock.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/dialog_set_eeprom.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "tools/eeprom_backup.h"
#include "tools/eeprom_restore.h"
#include "tools/maintenance_journal.h"

#include <utility>

namespace z2e {
namespace {

const char* const kSystemTitle = "System";
const char* const kRestoreTitle = "EEPROM Restore";

bool oneBoard(const ToolTarget* target)
{
    return target && target->wrapper && target->boards.size() == 1 && !target->multiBoard;
}

// A status text, with why the procedure stopped when it says so.
QString statusWithReason(std::int32_t status, const std::string& why)
{
    std::string text = statusMessage(status);
    if (!why.empty())
        text += "\n" + why;
    return QString::fromStdString(text);
}

// The message after a restore: a change the board does not report back as written is said too.
QString restoreOutcome(std::int32_t status, const EepromRestore& restore)
{
    if (status >= 1)
        return statusWithReason(status, restore.message());
    QString text = QString::fromStdString(EepromRestore::outcomeText(status));
    if (!restore.verification().empty() && restore.verification() != "verified")
        text += QString::fromStdString("\nRead-back: " + restore.verification());
    return text;
}

} // namespace

EepromMenuActions::EepromMenuActions(QWidget* parent, FileChooser chooser, std::function<void(const QString&)> status)
    : m_parent(parent), m_chooser(std::move(chooser)), m_status(std::move(status))
{
}

void EepromMenuActions::run(MenuEntry entry, const ToolTarget* target)
{
    switch (entry) {
    case MenuEntry::ConfigureBaseEeprom: return configure(target);
    case MenuEntry::BackupBase: return backup(target, EepromWhich::Base);
    case MenuEntry::BackupPanel: return backup(target, EepromWhich::Connector);
    case MenuEntry::FileRestoreBase: return restoreFromChosenFile(target, EepromWhich::Base);
    case MenuEntry::FileRestorePanel: return restoreFromChosenFile(target, EepromWhich::Connector);
    case MenuEntry::AutoRestoreBase: return autoRestore(target, EepromWhich::Base);
    case MenuEntry::AutoRestoreCon: return autoRestore(target, EepromWhich::Connector);
    default: return;
    }
}

void EepromMenuActions::configure(const ToolTarget* target)
{
    if (!oneBoard(target)) {
        CMiscUtils::notify("EEPROM Config", "Invalid item selected!", m_parent);
        return;
    }
    CDialogSetEEPROM dialog(*target, m_parent);
    dialog.exec();
    const EepromEditorOutcome shown = dialog.outcome();
    if (shown.kind == EepromEditorOutcome::Kind::Success) {
        CMiscUtils::notify(QString::fromStdString(shown.title), QString::fromStdString(shown.text), m_parent);
    } else if (shown.kind == EepromEditorOutcome::Kind::Failure) {
        std::string title = shown.title;
        std::string text = shown.text;
        CMiscUtils::showError(title, text, m_parent);
    }
}

void EepromMenuActions::backup(const ToolTarget* target, EepromWhich which)
{
    if (!oneBoard(target)) {
        CMiscUtils::notifyStatus(kSystemTitle, AppStatus::InternalError, m_parent);
        return;
    }
    FileRequest request;
    request.title = "Select Folder for Backup files";
    request.folder = QString::fromStdString(target->folder);
    request.directory = true;
    const QString folder = m_chooser(m_parent, request);
    if (folder.isEmpty())
        return;

    std::unique_ptr<MaintenanceJournal> journal = journalFor(*target);
    EepromBackup tool(*target->wrapper, journal.get());
    const std::uint32_t board = target->boards.front();
    const std::string chosen = folder.toStdString();
    std::string path;
    const std::int32_t status = CMiscUtils::runBehindProgress(
        kSystemTitle, QString::fromStdString(EepromBackup::progressText(which)), m_parent,
        [&](CInProgress&) { return tool.run(board, which, chosen, path); });
    if (status != AppStatus::Ok) {
        CMiscUtils::notify(kSystemTitle, statusWithReason(status, tool.message()), m_parent);
        return;
    }
    m_status(QString("EEPROM backup written to %1").arg(QString::fromStdString(path)));
}

void EepromMenuActions::restoreFromChosenFile(const ToolTarget* target, EepromWhich which)
{
    if (!oneBoard(target)) {
        CMiscUtils::notifyStatus(kSystemTitle, AppStatus::InternalError, m_parent);
        return;
    }
    const QString path = m_chooser(m_parent, {false, "Select File to Restore from",
                                              QString::fromStdString(target->folder), "Backup Files (*.xml)"});
    if (!path.isEmpty())
        restoreFromFile(*target, which, path.toStdString(), m_parent);
}

std::int32_t EepromMenuActions::restoreFromFile(const ToolTarget& target, EepromWhich which, const std::string& path,
                                                QWidget* parent)
{
    const auto lock = SystemChangeLock::take(target, "restoring an EEPROM", kRestoreTitle, parent);
    if (!lock)
        return AppStatus::Cancelled;
    std::unique_ptr<MaintenanceJournal> journal = journalFor(target);
    EepromRestore restore(*target.wrapper, journal.get());
    const std::uint32_t board = target.boards.front();
    const std::int32_t status = CMiscUtils::runBehindProgress(
        kSystemTitle, QString::fromStdString(EepromRestore::progressText(which, false)), parent,
        [&](CInProgress&) { return restore.fromFile(board, which, path); });
    CMiscUtils::notify(kRestoreTitle, restoreOutcome(status, restore), parent);
    return status;
}

void EepromMenuActions::autoRestore(const ToolTarget* target, EepromWhich which)
{
    if (!oneBoard(target)) {
        CMiscUtils::notifyStatus(kSystemTitle, AppStatus::InternalError, m_parent);
        return;
    }
    const auto lock = SystemChangeLock::take(*target, "restoring an EEPROM", kRestoreTitle, m_parent);
    if (!lock)
        return;
    std::unique_ptr<MaintenanceJournal> journal = journalFor(*target);
    EepromRestore restore(*target->wrapper, journal.get());
    const std::uint32_t board = target->boards.front();
    const std::int32_t status = CMiscUtils::runBehindProgress(
        kSystemTitle, QString::fromStdString(EepromRestore::progressText(which, true)), m_parent,
        [&](CInProgress&) { return restore.automatic(board, which); });
    CMiscUtils::notify(kRestoreTitle, restoreOutcome(status, restore), m_parent);
}

} // namespace z2e
