// GetParam_i32 through the remote node against a bare TCP ping-pong of the same frames, both
// talking to an in-process answer server on loopback. The difference is what the node adds
// to what any client must do: answer matching, locking, time-outs, buffers. The Vs benchmarks
// compare both in one run (target: ratio at most 1.05 against the plain bare client; the bare
// client reading ahead as the node does has none); the other two time each alone.

#include "loopback_server.h"
#include "same_processor.h"

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

#include <algorithm>
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

/// Answers each request frame on every connection with a fixed, pre-built answer for its
/// command (hello, board properties, settings, GetParam_i32).
class AnswerServer {
public:
    std::uint16_t port() const { return m_server.port(); }
    std::thread& thread() { return m_server.thread(); }

private:
    static std::map<std::uint16_t, Bytes> answers()
    {
        Bytes value = statusPayload(12);
        PayloadWriter::storeU32(value.data() + proto::kAnswerValueOffset, kValue);
        return {{proto::CMD_HELLO, answerFrame(proto::CMD_HELLO, statusPayload(8))},
                {proto::CMD_BOARD_PROPERTIES, answerFrame(proto::CMD_BOARD_PROPERTIES, statusPayload(4))}, // empty text
                {proto::CMD_NODE_SETTINGS, answerFrame(proto::CMD_NODE_SETTINGS, statusPayload(0))},
                {proto::CMD_GET_PARAM_I32, answerFrame(proto::CMD_GET_PARAM_I32, value)}};
    }

    /// Reads one request frame from `fd` and answers it; false when the connection ends.
    bool answered(int fd)
    {
        if (!receiveAll(fd, m_frame.data(), proto::kHeaderSize))
            return false;
        const FrameHeader header = ControlFrame::readHeader(m_frame.data());
        if (header.length + proto::kFrameOverhead > m_frame.size() ||
            !receiveAll(fd, m_frame.data() + proto::kHeaderSize, header.length + proto::kDigestSize))
            return false;
        const auto answer = m_answers.find(header.command);
        // The goodbye, or anything unknown: no answer.
        return answer == m_answers.end() || sendAll(fd, answer->second.data(), answer->second.size());
    }

    const std::map<std::uint16_t, Bytes> m_answers = answers();
    Bytes m_frame = Bytes(64 * 1024);
    bench::LoopbackServer m_server{[this](int fd) { return answered(fd); }}; // last: it stops first
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

/// A bare client: plain socket, one buffer, each request given a new id and digest and each
/// answer's digest checked (what the protocol asks of any client), but no answer matching,
/// parsing, locking or time-outs. It reads the header, then the rest; `readingAhead` asks for a
/// whole buffer first, as the node does (the answer server sends nothing unasked, so no byte
/// of a later answer can come with it).
class BareClient {
public:
    explicit BareClient(std::uint16_t port, bool readingAhead = false) : m_readingAhead(readingAhead)
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
        const std::size_t body = m_request.size() - proto::kDigestSize;
        ControlFrame::writeHeader(m_request.data(), FrameHeader{++m_id, proto::CMD_GET_PARAM_I32,
                                                                static_cast<std::uint32_t>(proto::kParamBlockSize)});
        if (!ControlFrame::computeDigest(m_request.data(), body, m_request.data() + body) ||
            !sendAll(m_fd, m_request.data(), m_request.size()))
            return false;
        std::size_t got = 0;
        if (m_readingAhead) {
            const ssize_t n = ::recv(m_fd, m_answer.data(), m_answer.size(), 0);
            if (n <= 0)
                return false;
            got = static_cast<std::size_t>(n);
        }
        if (got < proto::kHeaderSize && !receiveAll(m_fd, m_answer.data() + got, proto::kHeaderSize - got))
            return false;
        got = std::max(got, proto::kHeaderSize);
        const std::uint32_t length = PayloadReader::loadU32(m_answer.data() + 4);
        const std::size_t answerBody = proto::kHeaderSize + length;
        const std::size_t total = answerBody + proto::kDigestSize;
        return length <= proto::kBufferSize && got <= total && receiveAll(m_fd, m_answer.data() + got, total - got) &&
               ControlFrame::checkDigest(m_answer.data(), answerBody, m_answer.data() + answerBody);
    }

private:
    const bool m_readingAhead;
    int m_fd = -1;
    std::uint16_t m_id = 7;
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

/// One request through the node and one bare round trip per iteration, in alternating order,
/// against one answer server pinned with the caller to one processor, after a warm-up; the
/// ratio is that of the median single requests.
void compareWithBare(benchmark::State& state, bool bareReadingAhead)
{
    AnswerServer server;
    auto node = connectedNode(server);
    BareClient bare(server.port(), bareReadingAhead);
    if (!node || !bare.ok()) {
        state.SkipWithError("connect failed");
        return;
    }
    const bench::SameProcessor pinned(server.thread());
    const auto request = [&] {
        std::int32_t value = 0;
        return node->GetParam_i32(0, kCommand, value) == 0 && value == kValue;
    };
    bench::compareMedianTrips(state, "node", "ratio", request, [&] { return bare.roundTrip(); });
}

/// Against the bare client as any plain client reads: header, then the rest (target: ratio at
/// most 1.05).
void BM_ClientNodeVsBareTcp_GetParam_i32(benchmark::State& state)
{
    compareWithBare(state, false);
}

/// Against a bare client that also asks for a whole buffer first: what the node adds once both
/// make one receive per answer (no target).
void BM_ClientNodeVsBareTcpReadingAhead_GetParam_i32(benchmark::State& state)
{
    compareWithBare(state, true);
}

} // namespace

BENCHMARK(BM_ClientNodeVsBareTcp_GetParam_i32)->MinTime(0.5)->UseRealTime();
BENCHMARK(BM_ClientNodeVsBareTcpReadingAhead_GetParam_i32)->MinTime(0.5)->UseRealTime();
BENCHMARK(BM_ClientNode_GetParam_i32)->UseRealTime();
BENCHMARK(BM_BareTcp_GetParam_i32)->UseRealTime();
