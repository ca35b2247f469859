#pragma once
// The self test and calibration procedures of the hardware tools: self test (standard, factory
// or excitation), auto zero, gain calibration, three-wire offset and reset to the factory
// calibration, on chosen boards of one node, through the command layer.
//
// A procedure starts every board first and reads the results afterwards, as the driver lets
// the boards work in parallel. Procedures that change a board snapshot its EEPROMs into the
// journal before anything is sent; a board that cannot be snapshotted is left out (its row
// says why) and the others go on. All procedures leave one history line per board.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/board_identity.h"
#include "tools/tool_progress.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class MaintenanceJournal;
class ResultJudging;
struct JournalEntry;

enum class BoardTest { SelfTest, FactoryTest, ExcitationTest, AutoZero, GainCal, ThreeWire, ResetDefaults };

/// One board's line of the result list.
struct BoardTestRow {
    BoardIdentity board;
    bool simulated = false;
    std::string status;   ///< e.g. " PASSED", "  FAILED260105", " UNKNOWN"
    std::string document; ///< the driver's result document, unchanged
    std::vector<std::string> details;
    std::int32_t result = 0; ///< the driver's answer that decided the row
    std::vector<std::string> snapshots;
    /// Where the journal kept the document: "results.log@<offset>" (journal.resultDocument()).
    std::string resultFile;
    /// Nothing was sent to the board: its EEPROMs could not be saved first (status " NOT RUN",
    /// result 4009, the reason the first detail).
    bool snapshotFailed = false;

    /// "Slot <n>:  <name>[: <status>]"; the slot part left out when unknown.
    std::string text() const;
};

struct BoardTestOutcome {
    std::int32_t status = 0; ///< 0, or a ToolStatus / driver result that stopped the procedure
    std::string testName;    ///< "Self_Test", "Auto_Zero", "Gain_Cal", "Three_Wire" or "Reset_Def"
    std::string message;     ///< why it stopped, when it did
    std::vector<BoardTestRow> rows;
};

class BoardTestProcedure {
public:
    /// `journal` may be null: then nothing is snapshotted or journalled.
    BoardTestProcedure(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal);

    /// Runs `test` on `boards` (every board of the node when empty), in that order.
    BoardTestOutcome run(BoardTest test, const std::vector<std::uint32_t>& boards, const ToolProgress& progress,
                         const std::atomic<bool>& cancel);

    static const char* testName(BoardTest test);
    /// The status line while `test` runs: " Self_Test  IN PROGRESS...".
    static std::string statusLine(BoardTest test);
    static const char* progressTitle(BoardTest test);
    static const char* operationName(BoardTest test);
    /// True for the procedures that write into the board.
    static bool changesBoard(BoardTest test);
    /// The question the three-wire offset must have answered with OK before it runs.
    static const char* threeWireQuestion();

private:
    std::int32_t startBoards(BoardTest test, BoardTestOutcome& outcome, const ToolProgress& progress,
                             const std::atomic<bool>& cancel, ResultJudging& judging);
    /// The board's answer and result document into `row`; false when the document was refused
    /// (the row then says why) and waits for no verdict.
    bool readResult(BoardTest test, BoardTestRow& row);
    /// A row the board did not answer says what to do about it.
    void adviseUnanswered(BoardTestRow& row) const;
    void resetDefaults(BoardTestOutcome& outcome, bool allBoards);
    void snapshotBoards(BoardTest test, BoardTestOutcome& outcome);
    /// The history lines of the outcome's rows, the `seconds` shared among them.
    static std::vector<JournalEntry> entries(BoardTest test, const BoardTestOutcome& outcome, double seconds);
    /// The entries of the rows the procedure will change, for the record of its start.
    static std::vector<JournalEntry> changedEntries(BoardTest test, const BoardTestOutcome& outcome);
    /// Keeps the rows' result documents in the journal; the error, empty when kept or none.
    std::string keepDocuments(BoardTest test, BoardTestOutcome& outcome);
    void journal(BoardTest test, BoardTestOutcome& outcome, double seconds, const std::string& keepError);

    QorinNodeUtilWrapper& m_wrapper;
    MaintenanceJournal* m_journal;
};

} // namespace z2e
