// The log server on loopback: scan answers and the single log connection.

#include "net_client_support.h"

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/frame_writer.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/log/qorinet_default_logger.h"
#include "qorinet_api/log/qorinet_log_server.h"

#include "uni/tcp_socket.h"
#include "uni/udp_socket.h"

#include <gtest/gtest.h>

namespace z2e::test {
namespace {

using namespace std::chrono_literals;

using qorinet_api::QORINetLogServer;

class LogServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        port = freeClientBasePort({});
        ASSERT_NE(port, 0);
        server.configure(port, {uni::ipv4::IpAddressPair("127.0.0.1", uni::ipv4::maskFromPrefix(8).value())});
        ASSERT_EQ(server.doConfigureServer(), 0);
        ASSERT_EQ(server.start(), 0);
    }

    /// Sends a log-server scan and returns the answer document that reaches `answerPort`.
    bool scan(const std::string& portField, std::uint16_t answerPort, qorinet_api::CommandDocument& answer,
              bool breakDigest = false)
    {
        uni::UDPSocket receiver(uni::Socket::Receiver);
        receiver.setLocalEnd("0.0.0.0", answerPort);
        receiver.setReceiveTimeout(1000);
        if (receiver.open() != 0)
            return false;
        qorinet_api::CommandDocument request;
        request.set("NetBase", "net-addr", "127.0.0.1");
        request.set("NetBase", "net-mask", "255.0.0.0");
        if (!portField.empty())
            request.set("NetBase", "port", portField);
        auto datagram = qorinet_api::DiscoveryPacket::encode(QORINetLogServer::kCmdLogScan, request.toString());
        if (breakDigest)
            datagram.back() ^= 0x5A;
        uni::UDPSocket sender(uni::Socket::Sender);
        sender.setRemoteEnd("127.0.0.1", server.scanPort());
        if (sender.open() != 0 || sender.send(datagram.data(), datagram.size()) <= 0)
            return false;
        std::vector<std::uint8_t> buffer(8192);
        const int got = receiver.receive(buffer.data(), buffer.size());
        std::uint16_t command = 0;
        std::string xml;
        return got > 0 && qorinet_api::DiscoveryPacket::decode(buffer.data(), std::size_t(got), command, xml) == 0 &&
               command == QORINetLogServer::kCmdLogScanAnswer && answer.parse(xml);
    }

    /// Reads one log batch from `connection`.
    std::vector<std::string> batch(uni::TCPSocket& connection)
    {
        qorinet_api::FrameBuffer buffer;
        qorinet_api::FrameHeader header;
        if (qorinet_api::FrameReader::read(connection, buffer, header) < 0 ||
            header.command != QORINetLogServer::kCmdLogBatch)
            return {};
        const qorinet_api::PayloadReader reader(buffer.payload(), buffer.size());
        std::uint32_t count = 0;
        std::vector<std::string> messages;
        std::size_t at = 4;
        for (reader.u32At(0, count); messages.size() < count; at += 4 + messages.back().size()) {
            std::string text;
            if (!reader.textAt(at, text))
                return {};
            messages.push_back(text);
        }
        return messages;
    }

    static std::unique_ptr<uni::TCPSocket> connectTo(std::uint16_t port)
    {
        auto socket = std::make_unique<uni::TCPSocket>();
        socket->setReceiveTimeout(2000);
        socket->setRemoteEnd("127.0.0.1", port);
        return socket->connect() == 0 ? std::move(socket) : nullptr;
    }

    std::uint16_t port = 0;
    QORINetLogServer server{loopbackOnly()};
};

TEST_F(LogServerTest, ScanAnswerGoesToTheAnswerPortDefaultUnlessTheScanNamesOne)
{
    qorinet_api::CommandDocument answer;
    ASSERT_TRUE(scan("", port + 2, answer));
    EXPECT_EQ(answer.number("NetBase", "cmd-version"), 257u);
    EXPECT_EQ(answer.text("NetBase", "net-addr"), "127.0.0.1");
    EXPECT_EQ(answer.text("NetBase", "client-addr"), "127.0.0.1");
    EXPECT_EQ(answer.number("NetBase", "log_port"), port + 5u);
    EXPECT_EQ(answer.number("NetBase", "data_port"), port + 10u);

    const std::uint16_t other = freeClientBasePort({});
    qorinet_api::CommandDocument named;
    ASSERT_TRUE(scan(std::to_string(other), other, named));
    EXPECT_EQ(named.number("NetBase", "ctrl_port"), port);

    qorinet_api::CommandDocument none;
    EXPECT_FALSE(scan("", port + 2, none, true)) << "a scan with a broken digest is not answered";
}

TEST_F(LogServerTest, OneLogClientAtATime)
{
    server.queueMessage("before anyone listened");
    const auto first = connectTo(server.logPort());
    ASSERT_TRUE(first);
    EXPECT_EQ(batch(*first), std::vector<std::string>{"before anyone listened"});
    EXPECT_TRUE(server.logClientConnected());

    const auto second = connectTo(server.logPort());
    ASSERT_TRUE(second) << "the second is accepted ...";
    std::uint8_t byte = 0;
    EXPECT_EQ(second->receive(&byte, 1), 0) << "... and closed at once";

    server.queueMessage("still yours");
    EXPECT_EQ(batch(*first), std::vector<std::string>{"still yours"});

    qorinet_api::FrameBuffer goodbye;
    ASSERT_GT(qorinet_api::FrameWriter::write(*first, goodbye, qorinet_api::proto::CMD_CLOSE), 0);
    EXPECT_TRUE(eventually([&] { return !server.logClientConnected(); }, 2000ms));
    EXPECT_EQ(first->receive(&byte, 1), 0);
    server.queueMessage("kept for the next one");
    EXPECT_EQ(server.queuedMessages(), 1u);
}

TEST(DefaultLogger, HandsMessagesToTheCallbackOnly)
{
    qorinet_api::QORINetDefaultLogger logger;
    logger.log("dropped");
    std::vector<std::string> seen;
    logger.setCallback([&](const std::string& text) { seen.push_back(text); });
    logger.log("kept");
    logger.setCallback(nullptr);
    logger.log("dropped too");
    EXPECT_EQ(seen, std::vector<std::string>{"kept"});
}

} // namespace
} // namespace z2e::test
