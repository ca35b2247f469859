#include "qorinet_api/common/receive_deadline.h"

#include "uni/osal.h"
#include "uni/tcp_socket.h"

#include <algorithm>

namespace qorinet_api {

ReceiveDeadline::ReceiveDeadline(uni::TCPSocket& socket, std::uint32_t budgetMs)
    : m_socket(socket), m_ownTimeoutMs(socket.receiveTimeout()), m_armedMs(m_ownTimeoutMs), m_unbounded(budgetMs == 0),
      m_end(Clock::now() + std::chrono::milliseconds(budgetMs)), m_freshMs(budgetMs)
{
}

ReceiveDeadline::~ReceiveDeadline()
{
    if (m_armedMs != m_ownTimeoutMs)
        m_socket.setReceiveTimeout(m_ownTimeoutMs);
}

void ReceiveDeadline::extend(std::uint32_t budgetMs, Clock::time_point ceiling)
{
    m_end = std::min(Clock::now() + std::chrono::milliseconds(budgetMs), ceiling);
    m_freshMs = 0;
}

int ReceiveDeadline::receive(void* to, std::size_t length)
{
    auto* bytes = static_cast<std::uint8_t*>(to);
    std::size_t have = 0;
    while (have < length) {
        if (!arm())
            return uni::osal::SOCK_ETIMEOUT;
        const int n = m_socket.receive(bytes + have, length - have, true);
        if (n <= 0)
            return n;
        have += static_cast<std::size_t>(n);
    }
    return static_cast<int>(length);
}

bool ReceiveDeadline::arm()
{
    if (m_unbounded)
        return true;
    // A request's first receive follows its deadline at once: the clock would say the same.
    const auto left = m_freshMs != 0 ? static_cast<long long>(m_freshMs)
                                     : std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now()).count();
    m_freshMs = 0;
    if (left <= 0)
        return false;
    const auto wanted = static_cast<std::uint32_t>(
        m_ownTimeoutMs == 0 ? left : std::min<long long>(left, static_cast<long long>(m_ownTimeoutMs)));
    // Re-arming costs a system call: only when the armed wait would overshoot the end by more
    // than a twentieth of it (at least 5 ms).
    const std::uint32_t slack = std::max<std::uint32_t>(5, wanted / 20);
    if (m_armedMs == 0 || m_armedMs > wanted + slack || (m_armedMs < wanted && m_armedMs != m_ownTimeoutMs)) {
        m_socket.setReceiveTimeout(wanted);
        m_armedMs = wanted;
    }
    return true;
}

} // namespace qorinet_api
