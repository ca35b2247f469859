#include "gui/window/eeprom_menu_actions.h"
#include "gui/window/system_change_lock.h"

#include "config/output_destination.h"
#include "core/application_status.h"
#include "driver/command/app_status.h"
#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/dialog_set_eeprom.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/snapshot_question.h"
#include "tools/eeprom_backup.h"
#include "tools/eeprom_restore.h"
#include "tools/maintenance_journal.h"

#include <utility>
#include <tuple>

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
    if (status >= 1 && !(status == AppStatus::JournalFailed && restore.verification() == "verified"))
        return statusWithReason(status, restore.message());
    std::string text = EepromRestore::outcomeText(status, restore.verification());
    if (status == AppStatus::JournalFailed)
        text += "\n" + restore.message();
    return QString::fromStdString(text);
}

// The question before a backup of another board is written: both serial numbers.
QString otherBoardQuestion(std::uint32_t board, EepromWhich which, const std::string& path,
                           const EepromRestore& restore)
{
    const QString part = which == EepromWhich::Base ? QString("Board %1").arg(board)
                                                    : QString("The connector panel of board %1").arg(board);
    return QString("The backup %1 was taken from serial number %2.\n%3 has serial number %4.\n\n"
                   "Restore the other board's EEPROM onto board %5 anyway?")
        .arg(QString::fromStdString(path), QString::fromStdString(restore.backupSerial()), part,
             QString::fromStdString(restore.boardSerial()))
        .arg(board);
}

} // namespace

EepromMenuActions::EepromMenuActions(QWidget* parent, FileChooser chooser, std::function<void(const QString&)> status)
    : m_parent(parent), m_chooser(std::move(chooser)), m_status(std::move(status))
{
}

void EepromMenuActions::run(MenuEntry entry, const ToolTarget* target)
{
    using Step = void (EepromMenuActions::*)(const ToolTarget*, EepromWhich);
    static const std::tuple<MenuEntry, Step, EepromWhich> kSteps[] = {
        {MenuEntry::BackupBase, &EepromMenuActions::backup, EepromWhich::Base},
        {MenuEntry::BackupPanel, &EepromMenuActions::backup, EepromWhich::Connector},
        {MenuEntry::FileRestoreBase, &EepromMenuActions::restoreFromChosenFile, EepromWhich::Base},
        {MenuEntry::FileRestorePanel, &EepromMenuActions::restoreFromChosenFile, EepromWhich::Connector},
        {MenuEntry::AutoRestoreBase, &EepromMenuActions::autoRestore, EepromWhich::Base},
        {MenuEntry::AutoRestoreCon, &EepromMenuActions::autoRestore, EepromWhich::Connector},
    };
    if (entry == MenuEntry::ConfigureBaseEeprom) {
        configure(target);
        return;
    }
    for (const auto& [known, step, which] : kSteps) {
        if (known == entry)
            (this->*step)(target, which);
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
    bool replace = false;
    const auto run = [&] {
        return CMiscUtils::runBehindProgress(
            kSystemTitle, QString::fromStdString(EepromBackup::progressText(which)), m_parent,
            [&](CInProgress&) { return tool.run(board, which, chosen, path, replace); });
    };
    std::int32_t status = run();
    // A backup file of that name is there already: replaced only when the operator says so.
    // Anything else that stands there (a FIFO, a device, a folder, a link) is never replaced.
    if (status == AppStatus::DestinationRefused &&
        OutputDestination::check(tool.target(), false).status == OutputDestination::Status::Exists &&
        CMiscUtils::askYesNo(
            kSystemTitle,
            QString("The backup file %1 exists.\n\nReplace it?").arg(QString::fromStdString(tool.target())),
            m_parent) == 3) {
        replace = true;
        status = run();
    }
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
    const QString text = QString::fromStdString(EepromRestore::progressText(which, false));
    const CMiscUtils::Work work = [&](CInProgress&) { return restore.fromFile(board, which, path); };
    const auto why = [&restore] { return restore.message(); };
    std::int32_t status = runChangeBehindProgress(kSystemTitle, text, parent, journal.get(), work, why);
    // A backup of another board is written only once the operator has confirmed it.
    if (status == AppStatus::EepromFileInvalid && restore.otherBoard() &&
        CMiscUtils::askYesNo(kRestoreTitle, otherBoardQuestion(board, which, path, restore), parent) ==
            CDecisionDialogYesNo::Yes) {
        restore.allowOtherBoard(true);
        status = runChangeBehindProgress(kSystemTitle, text, parent, journal.get(), work, why);
    }
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
    const std::int32_t status = runChangeBehindProgress(
        kSystemTitle, QString::fromStdString(EepromRestore::progressText(which, true)), m_parent, journal.get(),
        [&](CInProgress&) { return restore.automatic(board, which); }, [&restore] { return restore.message(); });
    CMiscUtils::notify(kRestoreTitle, restoreOutcome(status, restore), m_parent);
}

} // namespace z2e
