#include "tools/journalled_change.h"

#include "driver/command/app_status.h"

namespace z2e {

namespace {

JournalEntry boardEntry(const BoardIdentity& board, const std::string& operation, const std::string& parameters)
{
    return JournalEntry::forBoard(board, operation, parameters);
}

} // namespace

JournalledChange::JournalledChange(MaintenanceJournal* journal, JournalEntry entry)
    : m_journal(journal), m_entry(std::move(entry))
{
}

JournalledChange::JournalledChange(MaintenanceJournal* journal, const BoardIdentity& board,
                                   const std::string& operation, const std::string& parameters)
    : JournalledChange(journal, boardEntry(board, operation, parameters))
{
}

std::int32_t JournalledChange::snapshot(const Snapshot& take, std::string& message)
{
    if (!m_journal)
        return AppStatus::Ok;
    const std::int32_t status = take(*m_journal, m_entry.snapshots);
    if (status == AppStatus::Ok)
        return m_intent.begin(m_journal, m_entry, message) ? status : AppStatus::JournalFailed;
    message = m_journal->lastError() + "; nothing was sent";
    m_entry.result = status;
    m_entry.statusText = message;
    m_journal->append(m_entry);
    return status;
}

std::int32_t JournalledChange::finish(std::int32_t result, const std::string& statusText,
                                      const std::string& verification, std::string& message)
{
    m_intent.end();
    if (!m_journal)
        return result;
    m_entry.result = result;
    m_entry.statusText = ChangeIntent::statusOf(result, statusText);
    m_entry.verification = verification;
    m_entry.durationSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    if (!m_journal->append(m_entry)) {
        message = m_journal->lastError();
        return AppStatus::JournalFailed;
    }
    return result;
}

} // namespace z2e
