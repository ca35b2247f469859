#include "tools/board_identity_parse.h"

#include <pthread.h>
#include <sched.h>
#include <system_error>
#include <utility>

namespace z2e {

BoardIdentityParse::~BoardIdentityParse()
{
    if (m_thread.joinable())
        m_thread.join();
}

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
    try {
        m_thread = std::thread([this] {
            // Only the time the procedure leaves idle: its wake-ups never wait for the parse.
            const sched_param idle{};
            ::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &idle);
            try {
                parse();
            } catch (...) {
                m_failure = std::current_exception(); // memory: thrown on the caller's thread
            }
        });
    } catch (const std::system_error&) {
        parse();
    }
}

const std::vector<BoardIdentity>& BoardIdentityParse::identities()
{
    parse(); // what the thread has not begun yet
    if (m_thread.joinable())
        m_thread.join();
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
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
