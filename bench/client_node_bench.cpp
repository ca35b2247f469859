// GetParam_i32 through the remote node against a bare TCP ping-pong of the same frames, both
// talking to an in-process answer server on loopback. The difference is what the node adds
// to what any client must do: answer matching, locking, time-outs, buffers. The Vs benchmark
// compares both in one run (target: ratio at most 1.05); the other two time each alone.

#include "loopback_listener.h"
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
#include <poll.h>
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

/// Accepts connections on 127.0.0.1 and answers each request frame with a fixed, pre-built
/// answer for its command (hello, board properties, settings, GetParam_i32).
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

    std::thread& thread() { return m_thread; }

private:
    // Every connection from one thread: a node and a bare client compared in one run meet the
    // same server.
    void serve()
    {
        std::vector<pollfd> ends{{m_listener, POLLIN, 0}};
        Bytes frame(64 * 1024);
        while (::poll(ends.data(), ends.size(), -1) > 0) {
            if (ends[0].revents != 0 && !accepted(ends))
                break;
            for (std::size_t i = ends.size(); i-- > 1;) {
                if (ends[i].revents != 0 && !answered(ends[i].fd, frame)) {
                    ::close(ends[i].fd);
                    ends.erase(ends.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
        }
        for (std::size_t i = 1; i < ends.size(); ++i)
            ::close(ends[i].fd);
    }

    bool accepted(std::vector<pollfd>& ends)
    {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0)
            return false; // the listener was shut down
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ends.push_back({fd, POLLIN, 0});
        return true;
    }

    /// Reads one request frame from `fd` and answers it; false when the connection ends.
    bool answered(int fd, Bytes& frame)
    {
        if (!receiveAll(fd, frame.data(), proto::kHeaderSize))
            return false;
        const FrameHeader header = ControlFrame::readHeader(frame.data());
        if (header.length + proto::kFrameOverhead > frame.size() ||
            !receiveAll(fd, frame.data() + proto::kHeaderSize, header.length + proto::kDigestSize))
            return false;
        const auto answer = m_answers.find(header.command);
        // The goodbye, or anything unknown: no answer.
        return answer == m_answers.end() || sendAll(fd, answer->second.data(), answer->second.size());
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

/// A bare client: plain socket, one buffer, each request given a new id and digest and each
/// answer's digest checked (what the protocol asks of any client), but no answer matching,
/// parsing, locking or time-outs.
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
        const std::size_t body = m_request.size() - proto::kDigestSize;
        ControlFrame::writeHeader(m_request.data(), FrameHeader{++m_id, proto::CMD_GET_PARAM_I32,
                                                                static_cast<std::uint32_t>(proto::kParamBlockSize)});
        if (!ControlFrame::computeDigest(m_request.data(), body, m_request.data() + body) ||
            !sendAll(m_fd, m_request.data(), m_request.size()) ||
            !receiveAll(m_fd, m_answer.data(), proto::kHeaderSize))
            return false;
        const std::uint32_t length = PayloadReader::loadU32(m_answer.data() + 4);
        const std::size_t answerBody = proto::kHeaderSize + length;
        return length <= proto::kBufferSize &&
               receiveAll(m_fd, m_answer.data() + proto::kHeaderSize, length + proto::kDigestSize) &&
               ControlFrame::checkDigest(m_answer.data(), answerBody, m_answer.data() + answerBody);
    }

private:
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
/// ratio is that of the median single requests (target: at most 1.05).
void BM_ClientNodeVsBareTcp_GetParam_i32(benchmark::State& state)
{
    AnswerServer server;
    auto node = connectedNode(server);
    BareClient bare(server.port());
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

} // namespace

BENCHMARK(BM_ClientNodeVsBareTcp_GetParam_i32)->MinTime(0.5)->UseRealTime();
BENCHMARK(BM_ClientNode_GetParam_i32)->UseRealTime();
BENCHMARK(BM_BareTcp_GetParam_i32)->UseRealTime();
