#pragma once
// The verdicts of a procedure's result documents, judged on a second thread beside the caller,
// which meanwhile keeps the documents in the journal: each document is a parse and dozens of
// detail rows, and a run of 64 boards spent more time judging than reading them.

#include "tools/board_test_procedure.h"
#include "tools/helper_thread.h"

#include <atomic>
#include <cstddef>
#include <vector>

namespace z2e {

class ResultJudging {
public:
    /// Fewer documents are judged by the caller alone: a thread costs about as much as eight.
    static constexpr std::size_t kLeastForThread = 8;

    explicit ResultJudging(std::vector<BoardTestRow>& rows) : m_rows(rows) {}
    ResultJudging(const ResultJudging&) = delete;
    ResultJudging& operator=(const ResultJudging&) = delete;

    /// Row `row` holds a document that waits for its verdict (status and details).
    void add(std::size_t row) { m_waiting.push_back(row); }
    /// Starts the thread when there are enough rows; until finish() the rows' status and
    /// details belong to it.
    void start();
    /// Judges what the thread has not begun and waits for the rest. A failure of the thread
    /// (memory) is thrown here, on the caller's thread.
    void finish();
    /// The rows added, in the order added.
    const std::vector<std::size_t>& rows() const { return m_waiting; }

private:
    void judge();

    std::vector<BoardTestRow>& m_rows;
    std::vector<std::size_t> m_waiting;
    std::atomic<std::size_t> m_next{0}; ///< the next waiting row, claimed by whichever thread
    HelperThread m_thread;              ///< last: it ends before what it works on
};

} // namespace z2e
