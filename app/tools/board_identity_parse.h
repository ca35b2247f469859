#pragma once
// Boards' properties documents parsed into identities on a thread of their own, so that the
// parse overlaps the procedure's next calls to the node, which mostly wait on it.

#include "tools/board_identity.h"
#include "tools/helper_thread.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

class BoardIdentityParse {
public:
    /// A description is a few KiB; a larger one is parsed at once rather than kept, so that
    /// what waits for the thread stays small whatever a node sends.
    static constexpr std::size_t kLargestKept = 64u * 1024u;

    BoardIdentityParse() = default;
    BoardIdentityParse(const BoardIdentityParse&) = delete;
    BoardIdentityParse& operator=(const BoardIdentityParse&) = delete;

    /// Takes the description of board `board` (empty when it could not be read).
    void add(std::uint32_t board, std::string document);
    /// Parses what was added on the thread; where no thread can be had, here and now.
    void start();
    /// Parses what the thread has not begun and waits for the rest; one identity per board
    /// added, in that order (the enclosure unknown). A failure of the thread (memory) is
    /// thrown here.
    const std::vector<BoardIdentity>& identities();

private:
    void parse();

    std::vector<std::string> m_documents; ///< emptied when parsed at once
    std::vector<std::uint32_t> m_boards;
    std::vector<bool> m_parsed;
    std::vector<BoardIdentity> m_identities;
    std::atomic<std::size_t> m_next{0}; ///< the next document to parse, by whichever thread
    HelperThread m_thread;              ///< last: it ends before what it works on
};

} // namespace z2e
