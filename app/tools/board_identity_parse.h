#pragma once
// Boards' properties documents parsed into identities on a thread of their own, so that the
// parse overlaps the procedure's next calls to the node, which mostly wait on it.

#include "tools/board_identity.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace z2e {

class BoardIdentityParse {
public:
    /// Starts the parse of `documents[i]` as board `boards[i]`; both must stay unchanged until
    /// identities() returned. Where no thread can be had, parses here and now.
    BoardIdentityParse(const std::vector<std::string>& documents, const std::vector<std::uint32_t>& boards);
    ~BoardIdentityParse();
    BoardIdentityParse(const BoardIdentityParse&) = delete;
    BoardIdentityParse& operator=(const BoardIdentityParse&) = delete;

    /// Parses what the thread has not begun and waits for the rest; one identity per document,
    /// in their order (the enclosure unknown).
    const std::vector<BoardIdentity>& identities();

private:
    void parse();

    const std::vector<std::string>& m_documents;
    const std::vector<std::uint32_t>& m_boards;
    std::vector<BoardIdentity> m_identities;
    std::atomic<std::size_t> m_next{0}; ///< the next document to parse, by whichever thread
    std::thread m_thread;
};

} // namespace z2e
