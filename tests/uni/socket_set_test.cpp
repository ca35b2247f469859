#include "uni/osal.h"
#include "uni/socket_set.h"
#include "uni/udp_socket.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <memory>
#include <vector>

namespace {

using namespace uni::osal;

/// Three loopback UDP receivers in one set and a sender that can reach each of them.
struct ThreeReceivers {
    std::vector<std::unique_ptr<uni::UDPSocket>> receivers;
    uni::UDPSocket sender;
    uni::SocketSet set;

    ThreeReceivers()
    {
        for (int i = 0; i < 3; ++i) {
            receivers.push_back(std::make_unique<uni::UDPSocket>(uni::Socket::Receiver));
            receivers.back()->setLocalEnd("127.0.0.1", 0);
            EXPECT_EQ(receivers.back()->open(), 0);
            EXPECT_EQ(set.add(receivers.back().get()), 0);
        }
        EXPECT_EQ(sender.open(), 0);
    }
    /// Sends to receiver i and waits until the datagram is queued there.
    void sendTo(int i)
    {
        sender.setRemoteEnd("127.0.0.1", receivers[i]->localPort());
        EXPECT_EQ(sender.send("ping", 4), 4);
        pollfd entry{receivers[i]->handle(), POLLIN, 0};
        EXPECT_EQ(::poll(&entry, 1, 2000), 1);
    }
    uni::Socket* next()
    {
        uni::Socket* ready = nullptr;
        EXPECT_EQ(set.wait(&ready, 2000), 0);
        return ready;
    }
    uni::Socket* at(int i) { return receivers[i].get(); }
};

TEST(SocketSet, HandsOutEachReadySocketOnceBeforeWaitingAgain)
{
    ThreeReceivers r;
    r.sendTo(0);
    r.sendTo(2);
    r.sendTo(0);
    EXPECT_EQ(r.next(), r.at(0));
    // Data that arrives now is seen only by the next poll, after socket 2's turn.
    r.sendTo(1);
    EXPECT_EQ(r.next(), r.at(2));
    // Nothing was read, so the new poll finds all three, handed out in list order.
    EXPECT_EQ(r.next(), r.at(0));
    EXPECT_EQ(r.next(), r.at(1));
    EXPECT_EQ(r.next(), r.at(2));
    EXPECT_EQ(r.next(), r.at(0)) << "a busy socket must not be handed out twice in one round";
}

TEST(SocketSet, SkipsRemovedAndClosedSocketsAndTimesOut)
{
    ThreeReceivers r;
    uni::Socket* ready = nullptr;
    EXPECT_EQ(r.set.wait(&ready, 50), SOCK_ETIMEOUT);
    EXPECT_EQ(ready, nullptr);
    EXPECT_EQ(r.set.wait(nullptr, 50), SOCK_ENOBUF);
    EXPECT_EQ(r.set.add(r.at(0)), SOCK_EHANDLE) << "already in the set";

    r.sendTo(0);
    r.sendTo(1);
    r.sendTo(2);
    EXPECT_EQ(r.next(), r.at(0));
    ASSERT_EQ(r.set.remove(r.at(1)), 0);
    r.at(2)->close();
    // 1 left the set and 2 was closed after the poll: neither is handed out.
    EXPECT_EQ(r.next(), r.at(0));
    EXPECT_EQ(r.next(), r.at(0));
    EXPECT_EQ(r.set.remove(r.at(1)), SOCK_EHANDLE);

    r.at(0)->close();
    EXPECT_EQ(r.set.wait(&ready, 50), SOCK_EHANDLE) << "no open socket left";
}

} // namespace
