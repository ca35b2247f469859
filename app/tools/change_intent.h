#pragma once
// The record that a change of a board was started: written and synced into the journal's
// "intents" folder before anything is sent, and removed once the change's own history line is
// written. A change that never got that far (Ctrl+C, a time-out, kill -9, a crash) still leaves
// a history line saying "interrupted": at once when the process is stopped by a signal it
// handles, else at the next start of the program, which finds the intent of a process that is
// no longer alive.

#include "tools/maintenance_journal.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class ChangeIntent {
public:
    /// The result of an interrupted change's line.
    static constexpr std::int32_t kInterruptedResult = 4110;
    /// The verification text of an interrupted change's line.
    static constexpr const char* kInterrupted = "interrupted";

    ChangeIntent() = default;
    ChangeIntent(const ChangeIntent&) = delete;
    ChangeIntent& operator=(const ChangeIntent&) = delete;
    /// Leaves a pending intent in place: a change that did not reach end() is not finished.
    ~ChangeIntent();

    /// Records that the changes of `entries` (one per board) start now; false with `error`
    /// set when the record cannot be written, and then nothing may be sent. With the
    /// journal's snapshots off such a failure is passed over (true, nothing recorded). A null
    /// journal records nothing and succeeds.
    bool begin(MaintenanceJournal* journal, const std::vector<JournalEntry>& entries, std::string& error);
    bool begin(MaintenanceJournal* journal, const JournalEntry& entry, std::string& error);
    /// The change's history line is about to be written (or could not be): the intent is no
    /// longer pending. Call it before appending that line.
    void end();

    /// The history line of an interrupted change of `entry`, as `journal` writes it.
    static std::string interruptedLine(const MaintenanceJournal& journal, JournalEntry entry);
    /// Appends the "interrupted" lines of the intents left by processes that are no longer
    /// alive (unless their own line made it into the history) and removes those intents; the
    /// count of lines appended.
    static std::size_t recover(MaintenanceJournal& journal);
    /// Async-signal-safe: appends the "interrupted" lines of this process's pending intent and
    /// removes it. For a handler that ends the process.
    static void interruptNow() noexcept;

    /// The text of a change's status when the connection to its node was lost during it:
    /// "interrupted: ..." then, else `text` unchanged.
    static std::string statusOf(std::int32_t result, const std::string& text);
    /// A result that says the node's connection went away while a request was open.
    static bool connectionLost(std::int32_t result);

private:
    bool record(MaintenanceJournal& journal, const std::vector<JournalEntry>& entries, std::string& error);

    std::string m_path;
    void* m_slot = nullptr; ///< what the signal handler journals of it, while pending
};

} // namespace z2e
