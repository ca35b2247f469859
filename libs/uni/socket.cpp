#include "uni/socket.h"

#include "uni/osal.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

namespace uni {

namespace {

timeval toTimeval(std::uint32_t ms)
{
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(ms / 1000);
    tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    return tv;
}

int setTimeout(int fd, int name, std::uint32_t ms)
{
    const timeval tv = toTimeval(ms);
    return ::setsockopt(fd, SOL_SOCKET, name, &tv, sizeof tv) == 0 ? 0 : osal::SOCK_ESOCKET;
}

} // namespace

Socket::Socket(std::uint32_t flags) : m_flags(flags)
{
    m_local.sin_family = AF_INET;
    m_remote.sin_family = AF_INET;
    if (flags & Locked)
        m_lock = std::make_unique<std::mutex>();
}

Socket::~Socket()
{
    Socket::close();
}

int Socket::close()
{
    const int fd = m_handle.exchange(InvalidHandle);
    if (fd == InvalidHandle)
        return osal::SOCK_EHANDLE;
    // close() alone would not wake a call blocked on the socket, and the number could be
    // reused under it; shutdown wakes it, and the handle goes once no call holds it.
    ::shutdown(fd, SHUT_RDWR);
    std::unique_lock<std::shared_mutex> idle(m_closing);
    ::close(fd);
    return 0;
}

int Socket::waitWritable(int timeoutMs)
{
    const Use use(*this);
    if (use.fd() == InvalidHandle)
        return osal::SOCK_EHANDLE;
    pollfd entry{use.fd(), POLLOUT, 0};
    const int n = ::poll(&entry, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (n < 0)
        return errno == EINTR ? osal::SOCK_EINTR : osal::SOCK_ERECV;
    if (n == 0) {
        m_timedOut.store(true);
        return osal::SOCK_ETIMEOUT;
    }
    m_timedOut.store(false);
    return (entry.revents & POLLOUT) ? 0 : osal::SOCK_ERECV;
}

int Socket::setLocalEnd(const std::string& address, std::uint16_t port)
{
    return makeEnd(address, port, m_local) ? 0 : osal::SOCK_EFORMAT;
}

int Socket::setRemoteEnd(const std::string& address, std::uint16_t port)
{
    return makeEnd(address, port, m_remote) ? 0 : osal::SOCK_EFORMAT;
}

int Socket::setReceiveTimeout(std::uint32_t ms)
{
    m_receiveTimeoutMs = ms;
    return isOpen() ? applyReceiveTimeout() : 0;
}

int Socket::setSendTimeout(std::uint32_t ms)
{
    m_sendTimeoutMs = ms;
    return isOpen() ? applySendTimeout() : 0;
}

std::string Socket::addressText(const sockaddr_in& end)
{
    char text[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &end.sin_addr, text, sizeof text))
        return {};
    return text;
}

bool Socket::makeEnd(const std::string& address, std::uint16_t port, sockaddr_in& end)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    if (address.empty())
        result.sin_addr.s_addr = htonl(INADDR_ANY);
    else if (::inet_pton(AF_INET, address.c_str(), &result.sin_addr) != 1)
        return false;
    end = result;
    return true;
}

int Socket::createHandle(int type)
{
    if (isOpen())
        return osal::SOCK_ESOCKET;
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return osal::SOCK_ESOCKET;
    m_handle.store(fd);
    return 0;
}

int Socket::failOpen()
{
    close();
    return osal::SOCK_ESOCKET;
}

int Socket::bindLocal()
{
    if (::bind(handle(), reinterpret_cast<const sockaddr*>(&m_local), sizeof m_local) != 0)
        return osal::SOCK_ESOCKET;
    readLocalEnd();
    return 0;
}

void Socket::readLocalEnd()
{
    sockaddr_in end{};
    socklen_t size = sizeof end;
    if (::getsockname(handle(), reinterpret_cast<sockaddr*>(&end), &size) == 0)
        m_local = end;
}

int Socket::applyReceiveTimeout()
{
    return setTimeout(handle(), SO_RCVTIMEO, m_receiveTimeoutMs);
}

int Socket::applySendTimeout()
{
    return setTimeout(handle(), SO_SNDTIMEO, m_sendTimeoutMs);
}

int Socket::setOption(int level, int name, int value)
{
    return ::setsockopt(handle(), level, name, &value, sizeof value) == 0 ? 0 : osal::SOCK_ESOCKET;
}

int Socket::transferError(int error)
{
    if (error == EINTR)
        return osal::SOCK_EINTR;
    if (error == EAGAIN || error == EWOULDBLOCK || error == ETIMEDOUT)
        return osal::SOCK_ETIMEOUT;
    return osal::SOCK_ERECV;
}

} // namespace uni
