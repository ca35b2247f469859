#include "tools/journalled_eeprom_write.h"

#include "core/application_status.h"
#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/board_identity.h"
#include "tools/change_intent.h"
#include "tools/eeprom_comparison.h"
#include "tools/maintenance_journal.h"

#include <chrono>

namespace z2e {

JournalledEepromWrite::JournalledEepromWrite(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

std::int32_t JournalledEepromWrite::run(std::uint32_t board, const std::string& operation,
                                        const std::string& parameters, EepromWhich which, ReadBack readBack,
                                        const std::function<EepromWriteStep()>& write)
{
    const auto started = std::chrono::steady_clock::now();
    m_verification.clear();
    m_message.clear();
    JournalEntry entry;
    if (m_journal) {
        const BoardIdentity identity = BoardIdentity::read(m_wrapper, board);
        entry = JournalEntry::forBoard(identity, operation, parameters);
        const std::int32_t status = m_journal->snapshot(m_wrapper, identity, operation, entry.snapshots);
        if (status != 0) {
            m_message = m_journal->lastError() + "; nothing was sent";
            entry.result = status;
            entry.statusText = statusMessage(status) + " (" + m_message + ")";
            m_journal->append(entry);
            return status;
        }
    }
    ChangeIntent intent;
    if (!intent.begin(m_journal, entry, m_message))
        return AppStatus::JournalFailed;
    const EepromWriteStep step = write();
    if (step.status >= 1)
        m_verification = step.staged ? "not committed" : "not written";
    else
        m_verification = this->readBack(board, which, readBack, step.sent);
    intent.end();
    if (!m_journal)
        return step.status;
    entry.result = step.status;
    entry.statusText = ChangeIntent::statusOf(step.status, statusMessage(step.status));
    entry.verification = m_verification;
    entry.durationSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!m_journal->append(entry)) {
        m_message = m_journal->lastError();
        return AppStatus::JournalFailed;
    }
    return step.status;
}

std::string JournalledEepromWrite::readBack(std::uint32_t board, EepromWhich which, ReadBack expected,
                                            const std::string& sent)
{
    std::string reported;
    const std::int32_t result =
        which == EepromWhich::Base ? m_wrapper.getBaseEeprom(board, reported) : m_wrapper.getConEeprom(board, reported);
    const bool readable = result < 1;
    switch (expected) {
    case ReadBack::Blank: return readable ? "the board still reports a document" : "verified";
    case ReadBack::Readable:
        if (readable)
            return "verified";
        break;
    case ReadBack::Document:
        if (readable)
            return EepromComparison::verdict(sent, reported);
        break;
    }
    return "read-back failed: " + std::to_string(result) + " " + nodeResultText(result, &m_wrapper);
}

} // namespace z2e
