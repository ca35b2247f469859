#include "uni/socket_set.h"

#include "uni/log.h"
#include "uni/osal.h"
#include "uni/socket.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace uni {

namespace {
constexpr const char* Channel = "tnsocketset";
}

int SocketSet::add(Socket* socket)
{
    if (!socket || contains(socket))
        return osal::SOCK_EHANDLE;
    m_sockets.push_back(socket);
    return 0;
}

int SocketSet::remove(Socket* socket)
{
    const auto it = std::find(m_sockets.begin(), m_sockets.end(), socket);
    if (it == m_sockets.end())
        return osal::SOCK_EHANDLE;
    m_sockets.erase(it);
    const auto first = m_ready.begin() + static_cast<std::ptrdiff_t>(m_next);
    const auto pending = std::find(first, m_ready.end(), socket);
    if (pending != m_ready.end())
        m_ready.erase(pending);
    return 0;
}

void SocketSet::clear()
{
    m_sockets.clear();
    m_ready.clear();
    m_next = 0;
}

bool SocketSet::contains(const Socket* socket) const
{
    return std::find(m_sockets.begin(), m_sockets.end(), socket) != m_sockets.end();
}

int SocketSet::wait(Socket** ready, int timeoutMs)
{
    if (!ready)
        return osal::SOCK_ENOBUF;
    *ready = nullptr;
    // A socket closed since the last poll has nothing left to read; skip it.
    while (m_next < m_ready.size() && !m_ready[m_next]->isOpen())
        ++m_next;
    if (m_next == m_ready.size()) {
        const int polled = poll(timeoutMs);
        if (polled != 0)
            return polled;
    }
    *ready = m_ready[m_next++];
    return 0;
}

int SocketSet::poll(int timeoutMs)
{
    m_ready.clear();
    m_next = 0;
    std::vector<pollfd> entries;
    std::vector<Socket*> owners;
    entries.reserve(m_sockets.size());
    owners.reserve(m_sockets.size());
    for (Socket* socket : m_sockets) {
        const int fd = socket->handle();
        if (fd == Socket::InvalidHandle)
            continue;
        entries.push_back(pollfd{fd, POLLIN, 0});
        owners.push_back(socket);
    }
    if (entries.empty()) {
        UNI_LOG(Channel, log::warning) << "wait: no open socket in a set of " << m_sockets.size();
        return osal::SOCK_EHANDLE;
    }

    const int n = ::poll(entries.data(), entries.size(), timeoutMs < 0 ? -1 : timeoutMs);
    if (n == 0)
        return osal::SOCK_ETIMEOUT;
    if (n < 0) {
        const int error = errno;
        if (error == EINTR)
            return osal::SOCK_EINTR;
        UNI_LOG(Channel, log::error) << "wait: poll failed: " << std::strerror(error);
        return osal::SOCK_ERECV;
    }
    // Errors and hang-ups count as readable: the receive that follows reports them.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL))
            m_ready.push_back(owners[i]);
    }
    return m_ready.empty() ? osal::SOCK_ETIMEOUT : 0;
}

} // namespace uni
