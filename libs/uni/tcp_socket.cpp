#include "uni/tcp_socket.h"

#include "uni/osal.h"

#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace uni {

int TCPSocket::open()
{
    if (createHandle(SOCK_STREAM) != 0)
        return osal::SOCK_ESOCKET;
    if (setOption(IPPROTO_TCP, TCP_NODELAY, 1) != 0)
        return failOpen();
    if (!hasFlag(Listening))
        return configureConnected() == 0 ? 0 : failOpen();

    if (hasFlag(ReuseAddress) && setOption(SOL_SOCKET, SO_REUSEADDR, 1) != 0)
        return failOpen();
    // On a listener the receive time-out bounds accept().
    if (applyReceiveTimeout() != 0 || bindLocal() != 0)
        return failOpen();
    if (::listen(handle(), 1) != 0)
        return failOpen();
    return 0;
}

int TCPSocket::configureConnected()
{
    return applySendTimeout() == 0 && applyReceiveTimeout() == 0 ? 0 : osal::SOCK_ESOCKET;
}

int TCPSocket::receive(void* buffer, std::size_t length, bool partial)
{
    if (!isOpen())
        return osal::SOCK_EHANDLE;
    if (!buffer || length > INT_MAX)
        return osal::SOCK_ENOBUF;

    Guard guard(lock());
    const Use use(*this);
    if (use.fd() == InvalidHandle)
        return osal::SOCK_EHANDLE;
    auto* bytes = static_cast<char*>(buffer);
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::recv(use.fd(), bytes + got, length - got, 0);
        if (n == 0)
            return 0;
        if (n < 0)
            return transferError(errno);
        got += static_cast<std::size_t>(n);
        if (partial)
            break;
    }
    return static_cast<int>(got);
}

int TCPSocket::send(const void* buffer, std::size_t length)
{
    if (!isOpen())
        return osal::SOCK_EHANDLE;
    if (!buffer || length > INT_MAX)
        return osal::SOCK_ENOBUF;

    Guard guard(lock());
    const Use use(*this);
    if (use.fd() == InvalidHandle)
        return osal::SOCK_EHANDLE;
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(use.fd(), bytes + sent, length - sent, MSG_NOSIGNAL);
        if (n < 0)
            return sent > 0 ? static_cast<int>(sent) : transferError(errno);
        sent += static_cast<std::size_t>(n);
    }
    return static_cast<int>(sent);
}

int TCPSocket::accept(TCPSocket& peer)
{
    if (peer.isOpen())
        return isOpen() ? osal::SOCK_ESOCKET : osal::SOCK_EHANDLE;

    sockaddr_in remote{};
    int client = InvalidHandle;
    int error = 0;
    {
        const Use use(*this);
        if (use.fd() == InvalidHandle)
            return osal::SOCK_EHANDLE;
        socklen_t size = sizeof remote;
        client = ::accept4(use.fd(), reinterpret_cast<sockaddr*>(&remote), &size, SOCK_CLOEXEC);
        error = errno;
    }
    if (client < 0) {
        if (error == EAGAIN || error == EWOULDBLOCK)
            return osal::SOCK_ETIMEOUT;
        return error == EINTR ? osal::SOCK_EINTR : osal::SOCK_ESOCKET;
    }
    peer.adoptHandle(client);
    peer.setRemoteEnd(remote);
    peer.readLocalEnd();
    if (peer.setOption(IPPROTO_TCP, TCP_NODELAY, 1) != 0 || peer.configureConnected() != 0)
        return peer.failOpen();
    return 0;
}

int TCPSocket::connect()
{
    if (isOpen() || hasFlag(Listening))
        return osal::SOCK_ESOCKET;
    const int opened = open();
    if (opened != 0)
        return opened;
    const sockaddr_in& local = localEnd();
    if ((local.sin_addr.s_addr != htonl(INADDR_ANY) || local.sin_port != 0) && bindLocal() != 0)
        return failOpen();

    const std::uint32_t limitMs = sendTimeout() ? sendTimeout() : receiveTimeout();
    if (connectBounded(limitMs) != 0)
        return failOpen();
    readLocalEnd();
    return 0;
}

int TCPSocket::adopt(int fd)
{
    if (fd < 0)
        return osal::SOCK_ESOCKET;
    if (isOpen() || hasFlag(Listening)) {
        ::close(fd);
        return osal::SOCK_ESOCKET;
    }
    adoptHandle(fd);
    return configureConnected() == 0 ? 0 : failOpen();
}

int TCPSocket::connectBounded(std::uint32_t limitMs)
{
    const int fd = handle();
    const sockaddr_in& remote = remoteEnd();
    const auto* address = reinterpret_cast<const sockaddr*>(&remote);
    if (limitMs == 0)
        return ::connect(fd, address, sizeof remote) == 0 ? 0 : osal::SOCK_ESOCKET;

    // A blocking connect to a silent host can hang for minutes; bound it by the time-out.
    const int mode = ::fcntl(fd, F_GETFL);
    if (mode < 0 || ::fcntl(fd, F_SETFL, mode | O_NONBLOCK) != 0)
        return osal::SOCK_ESOCKET;
    int result = 0;
    if (::connect(fd, address, sizeof remote) != 0) {
        result = osal::SOCK_ESOCKET;
        pollfd entry{fd, POLLOUT, 0};
        if (errno == EINPROGRESS && ::poll(&entry, 1, static_cast<int>(limitMs)) == 1) {
            int error = 0;
            socklen_t size = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
                result = 0;
        }
    }
    if (::fcntl(fd, F_SETFL, mode) != 0)
        return osal::SOCK_ESOCKET;
    return result;
}

} // namespace uni
