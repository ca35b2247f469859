#pragma once
// Fuzz input as a connected stream: one end of a socketpair, taken over by a TCPSocket, holding
// what the other end wrote before it closed. The readers under test run their real socket code
// without a network, and never wait: after the bytes they meet the end of the stream.

#include "uni/tcp_socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace fuzz {

/// Opens `reader` on a stream of `data`; `sent` is how much of it the pair's buffer took
/// without blocking (the rest is left out). False when no pair could be made.
inline bool openByteStream(uni::TCPSocket& reader, const std::uint8_t* data, std::size_t size, std::size_t& sent)
{
    sent = 0;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    while (sent < size) {
        const ssize_t n = ::send(ends[1], data + sent, size - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::close(ends[1]);
    return reader.adopt(ends[0]) == 0;
}

} // namespace fuzz
