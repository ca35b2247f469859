#include "support/eventually.h"
#include "support/tcp_pair.h"

#include "uni/osal.h"
#include "uni/tcp_socket.h"
#include "uni/udp_socket.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace uni::osal;

constexpr const char* Loopback = "127.0.0.1";

using z2e::test::TcpPair;

TEST(TcpSocket, RoundTripsExactLengthsAcrossPiecewiseWrites)
{
    TcpPair pair;
    EXPECT_NE(pair.listener.localPort(), 0);
    EXPECT_EQ(pair.server.remotePort(), pair.client.localPort());
    EXPECT_EQ(pair.client.remotePort(), pair.server.localPort());
    EXPECT_EQ(pair.server.remoteAddress(), Loopback);

    // The sender dribbles 100 bytes in pieces; the receiver must get all of them in one call.
    std::string message(100, '\0');
    for (std::size_t i = 0; i < message.size(); ++i)
        message[i] = static_cast<char>('a' + i % 26);
    std::thread sender([&] {
        for (std::size_t at = 0; at < message.size(); at += 30) {
            const std::size_t piece = std::min<std::size_t>(30, message.size() - at);
            EXPECT_EQ(pair.client.send(message.data() + at, piece), static_cast<int>(piece));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    std::string got(100, '\0');
    EXPECT_EQ(pair.server.receive(&got[0], got.size()), 100);
    sender.join();
    EXPECT_EQ(got, message);

    // With the partial flag one read returns what is there instead of waiting for the rest.
    ASSERT_EQ(pair.server.send("xyz", 3), 3);
    char partial[16] = {};
    const int n = pair.client.receive(partial, sizeof partial, true);
    ASSERT_TRUE(n >= 1 && n <= 3) << n;
    EXPECT_EQ(std::string(partial, n), std::string("xyz", n));
    EXPECT_EQ(pair.client.waitWritable(1000), 0);
}

// Each silent wait lasts its time-out in milliseconds, then reports it and keeps the socket.
TEST(Socket, SilenceTimesOutAfterTheGivenMilliseconds)
{
    constexpr std::uint32_t TimeoutMs = 200;
    TcpPair pair(0, TimeoutMs);
    pair.listener.setReceiveTimeout(TimeoutMs);
    uni::UDPSocket datagrams(uni::Socket::Receiver);
    datagrams.setLocalEnd(Loopback, 0);
    datagrams.setReceiveTimeout(TimeoutMs);
    ASSERT_EQ(datagrams.open(), 0);

    char buffer[8];
    uni::TCPSocket nobody;
    const struct {
        const char* wait;
        std::function<int()> call;
        const uni::Socket& socket;
    } waits[] = {
        {"stream receive", [&] { return pair.server.receive(buffer, sizeof buffer); }, pair.server},
        {"accept", [&] { return pair.listener.accept(nobody); }, pair.listener},
        {"datagram receive", [&] { return datagrams.receive(buffer, sizeof buffer); }, datagrams},
    };
    for (const auto& w : waits) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(w.call(), SOCK_ETIMEOUT) << w.wait;
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(TimeoutMs * 9 / 10)) << w.wait;
        EXPECT_LT(waited, std::chrono::seconds(5)) << w.wait;
        EXPECT_TRUE(w.socket.isOpen()) << w.wait;
    }
    EXPECT_FALSE(nobody.isOpen());
}

TEST(TcpSocket, RefusesClosedSocketsMissingBuffersAndDeadPorts)
{
    TcpPair pair;
    EXPECT_EQ(pair.client.receive(nullptr, 4), SOCK_ENOBUF);
    EXPECT_EQ(pair.client.send(nullptr, 4), SOCK_ENOBUF);
    EXPECT_EQ(pair.listener.accept(pair.server), SOCK_ESOCKET) << "peer still open";
    uni::TCPSocket busy(uni::Socket::Receiver | uni::Socket::Listening);
    busy.setLocalEnd(Loopback, pair.server.localPort());
    EXPECT_EQ(busy.open(), SOCK_ESOCKET) << "port taken by a live connection";
    EXPECT_FALSE(busy.isOpen());
    EXPECT_EQ(busy.setLocalEnd("300.1.2.3", 1), SOCK_EFORMAT);

    // A message shorter than the read, then a close: the read gives 0.
    char buffer[40] = {};
    ASSERT_EQ(pair.client.send(buffer, 25), 25);
    pair.client.close();
    EXPECT_EQ(pair.server.receive(buffer, sizeof buffer), 0);
    EXPECT_EQ(pair.client.receive(buffer, sizeof buffer), SOCK_EHANDLE);
    EXPECT_EQ(pair.client.send(buffer, sizeof buffer), SOCK_EHANDLE);
    EXPECT_EQ(pair.client.waitWritable(10), SOCK_EHANDLE);
    EXPECT_EQ(pair.client.close(), SOCK_EHANDLE);

    // Nothing listens on the port of a listener that is gone.
    const std::uint16_t deadPort = pair.listener.localPort();
    pair.listener.close();
    uni::TCPSocket socket;
    socket.setRemoteEnd(Loopback, deadPort);
    socket.setReceiveTimeout(1000);
    EXPECT_EQ(socket.connect(), SOCK_ESOCKET);
    EXPECT_FALSE(socket.isOpen());
}

TEST(TcpSocket, LockedSocketKeepsConcurrentMessagesWhole)
{
    TcpPair pair(uni::Socket::Locked);
    pair.client.setSendTimeout(10000);
    // Small buffers make each send block part-way, which is where unlocked writers interleave.
    const int small = 65536;
    ASSERT_EQ(::setsockopt(pair.client.handle(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    ASSERT_EQ(::setsockopt(pair.server.handle(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small), 0);
    constexpr std::size_t Size = 512 * 1024;
    constexpr int PerThread = 8;
    auto readWholeMessages = [&] {
        // Late reading lets both writers fill the buffers and block mid-message.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::vector<char> message(Size);
        for (int i = 0; i < 2 * PerThread; ++i) {
            ASSERT_EQ(pair.server.receive(message.data(), Size), static_cast<int>(Size));
            const auto same = std::count(message.begin(), message.end(), message[0]);
            ASSERT_EQ(static_cast<std::size_t>(same), Size) << "messages interleaved";
        }
    };
    std::thread reader([&] {
        readWholeMessages();
        pair.server.close(); // a failed check must not leave the writers blocked
    });
    auto writer = [&](char fill) {
        const std::vector<char> message(Size, fill);
        for (int i = 0; i < PerThread; ++i)
            EXPECT_EQ(pair.client.send(message.data(), Size), static_cast<int>(Size));
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    reader.join();
}

TEST(TcpSocket, CloseFromAnotherThreadWakesBlockedCalls)
{
    // The time-outs only keep a broken close from hanging the test; they must not end the calls.
    TcpPair pair(0, 5000);
    uni::TCPSocket& idle = pair.listener;
    idle.setReceiveTimeout(5000);
    int received = 1, accepted = 1;
    std::thread receiver([&] {
        char buffer[8];
        received = pair.server.receive(buffer, sizeof buffer);
    });
    std::thread acceptor([&] {
        uni::TCPSocket peer;
        accepted = idle.accept(peer);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pair.server.close(), 0);
    EXPECT_EQ(idle.close(), 0);
    receiver.join();
    acceptor.join();
    EXPECT_EQ(received, 0);
    EXPECT_EQ(accepted, SOCK_ESOCKET);
}

TEST(UdpSocket, DatagramRoundTripWithSenderAddressAndFailures)
{
    uni::UDPSocket receiver(uni::Socket::Receiver | uni::Socket::ReuseAddress);
    receiver.setLocalEnd(Loopback, 0);
    receiver.setReceiveTimeout(2000);
    ASSERT_EQ(receiver.open(), 0);
    ASSERT_NE(receiver.localPort(), 0);

    uni::UDPSocket sender(uni::Socket::Sender | uni::Socket::BindSender | uni::Socket::Broadcast);
    sender.setLocalEnd(Loopback, 0);
    sender.setRemoteEnd(Loopback, receiver.localPort());
    ASSERT_EQ(sender.open(), 0);
    ASSERT_EQ(sender.send("hello", 5), 5);
    ASSERT_EQ(sender.send("second datagram", 15), 15);

    char buffer[64] = {};
    std::string from;
    std::uint16_t fromPort = 0;
    ASSERT_EQ(receiver.receiveFrom(buffer, sizeof buffer, from, &fromPort), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(from, Loopback);
    EXPECT_EQ(fromPort, sender.localPort());
    EXPECT_EQ(receiver.receive(buffer, sizeof buffer), 15) << "one datagram per call";

    EXPECT_EQ(receiver.receive(nullptr, 4), SOCK_ENOBUF);

    // Without waiting: what is there, then -8 at once, and the socket stays.
    ASSERT_EQ(sender.send("third", 5), 5);
    ASSERT_TRUE(z2e::test::eventually([&] { return receiver.receiveFromNow(buffer, sizeof buffer, from) == 5; },
                                      std::chrono::milliseconds(2000)));
    EXPECT_EQ(std::string(buffer, 5), "third");
    EXPECT_EQ(from, Loopback);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(receiver.receiveFromNow(buffer, sizeof buffer, from), SOCK_ETIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000)) << "the 2 s time-out waits";
    EXPECT_TRUE(receiver.isOpen());

    // Port 0 is no destination: the send fails, reports itself and closes the socket.
    sender.setRemoteEnd(Loopback, 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(sender.send("x", 1), SOCK_EHANDLE);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("WSASendTo failed with error: ", 0), 0u);
    EXPECT_FALSE(sender.isOpen());
}

} // namespace
