#include "tools/board_test_procedure.h"

#include "core/application_status.h"
#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/board_identity_parse.h"
#include "tools/board_selection.h"
#include "tools/change_intent.h"
#include "tools/maintenance_journal.h"
#include "tools/result_judging.h"
#include "tools/test_verdict.h"

#include <algorithm>
#include <chrono>

namespace z2e {

namespace {

constexpr std::size_t kMaxResultDocument = 16u * 1024u * 1024u;

/// What each test is called where it shows, in the order of BoardTest.
struct TestNames {
    const char* name;      ///< row and file name part
    const char* title;     ///< progress window title
    const char* operation; ///< journal operation
    const char* kind;      ///< self-test kind sent to the board
};

constexpr TestNames kNames[] = {
    {"Self_Test", "Hardware Self Test", "selftest", ""},
    {"Self_Test", "Hardware Self Test", "selftest-factory", "factorytest"},
    {"Self_Test", "Hardware Self Test", "selftest-excitation", "excitationtest"},
    {"Auto_Zero", "Hardware Auto Zero", "autozero", ""},
    {"Gain_Cal", "Hardware Gain Cal", "gaincal", ""},
    {"Three_Wire", "Hardware Three Wire", "threewire", ""},
    {"Reset_Def", "Hardware Reset Defaults", "reset-defaults", ""},
};
static_assert(sizeof kNames / sizeof kNames[0] == static_cast<int>(BoardTest::ResetDefaults) + 1, "one entry per test");

const TestNames& namesOf(BoardTest test)
{
    return kNames[static_cast<int>(test)];
}

const char* kindText(BoardTest test)
{
    return namesOf(test).kind;
}

bool isSelfTest(BoardTest test)
{
    return test == BoardTest::SelfTest || test == BoardTest::FactoryTest || test == BoardTest::ExcitationTest;
}

// Driver time of one board's step at normal speed, for the progress bar.
double expectedSeconds(BoardTest test)
{
    switch (test) {
    case BoardTest::AutoZero: return 0.5;
    case BoardTest::GainCal: return 0.8;
    case BoardTest::ThreeWire: return 0.6;
    case BoardTest::ResetDefaults: return 0.3;
    default: return 1.0;
    }
}

std::string parametersOf(BoardTest test)
{
    if (isSelfTest(test))
        return kindText(test);
    return test == BoardTest::AutoZero ? "200 ms" : "";
}

// The journal's words for a board a stopped procedure never reached: why nothing was sent.
std::string untouchedText(const BoardTestOutcome& outcome)
{
    if (outcome.status == AppStatus::Cancelled)
        return "not run: cancelled before this board was started; nothing was sent to it";
    const std::string why = outcome.message.empty() ? statusMessage(outcome.status) : outcome.message;
    return "not run: the procedure stopped before this board (" + why + ")";
}

// The rows' places were asked for with their descriptions; those stay. Taking them twice is
// harmless.
void takeIdentities(BoardIdentityParse& parse, std::vector<BoardTestRow>& rows)
{
    const std::vector<BoardIdentity>& identities = parse.identities();
    for (std::size_t i = 0; i < rows.size() && i < identities.size(); ++i) {
        const std::int32_t enclosure = rows[i].board.enclosure;
        rows[i].board = identities[i];
        rows[i].board.enclosure = enclosure;
    }
}

} // namespace

std::string BoardTestRow::text() const
{
    std::string line;
    if (board.slot != BoardIdentity::kUnknownSlot)
        line = "Slot " + std::to_string(board.slot) + ":  ";
    line += board.name;
    if (!status.empty())
        line += ": " + status;
    return line;
}

BoardTestProcedure::BoardTestProcedure(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

const char* BoardTestProcedure::testName(BoardTest test)
{
    return namesOf(test).name;
}

std::string BoardTestProcedure::statusLine(BoardTest test)
{
    return std::string(" ") + testName(test) + "  IN PROGRESS...";
}

const char* BoardTestProcedure::progressTitle(BoardTest test)
{
    return namesOf(test).title;
}

const char* BoardTestProcedure::operationName(BoardTest test)
{
    return namesOf(test).operation;
}

bool BoardTestProcedure::changesBoard(BoardTest test)
{
    return !isSelfTest(test);
}

const char* BoardTestProcedure::threeWireQuestion()
{
    return "Please disconnect all sensors on all channels on this QORIN-module.\n"
           "Please connect the 3Wire-Type2 calibration-connector to this QORIN-module.\n\n"
           "Press OK to proceed with this operation, or cancel to abort.";
}

BoardTestOutcome BoardTestProcedure::run(BoardTest test, const std::vector<std::uint32_t>& boards,
                                         const ToolProgress& progress, const std::atomic<bool>& cancel)
{
    const auto started = std::chrono::steady_clock::now();
    BoardTestOutcome outcome;
    outcome.testName = testName(test);
    if (!m_wrapper.isReady()) {
        outcome.status = AppStatus::NotReady;
        outcome.message = "the node is not ready";
        return outcome;
    }
    const std::uint32_t count = m_wrapper.getBoardCount();
    const bool simulated = m_wrapper.node() && m_wrapper.node()->isSimulation();
    std::vector<std::uint32_t> chosen;
    if (!BoardSelection::choose(boards, count, chosen, outcome.message)) {
        outcome.status = AppStatus::NoSuchBoard;
        return outcome;
    }
    if (simulated && changesBoard(test)) {
        outcome.status = AppStatus::SimulatedRefused;
        outcome.message = "only the self test runs on simulated boards";
        return outcome;
    }
    BoardIdentityParse identities;
    for (const std::uint32_t board : chosen) {
        BoardTestRow row;
        row.board.index = board;
        identities.add(board, BoardIdentity::description(m_wrapper, board));
        row.board.readPlace(m_wrapper);
        row.simulated = simulated;
        outcome.rows.push_back(row);
    }
    if (outcome.rows.empty())
        return outcome;
    // A procedure that changes a board snapshots it first, under its identity; a self test
    // needs the identities only for the journal and parses them while the boards work.
    identities.start();
    if (changesBoard(test)) {
        takeIdentities(identities, outcome.rows);
        snapshotBoards(test, outcome);
    }
    ChangeIntent intent;
    if (changesBoard(test) && !intent.begin(m_journal, changedEntries(test, outcome), outcome.message))
        outcome.status = AppStatus::JournalFailed;
    ResultJudging judging(outcome.rows);
    if (outcome.status == 0) {
        if (test == BoardTest::ResetDefaults) {
            resetDefaults(outcome, boards.empty());
        } else {
            outcome.status = startBoards(test, outcome, progress, cancel, judging);
        }
    }
    intent.end();
    takeIdentities(identities, outcome.rows); // a self test's, parsed while its boards worked
    const std::string keepError = keepDocuments(test, outcome);
    judging.finish();
    for (const std::size_t row : judging.rows())
        adviseUnanswered(outcome.rows[row]);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    journal(test, outcome, seconds, keepError);
    return outcome;
}

// A board whose EEPROMs cannot be saved first is left out: often it is the one being repaired,
// and the others of the run must not wait for it.
void BoardTestProcedure::snapshotBoards(BoardTest test, BoardTestOutcome& outcome)
{
    if (!m_journal)
        return;
    for (BoardTestRow& row : outcome.rows) {
        const std::int32_t status = m_journal->snapshot(m_wrapper, row.board, operationName(test), row.snapshots);
        if (status == 0)
            continue;
        row.snapshotFailed = true;
        row.result = status;
        row.status = " NOT RUN";
        row.details = {"not run: " + m_journal->lastError() + "; nothing was sent"};
    }
}

std::int32_t BoardTestProcedure::startBoards(BoardTest test, BoardTestOutcome& outcome, const ToolProgress& progress,
                                             const std::atomic<bool>& cancel, ResultJudging& judging)
{
    const std::string text = test == BoardTest::ThreeWire ? "Running ...\nPlease Wait" : "Tests running ...";
    const double total = static_cast<double>(outcome.rows.size());
    std::size_t started = 0;
    std::int32_t status = 0;
    for (BoardTestRow& row : outcome.rows) {
        if (cancel.load()) {
            status = AppStatus::Cancelled;
            outcome.message = "cancelled";
            break;
        }
        if (row.snapshotFailed) {
            ++started;
            continue;
        }
        if (progress)
            progress(text, static_cast<double>(started) / total, expectedSeconds(test));
        const std::uint32_t b = row.board.index;
        if (row.simulated) {
            // A simulated board is tested as its model through the driver's virtual board,
            // whose single result must be read before the next board is started.
            std::string key;
            row.result = m_wrapper.getBoardKey(b, key);
            if (row.result <= 0) {
                row.result = m_wrapper.startVirtualSelfTest(key);
                if (readResult(test, row)) {
                    TestVerdict::read(row.document, row.status, row.details);
                    adviseUnanswered(row);
                }
            }
        } else {
            switch (test) {
            case BoardTest::AutoZero: row.result = m_wrapper.startAutoZero(b); break;
            case BoardTest::GainCal: row.result = m_wrapper.startGainCalibration(b); break;
            case BoardTest::ThreeWire: row.result = m_wrapper.startThreeWireOffset(b); break;
            default: row.result = m_wrapper.startSelfTest(b, kindText(test)); break;
            }
        }
        ++started;
    }
    for (std::size_t i = 0; i < started; ++i) {
        if (!outcome.rows[i].simulated && !outcome.rows[i].snapshotFailed && readResult(test, outcome.rows[i]))
            judging.add(i);
    }
    judging.start();
    if (progress)
        progress(text, 1.0, 0.0);
    return status;
}

bool BoardTestProcedure::readResult(BoardTest test, BoardTestRow& row)
{
    const std::uint32_t b = row.board.index;
    std::int32_t result = 0;
    if (row.simulated)
        result = m_wrapper.getVirtualSelfTestResult(row.document);
    else if (test == BoardTest::AutoZero)
        result = m_wrapper.getAutoZeroResult(b, row.document);
    else if (test == BoardTest::GainCal)
        result = m_wrapper.getGainCalibrationResult(b, row.document);
    else if (test == BoardTest::ThreeWire)
        result = m_wrapper.getThreeWireOffsetResult(b, row.document);
    else
        result = m_wrapper.getSelfTestResult(b, row.document);
    if (result >= 1) {
        row.result = result;
        row.document.clear();
    }
    if (row.document.size() > kMaxResultDocument) {
        // Nothing that large is a result document; keeping it would fill the journal.
        row.result = AppStatus::DocumentTooLarge;
        row.status = " UNKNOWN";
        row.details = {"result document refused: " + std::to_string(row.document.size()) + " bytes, more than 16 MiB"};
        row.document.clear();
        return false;
    }
    return true;
}

void BoardTestProcedure::adviseUnanswered(BoardTestRow& row) const
{
    if (row.result >= 1 && row.details.empty())
        row.details = {"no result: " + failureAdvice(row.result, &m_wrapper)};
}

void BoardTestProcedure::resetDefaults(BoardTestOutcome& outcome, bool allBoards)
{
    const bool leftOut = std::any_of(outcome.rows.begin(), outcome.rows.end(),
                                     [](const BoardTestRow& row) { return row.snapshotFailed; });
    if (allBoards && !leftOut) {
        m_wrapper.restoreFactoryCalibrationAll();
    } else {
        for (const BoardTestRow& row : outcome.rows) {
            if (!row.snapshotFailed)
                m_wrapper.restoreFactoryCalibration(row.board.index);
        }
    }
    const auto& results = m_wrapper.boardResults();
    for (BoardTestRow& row : outcome.rows) {
        if (row.snapshotFailed)
            continue;
        const auto it = results.find(row.board.index);
        row.result = it == results.end() ? AppStatus::InternalError : it->second;
        row.status = row.result == 0 ? "  PASSED" : "  FAILED" + std::to_string(row.result);
    }
}

std::vector<JournalEntry> BoardTestProcedure::entries(BoardTest test, const BoardTestOutcome& outcome, double seconds)
{
    std::vector<JournalEntry> lines;
    for (const BoardTestRow& row : outcome.rows) {
        JournalEntry entry = JournalEntry::forBoard(row.board, operationName(test), parametersOf(test));
        entry.result = outcome.status != 0 ? outcome.status : row.result;
        if (row.snapshotFailed)
            entry.statusText = row.details.front();
        else
            entry.statusText =
                row.status.empty() && outcome.status != 0 ? untouchedText(outcome) : TestVerdict::word(row.status);
        entry.snapshots = row.snapshots;
        entry.resultDocument = row.resultFile;
        entry.durationSeconds = seconds / static_cast<double>(outcome.rows.size());
        lines.push_back(entry);
    }
    return lines;
}

// Only the boards the procedure will send to: one left out is untouched whatever happens, and
// with none to change there is no change to record.
std::vector<JournalEntry> BoardTestProcedure::changedEntries(BoardTest test, const BoardTestOutcome& outcome)
{
    std::vector<JournalEntry> all = entries(test, outcome, 0);
    std::vector<JournalEntry> changed;
    for (std::size_t i = 0; i < all.size() && i < outcome.rows.size(); ++i) {
        if (!outcome.rows[i].snapshotFailed)
            changed.push_back(std::move(all[i]));
    }
    return changed;
}

std::string BoardTestProcedure::keepDocuments(BoardTest test, BoardTestOutcome& outcome)
{
    if (!m_journal)
        return std::string();
    std::vector<MaintenanceJournal::KeptResult> results;
    for (BoardTestRow& row : outcome.rows) {
        if (!row.document.empty())
            results.push_back({row.board.serial, &row.document, &row.resultFile});
    }
    if (results.empty() || m_journal->keepResults(operationName(test), results))
        return std::string();
    return m_journal->lastError();
}

void BoardTestProcedure::journal(BoardTest test, BoardTestOutcome& outcome, double seconds,
                                 const std::string& keepError)
{
    if (!m_journal)
        return;
    const bool written = m_journal->append(entries(test, outcome, seconds)) && keepError.empty();
    if (!keepError.empty() && outcome.status == 0) {
        outcome.status = AppStatus::JournalFailed;
        outcome.message = keepError;
    }
    if (!written && outcome.status == 0) {
        outcome.status = AppStatus::JournalFailed;
        outcome.message = m_journal->lastError();
    }
}

} // namespace z2e
