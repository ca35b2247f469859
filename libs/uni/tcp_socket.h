#pragma once
// A TCP stream socket: either a listener (flag Listening) that accepts peers, or a connection.

#include "uni/socket.h"

namespace uni {

class TCPSocket : public Socket {
public:
    explicit TCPSocket(std::uint32_t flags = 0) : Socket(flags) {}
    ~TCPSocket() override = default;

    /// Creates the socket with TCP_NODELAY. A listener also binds to the local end (read back,
    /// so port 0 yields the chosen port) and listens with backlog 1. 0 or -16 (socket closed).
    int open() override;

    using Socket::receive;
    /// Without `partial`, loops until exactly `length` bytes arrived and returns `length`;
    /// 0 when the peer closed first, even after some bytes. With `partial`, one read.
    /// -1 closed, -4 no buffer, -10 interrupted, -8 time-out, -9 other error.
    int receive(void* buffer, std::size_t length, bool partial) override;
    /// Loops until all bytes are written; returns the count, or the error when none went out.
    int send(const void* buffer, std::size_t length) override;

    /// Takes the next peer of this listener into `peer` (which must be closed): its ends are
    /// read from the connection and its own time-outs applied. 0, -8 on the listener's receive
    /// time-out, -10 interrupted, -1 when this listener is closed, -16 otherwise.
    int accept(TCPSocket& peer);

    /// Opens, binds when a local end is set (address or port not zero), connects to the remote
    /// end and reads the local end back. The attempt is bounded by the send time-out, else the
    /// receive time-out, when one is set. 0, or -16 with the socket closed.
    int connect();

    /// Takes over `fd`, an already connected stream (e.g. one end of a socketpair), and applies
    /// the time-outs set. This socket then owns it. 0, or -16 with `fd` closed (also when this
    /// socket is open already).
    int adopt(int fd);

private:
    int configureConnected();
    int connectBounded(std::uint32_t limitMs);
};

} // namespace uni
