#include "tools/board_identity_parse.h"

#include <algorithm>
#include <pthread.h>
#include <sched.h>
#include <system_error>

namespace z2e {

BoardIdentityParse::BoardIdentityParse(const std::vector<std::string>& documents,
                                       const std::vector<std::uint32_t>& boards)
    : m_documents(documents), m_boards(boards), m_identities(documents.size())
{
    try {
        m_thread = std::thread([this] {
            // Only the time the procedure leaves idle: its wake-ups never wait for the parse.
            const sched_param idle{};
            ::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &idle);
            parse();
        });
    } catch (const std::system_error&) {
        parse();
    }
}

BoardIdentityParse::~BoardIdentityParse()
{
    if (m_thread.joinable())
        m_thread.join();
}

const std::vector<BoardIdentity>& BoardIdentityParse::identities()
{
    parse(); // what the thread has not begun yet
    if (m_thread.joinable())
        m_thread.join();
    return m_identities;
}

void BoardIdentityParse::parse()
{
    const std::size_t count = std::min(m_documents.size(), m_boards.size());
    for (std::size_t i = m_next++; i < count; i = m_next++)
        m_identities[i] = BoardIdentity::fromProperties(m_boards[i], m_documents[i]);
}

} // namespace z2e
