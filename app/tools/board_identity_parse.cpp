#include "tools/board_identity_parse.h"

#include <utility>

namespace z2e {

void BoardIdentityParse::add(std::uint32_t board, std::string document)
{
    m_boards.push_back(board);
    const bool large = document.size() > kLargestKept;
    m_identities.push_back(large ? BoardIdentity::fromProperties(board, document) : BoardIdentity());
    m_parsed.push_back(large);
    m_documents.push_back(large ? std::string() : std::move(document));
}

void BoardIdentityParse::start()
{
    if (!m_thread.start([this] { parse(); }, HelperThread::Placement::IdlePriority))
        parse();
}

const std::vector<BoardIdentity>& BoardIdentityParse::identities()
{
    parse(); // what the thread has not begun yet
    m_thread.join();
    return m_identities;
}

void BoardIdentityParse::parse()
{
    for (std::size_t i = m_next++; i < m_documents.size(); i = m_next++) {
        if (!m_parsed[i])
            m_identities[i] = BoardIdentity::fromProperties(m_boards[i], m_documents[i]);
    }
}

} // namespace z2e
