// Request/response round trips over loopback: uni::TCPSocket against bare POSIX calls, each
// talking to the same kind of bare echo server, so the difference is the wrapper's own cost.

#include "loopback_listener.h"

#include "uni/tcp_socket.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

/// Accepts one connection on 127.0.0.1 and echoes everything back until the peer closes.
class EchoServer {
public:
    EchoServer()
    {
        m_listener = bench::openLoopbackListener(m_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~EchoServer()
    {
        ::shutdown(m_listener, SHUT_RDWR); // wakes accept() when no client came
        m_thread.join();
        ::close(m_listener);
    }
    std::uint16_t port() const { return m_port; }

private:
    void serve()
    {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0)
            return;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::vector<char> buffer(64 * 1024);
        for (;;) {
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0 || !sendAll(fd, buffer.data(), static_cast<std::size_t>(n)))
                break;
        }
        ::close(fd);
    }

    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
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

/// One bare and one uni round trip per iteration, in alternating order, each against its own
/// echo server, so that load from elsewhere on the machine hits both alike; reports the ratio.
void BM_TcpRoundTripRatio(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const auto length = static_cast<std::size_t>(state.range(0));
    std::vector<char> request(length, 'q'), response(length);
    EchoServer bareServer, uniServer;
    const int fd = bareConnect(bareServer.port());
    uni::TCPSocket socket;
    socket.setRemoteEnd("127.0.0.1", uniServer.port());
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
    Clock::duration bare{}, wrapped{};
    bool uniFirst = false;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool firstOk = uniFirst ? uniTrip() : bareTrip();
        const auto t1 = Clock::now();
        const bool secondOk = uniFirst ? bareTrip() : uniTrip();
        const auto t2 = Clock::now();
        if (!firstOk || !secondOk) {
            state.SkipWithError("round trip failed");
            break;
        }
        bare += uniFirst ? t2 - t1 : t1 - t0;
        wrapped += uniFirst ? t1 - t0 : t2 - t1;
        uniFirst = !uniFirst;
        benchmark::DoNotOptimize(response.data());
    }
    ::close(fd);
    socket.close();
    const double iterations = static_cast<double>(state.iterations());
    if (iterations == 0 || bare.count() == 0)
        return;
    state.counters["bare_us"] = std::chrono::duration<double, std::micro>(bare).count() / iterations;
    state.counters["uni_us"] = std::chrono::duration<double, std::micro>(wrapped).count() / iterations;
    state.counters["uni_per_bare"] = std::chrono::duration<double>(wrapped) / std::chrono::duration<double>(bare);
}

} // namespace

BENCHMARK(BM_TcpRoundTripBare)->Arg(64)->Arg(8192)->UseRealTime();
BENCHMARK(BM_TcpRoundTripUni)->Arg(64)->Arg(8192)->UseRealTime();
BENCHMARK(BM_TcpRoundTripRatio)->Arg(64)->Arg(8192)->UseRealTime();
