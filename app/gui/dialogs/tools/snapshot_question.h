#pragma once
// The question a change asks when a board's EEPROMs cannot be saved before it. Such a board is
// often the very one being repaired, so the safety net must not block it: the operator may go
// on without the snapshot ("Continue without snapshot") or stop ("Cancel"). The procedures
// report the failure and send nothing; the window asks on the GUI thread and runs the change
// once more with the journal's snapshots off (no device request here).

#include "gui/dialogs/auxiliary/misc_utils.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace z2e {

class MaintenanceJournal;

/// The title of the question box.
extern const char* const kSnapshotQuestionTitle;
/// The text of its button that lets the change go on.
extern const char* const kContinueWithoutSnapshot;

/// A snapshot failure as the window tells it: the journal's words without the command line's
/// advice (unreadableHint()).
std::string snapshotReason(const std::string& message);

/// Asks over `parent` whether the change goes on without snapshot for what `reasons` name, one
/// line each (every line names its board and why). True only for "Continue without snapshot";
/// "Cancel", Escape or a closed box keep the change from happening.
bool continueWithoutSnapshot(const std::vector<std::string>& reasons, QWidget* parent);

/// Turns the snapshots of `journal` (may be null) off while it lives; they are on again after.
class SnapshotsOff {
public:
    explicit SnapshotsOff(MaintenanceJournal* journal);
    ~SnapshotsOff();
    SnapshotsOff(const SnapshotsOff&) = delete;
    SnapshotsOff& operator=(const SnapshotsOff&) = delete;

private:
    MaintenanceJournal* m_journal;
    bool m_was;
};

/// Runs `work` behind the progress window (CMiscUtils::runBehindProgress). When it answers 4009
/// (the snapshot before the change failed and nothing was sent) while `journal` takes
/// snapshots, asks continueWithoutSnapshot with `why()` and on "Continue" runs `work` once more
/// with the snapshots off. Returns the status of the last run.
std::int32_t runChangeBehindProgress(const QString& title, const QString& message, QWidget* parent,
                                     MaintenanceJournal* journal, const CMiscUtils::Work& work,
                                     const std::function<std::string()>& why);

} // namespace z2e
