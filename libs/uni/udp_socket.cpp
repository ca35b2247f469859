#include "uni/udp_socket.h"

#include "uni/osal.h"

#include <sys/socket.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace uni {

namespace {
constexpr int ReceiveBufferBytes = 65536;
}

int UDPSocket::open()
{
    if (createHandle(SOCK_DGRAM) != 0)
        return osal::SOCK_ESOCKET;
    const int configured = hasFlag(Receiver) ? configureReceiver() : configureSender();
    return configured == 0 ? 0 : failOpen();
}

int UDPSocket::configureReceiver()
{
    if (hasFlag(Broadcast) && setOption(SOL_SOCKET, SO_BROADCAST, 1) != 0)
        return osal::SOCK_ESOCKET;
    if (hasFlag(ReuseAddress) && setOption(SOL_SOCKET, SO_REUSEADDR, 1) != 0)
        return osal::SOCK_ESOCKET;
    if (applyReceiveTimeout() != 0 || bindLocal() != 0)
        return osal::SOCK_ESOCKET;
    return setOption(SOL_SOCKET, SO_RCVBUF, ReceiveBufferBytes);
}

int UDPSocket::configureSender()
{
    if (hasFlag(Broadcast) && setOption(SOL_SOCKET, SO_BROADCAST, 1) != 0)
        return osal::SOCK_ESOCKET;
    if (applySendTimeout() != 0 || applyReceiveTimeout() != 0)
        return osal::SOCK_ESOCKET;
    return hasFlag(BindSender) ? bindLocal() : 0;
}

int UDPSocket::receiveFrom(void* buffer, std::size_t length, std::string& senderAddress, std::uint16_t* senderPort)
{
    sockaddr_in sender{};
    const int result = receiveDatagram(buffer, length, &sender);
    if (result < 0)
        return result;
    senderAddress = addressText(sender);
    if (senderPort)
        *senderPort = ntohs(sender.sin_port);
    return result;
}

int UDPSocket::receiveFromNow(void* buffer, std::size_t length, std::string& senderAddress)
{
    sockaddr_in sender{};
    const int result = receiveDatagram(buffer, length, &sender, MSG_DONTWAIT);
    if (result < 0)
        return result;
    senderAddress = addressText(sender);
    return result;
}

int UDPSocket::receive(void* buffer, std::size_t length, bool /*partial*/)
{
    return receiveDatagram(buffer, length, nullptr);
}

int UDPSocket::receiveDatagram(void* buffer, std::size_t length, sockaddr_in* sender, int flags)
{
    if (!isOpen())
        return osal::SOCK_EHANDLE;
    if (!buffer || length > INT_MAX)
        return osal::SOCK_ENOBUF;

    int result = 0;
    {
        Guard guard(lock());
        const Use use(*this);
        if (use.fd() == InvalidHandle)
            return osal::SOCK_EHANDLE;
        socklen_t size = sizeof(sockaddr_in);
        const ssize_t n =
            ::recvfrom(use.fd(), buffer, length, flags, reinterpret_cast<sockaddr*>(sender), sender ? &size : nullptr);
        if (n >= 0)
            return static_cast<int>(n);
        result = transferError(errno);
    }
    // A time-out only means nothing came; every real failure leaves the socket unusable.
    if (result != osal::SOCK_ETIMEOUT)
        close();
    return result;
}

int UDPSocket::send(const void* buffer, std::size_t length)
{
    if (!isOpen())
        return osal::SOCK_EHANDLE;
    if (!buffer || length > INT_MAX)
        return osal::SOCK_ENOBUF;

    int error = 0;
    {
        Guard guard(lock());
        const Use use(*this);
        if (use.fd() == InvalidHandle)
            return osal::SOCK_EHANDLE;
        const sockaddr_in& remote = remoteEnd();
        const ssize_t n =
            ::sendto(use.fd(), buffer, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
        if (n >= 0)
            return static_cast<int>(n);
        error = errno;
    }
    std::printf("WSASendTo failed with error: %d\n", error);
    close();
    return osal::SOCK_EHANDLE;
}

} // namespace uni
