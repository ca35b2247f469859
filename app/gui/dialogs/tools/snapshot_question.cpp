#include "gui/dialogs/tools/snapshot_question.h"

#include "driver/command/app_status.h"
#include "tools/maintenance_journal.h"

#include <QMessageBox>
#include <QPushButton>

namespace z2e {

const char* const kSnapshotQuestionTitle = "EEPROM Snapshot";
const char* const kContinueWithoutSnapshot = "Continue without snapshot";

std::string snapshotReason(const std::string& message)
{
    std::string reason = message;
    const std::string hint = MaintenanceJournal::unreadableHint();
    const auto at = reason.find(hint);
    if (at != std::string::npos)
        reason.erase(at, hint.size());
    return reason;
}

bool continueWithoutSnapshot(const std::vector<std::string>& reasons, QWidget* parent)
{
    QString text = reasons.size() == 1 ? "No snapshot can be taken before the change:\n"
                                       : "No snapshot can be taken of these boards before the change:\n";
    for (const std::string& reason : reasons)
        text += "\n" + QString::fromStdString(snapshotReason(reason));
    text += "\n\nNothing was sent yet. A board whose EEPROM cannot be read is often the one being repaired. "
            "Change it without a snapshot?";
    QMessageBox box(QMessageBox::Question, kSnapshotQuestionTitle, text, QMessageBox::NoButton, parent);
    QPushButton* go = box.addButton(kContinueWithoutSnapshot, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    // Whatever ends the box other than the button itself (a closed window, an automatic accept)
    // keeps the board unchanged.
    return box.clickedButton() == go;
}

SnapshotsOff::SnapshotsOff(MaintenanceJournal* journal)
    : m_journal(journal), m_was(journal && journal->snapshotsEnabled())
{
    if (m_journal)
        m_journal->setSnapshotsEnabled(false);
}

SnapshotsOff::~SnapshotsOff()
{
    if (m_journal)
        m_journal->setSnapshotsEnabled(m_was);
}

std::int32_t runChangeBehindProgress(const QString& title, const QString& message, QWidget* parent,
                                     MaintenanceJournal* journal, const CMiscUtils::Work& work,
                                     const std::function<std::string()>& why)
{
    const std::int32_t status = CMiscUtils::runBehindProgress(title, message, parent, work);
    if (status != AppStatus::SnapshotFailed || !journal || !journal->snapshotsEnabled())
        return status;
    if (!continueWithoutSnapshot({why()}, parent))
        return status;
    const SnapshotsOff off(journal);
    return CMiscUtils::runBehindProgress(title, message, parent, work);
}

} // namespace z2e
