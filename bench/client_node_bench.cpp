// GetParam_i32 through the remote node against a bare TCP ping-pong of the same frame bytes,
// both talking to the same kind of in-process answer server on loopback. The difference is
// what the node adds: frame building, digests, answer matching, locking. Target: the node's
// time per request at most 1.3 times the bare one's.

#include "loopback_listener.h"

#include "qorinet_api/client/qorinet_client_node.h"
#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <thread>
#include <vector>

namespace {

using namespace qorinet_api;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kCommand = 1282;
constexpr std::int32_t kValue = 0x1A2B;

bool sendAll(int fd, const void* data, std::size_t length)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t sent = 0; sent < length;) {
        const ssize_t n = ::send(fd, bytes + sent, length - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool receiveAll(int fd, void* data, std::size_t length)
{
    auto* bytes = static_cast<std::uint8_t*>(data);
    for (std::size_t got = 0; got < length;) {
        const ssize_t n = ::recv(fd, bytes + got, length - got, 0);
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

Bytes answerFrame(std::uint16_t command, const Bytes& payload)
{
    return ControlFrame::encode(proto::answerCode(command), payload.data(), payload.size(), 1);
}

Bytes statusPayload(std::size_t extra)
{
    return Bytes(4 + extra, 0);
}

/// Accepts one connection on 127.0.0.1 and answers each request frame with a fixed,
/// pre-built answer for its command (hello, board properties, settings, GetParam_i32).
class AnswerServer {
public:
    AnswerServer()
    {
        Bytes hello = statusPayload(8);
        Bytes properties = statusPayload(4); // status, empty text
        Bytes value = statusPayload(12);
        PayloadWriter::storeU32(value.data() + proto::kAnswerValueOffset, kValue);
        m_answers[proto::CMD_HELLO] = answerFrame(proto::CMD_HELLO, hello);
        m_answers[proto::CMD_BOARD_PROPERTIES] = answerFrame(proto::CMD_BOARD_PROPERTIES, properties);
        m_answers[proto::CMD_NODE_SETTINGS] = answerFrame(proto::CMD_NODE_SETTINGS, statusPayload(0));
        m_answers[proto::CMD_GET_PARAM_I32] = answerFrame(proto::CMD_GET_PARAM_I32, value);

        m_listener = bench::openLoopbackListener(m_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~AnswerServer()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    std::uint16_t port() const { return m_port; }
    const Bytes& answerTo(std::uint16_t command) const { return m_answers.at(command); }

private:
    void serve()
    {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0)
            return;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Bytes frame(64 * 1024);
        for (;;) {
            if (!receiveAll(fd, frame.data(), proto::kHeaderSize))
                break;
            const FrameHeader header = ControlFrame::readHeader(frame.data());
            if (header.length + proto::kFrameOverhead > frame.size() ||
                !receiveAll(fd, frame.data() + proto::kHeaderSize, header.length + proto::kDigestSize))
                break;
            const auto answer = m_answers.find(header.command);
            if (answer == m_answers.end())
                continue; // the goodbye, or anything unknown: no answer
            if (!sendAll(fd, answer->second.data(), answer->second.size()))
                break;
        }
        ::close(fd);
    }

    std::map<std::uint16_t, Bytes> m_answers;
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
};

/// A remote node connected to `server`, with one board.
std::unique_ptr<QORINetClientNode> connectedNode(const AnswerServer& server)
{
    auto node = std::make_unique<QORINetClientNode>(nullptr, 1, 1, 0, false);
    node->setAddressPair(uni::ipv4::IpAddressPair("127.0.0.1", uni::ipv4::maskFromPrefix(8).value()));
    node->setPorts(proto::PortTriple::fromBase(server.port()));
    node->setBoards({QORINetClientNode::BoardInfo{}});
    node->setScanState(QORINetClientNode::kScanFree);
    node->startNode();
    if (node->connect() != 0)
        return nullptr;
    return node;
}

/// A bare client: plain socket, the request frame built once, the answer read as the node
/// reads it (header, then payload and digest) but neither checked nor parsed.
class BareClient {
public:
    explicit BareClient(std::uint16_t port)
    {
        Bytes block(proto::kParamBlockSize, 0);
        PayloadWriter::storeU32(block.data() + 4, kCommand);
        m_request = ControlFrame::encode(proto::CMD_GET_PARAM_I32, block.data(), block.size(), 7);
        m_answer.resize(proto::kBufferSize + proto::kFrameOverhead);

        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in end{};
        end.sin_family = AF_INET;
        end.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        end.sin_port = htons(port);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&end), sizeof end) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~BareClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return m_fd >= 0; }

    bool roundTrip()
    {
        if (!sendAll(m_fd, m_request.data(), m_request.size()) ||
            !receiveAll(m_fd, m_answer.data(), proto::kHeaderSize))
            return false;
        const std::uint32_t length = PayloadReader::loadU32(m_answer.data() + 4);
        return length <= proto::kBufferSize &&
               receiveAll(m_fd, m_answer.data() + proto::kHeaderSize, length + proto::kDigestSize);
    }

private:
    int m_fd = -1;
    Bytes m_request;
    Bytes m_answer;
};

void BM_ClientNode_GetParam_i32(benchmark::State& state)
{
    AnswerServer server;
    auto node = connectedNode(server);
    if (!node) {
        state.SkipWithError("connect failed");
        return;
    }
    for (auto _ : state) {
        std::int32_t value = 0;
        if (node->GetParam_i32(0, kCommand, value) != 0 || value != kValue) {
            state.SkipWithError("request failed");
            break;
        }
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_BareTcp_GetParam_i32(benchmark::State& state)
{
    AnswerServer server;
    BareClient bare(server.port());
    if (!bare.ok()) {
        state.SkipWithError("connect failed");
        return;
    }
    for (auto _ : state) {
        if (!bare.roundTrip()) {
            state.SkipWithError("round trip failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_ClientNode_GetParam_i32)->UseRealTime();
BENCHMARK(BM_BareTcp_GetParam_i32)->UseRealTime();
