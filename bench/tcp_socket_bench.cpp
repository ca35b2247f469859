// Request/response round trips over loopback: uni::TCPSocket against bare POSIX calls, each
// talking to a bare echo server, so the difference is the wrapper's own cost. The Ratio
// benchmark compares both in one run (target: uni_per_bare at most 1.05, the same within a
// few per cent from run to run); the other two time each alone.

#include "loopback_server.h"
#include "same_processor.h"

#include "uni/tcp_socket.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace {

bool sendAll(int fd, const char* bytes, std::size_t length)
{
    for (std::size_t sent = 0; sent < length;) {
        const ssize_t n = ::send(fd, bytes + sent, length - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

/// Echoes everything back on every connection until the peer closes.
class EchoServer {
public:
    std::uint16_t port() const { return m_server.port(); }
    std::thread& thread() { return m_server.thread(); }

private:
    bool echoed(int fd)
    {
        const ssize_t n = ::recv(fd, m_buffer.data(), m_buffer.size(), 0);
        return n > 0 && sendAll(fd, m_buffer.data(), static_cast<std::size_t>(n));
    }

    std::vector<char> m_buffer = std::vector<char>(64 * 1024);
    bench::LoopbackServer m_server{[this](int fd) { return echoed(fd); }}; // last: it stops first
};

int bareConnect(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in end{};
    end.sin_family = AF_INET;
    end.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    end.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&end), sizeof end) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool bareRoundTrip(int fd, const char* request, char* response, std::size_t length)
{
    if (!sendAll(fd, request, length))
        return false;
    for (std::size_t got = 0; got < length;) {
        const ssize_t n = ::recv(fd, response + got, length - got, 0);
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

void BM_TcpRoundTripBare(benchmark::State& state)
{
    const auto length = static_cast<std::size_t>(state.range(0));
    std::vector<char> request(length, 'q'), response(length);
    EchoServer server;
    const int fd = bareConnect(server.port());
    if (fd < 0) {
        state.SkipWithError("connect failed");
        return;
    }
    for (auto _ : state) {
        if (!bareRoundTrip(fd, request.data(), response.data(), length)) {
            state.SkipWithError("round trip failed");
            break;
        }
        benchmark::DoNotOptimize(response.data());
    }
    ::close(fd);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * length * 2));
}

void BM_TcpRoundTripUni(benchmark::State& state)
{
    const auto length = static_cast<std::size_t>(state.range(0));
    std::vector<char> request(length, 'q'), response(length);
    EchoServer server;
    uni::TCPSocket socket;
    socket.setRemoteEnd("127.0.0.1", server.port());
    socket.setReceiveTimeout(1000); // as the control connection runs
    if (socket.connect() != 0) {
        state.SkipWithError("connect failed");
        return;
    }
    const int expected = static_cast<int>(length);
    for (auto _ : state) {
        if (socket.send(request.data(), length) != expected || socket.receive(response.data(), length) != expected) {
            state.SkipWithError("round trip failed");
            break;
        }
        benchmark::DoNotOptimize(response.data());
    }
    socket.close();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * length * 2));
}

/// One bare and one uni round trip per iteration, in alternating order, against one echo
/// thread pinned with the caller to one processor, after a warm-up. The ratio is that of the
/// median round trips: a trip that the machine's other work delays says nothing of either path.
void BM_TcpRoundTripRatio(benchmark::State& state)
{
    const auto length = static_cast<std::size_t>(state.range(0));
    std::vector<char> request(length, 'q'), response(length);
    EchoServer server;
    const bench::SameProcessor pinned(server.thread());
    const int fd = bareConnect(server.port());
    uni::TCPSocket socket;
    socket.setRemoteEnd("127.0.0.1", server.port());
    socket.setReceiveTimeout(1000);
    if (fd < 0 || socket.connect() != 0) {
        state.SkipWithError("connect failed");
        if (fd >= 0)
            ::close(fd);
        return;
    }
    const int expected = static_cast<int>(length);
    auto bareTrip = [&] { return bareRoundTrip(fd, request.data(), response.data(), length); };
    auto uniTrip = [&] {
        return socket.send(request.data(), length) == expected && socket.receive(response.data(), length) == expected;
    };
    bench::compareMedianTrips(state, "uni", "uni_per_bare", uniTrip, bareTrip);
    ::close(fd);
    socket.close();
}

} // namespace

BENCHMARK(BM_TcpRoundTripBare)->Arg(64)->Arg(8192)->UseRealTime();
BENCHMARK(BM_TcpRoundTripUni)->Arg(64)->Arg(8192)->UseRealTime();
BENCHMARK(BM_TcpRoundTripRatio)->Arg(64)->Arg(8192)->MinTime(0.5)->UseRealTime();
