#pragma once
// A UDP datagram socket: a receiver bound to its local end, or a sender towards its remote end.

#include "uni/socket.h"

namespace uni {

class UDPSocket : public Socket {
public:
    explicit UDPSocket(std::uint32_t flags = Sender) : Socket(flags) {}
    ~UDPSocket() override = default;

    /// Receiver: broadcast and address reuse when flagged, receive time-out, bind (the chosen
    /// end is read back), 64 KiB receive buffer. Sender: broadcast when flagged, bind when
    /// BindSender is set, send time-out. 0 or -16 (socket closed).
    int open() override;

    /// Takes one datagram (cut to `length`) and the sender's dotted address and port.
    /// Returns its size; -8 on time-out. Other failures close the socket and give -10 when
    /// interrupted, else -9.
    int receiveFrom(void* buffer, std::size_t length, std::string& senderAddress, std::uint16_t* senderPort = nullptr);
    /// As receiveFrom, but takes only a datagram that is there already: -8 at once, the socket
    /// kept open, when none is.
    int receiveFromNow(void* buffer, std::size_t length, std::string& senderAddress);

    using Socket::receive;
    /// One datagram, as receiveFrom without the sender; `partial` has no meaning here.
    int receive(void* buffer, std::size_t length, bool partial) override;
    /// Sends one datagram to the remote end. On failure prints the error, closes the socket
    /// and returns -1.
    int send(const void* buffer, std::size_t length) override;

private:
    int receiveDatagram(void* buffer, std::size_t length, sockaddr_in* sender, int flags = 0);
    int configureReceiver();
    int configureSender();
};

} // namespace uni
