#pragma once
// One change in the maintenance journal: the snapshot taken before it and the history line
// written after it, timed from the start of the change.

#include "tools/board_identity.h"
#include "tools/change_intent.h"
#include "tools/maintenance_journal.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace z2e {

class JournalledChange {
public:
    /// Takes the snapshot files of a change; 0 or the status that stops it.
    using Snapshot = std::function<std::int32_t(MaintenanceJournal& journal, std::vector<std::string>& files)>;

    /// A change described by `entry`; with a null `journal` nothing is snapshotted or written.
    JournalledChange(MaintenanceJournal* journal, JournalEntry entry);
    /// A change of `board`.
    JournalledChange(MaintenanceJournal* journal, const BoardIdentity& board, const std::string& operation,
                     const std::string& parameters);

    /// Takes the snapshot and records the change's start; when either fails, the status
    /// (4009, or 4102 for the record) is returned with `message` set, and the change must then
    /// send nothing. A failed snapshot's history line says why.
    std::int32_t snapshot(const Snapshot& take, std::string& message);
    /// Writes the history line of the outcome. `result` again, or 4102 with `message` set
    /// when the line cannot be written.
    std::int32_t finish(std::int32_t result, const std::string& statusText, const std::string& verification,
                        std::string& message);

    const JournalEntry& entry() const { return m_entry; }

private:
    MaintenanceJournal* m_journal;
    JournalEntry m_entry;
    ChangeIntent m_intent;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
};

} // namespace z2e
