#pragma once
// A connected pair of stream sockets on loopback, on a port the system picks. Header only: the
// support library itself stays free of the product.

#include "uni/tcp_socket.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace z2e::test {

/// A listener with one connected client and its accepted peer.
struct TcpPair {
    uni::TCPSocket listener{uni::Socket::Receiver | uni::Socket::Listening};
    uni::TCPSocket client;
    uni::TCPSocket server;

    explicit TcpPair(std::uint32_t clientFlags = 0, std::uint32_t receiveTimeoutMs = 2000) : client(clientFlags)
    {
        listener.setLocalEnd("127.0.0.1", 0);
        listener.setReceiveTimeout(2000);
        EXPECT_EQ(listener.open(), 0);
        client.setRemoteEnd("127.0.0.1", listener.localPort());
        client.setReceiveTimeout(receiveTimeoutMs);
        server.setReceiveTimeout(receiveTimeoutMs);
        EXPECT_EQ(client.connect(), 0);
        EXPECT_EQ(listener.accept(server), 0);
    }
};

} // namespace z2e::test
