#pragma once
// A base port for a window's network client that nobody else uses right now, so that test
// windows running side by side (and node simulators of other tests) never meet.

#include "uni/random.h"
#include "uni/tcp_socket.h"
#include "uni/udp_socket.h"

#include <cstdint>
#include <initializer_list>

namespace z2e_test {

inline bool tcpPortFree(std::uint16_t port)
{
    uni::TCPSocket socket(uni::Socket::Listening);
    socket.setLocalEnd("127.0.0.1", port);
    return socket.open() == 0;
}

inline bool udpPortFree(std::uint16_t port)
{
    uni::UDPSocket socket(uni::Socket::Receiver);
    socket.setLocalEnd("0.0.0.0", port);
    return socket.open() == 0;
}

/// P with the client's ports P+2, P+3 (datagrams) and P+5, P+10 (streams) free, and the node
/// ports P, P+1, P+6 too, so that a simulator can join on the same P. 0 when none was found.
inline std::uint16_t freeClientBasePort()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        // Below the ephemeral range: no outgoing connection takes one meanwhile.
        const auto port = static_cast<std::uint16_t>(20000 + uni::Random::next() % 12000);
        bool free = true;
        for (int offset : {0, 5, 6, 10})
            free = free && tcpPortFree(static_cast<std::uint16_t>(port + offset));
        for (int offset : {1, 2, 3})
            free = free && udpPortFree(static_cast<std::uint16_t>(port + offset));
        if (free)
            return port;
    }
    return 0;
}

} // namespace z2e_test
