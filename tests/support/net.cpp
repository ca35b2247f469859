#include "support/eventually.h"
#include "support/net.h"
#include "support/process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <thread>

namespace z2e::test {

namespace {

const char* const kIpTool = "/usr/sbin/ip";

bool bindable(int type, const char* address, int port)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in end{};
    end.sin_family = AF_INET;
    end.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool parsed = ::inet_pton(AF_INET, address, &end.sin_addr) == 1;
    const bool free = fd >= 0 && parsed && ::bind(fd, reinterpret_cast<sockaddr*>(&end), sizeof end) == 0;
    if (fd >= 0)
        ::close(fd);
    return free;
}

} // namespace

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::uint16_t freeClientBasePort(const std::vector<std::string>& nodeAddresses)
{
    thread_local std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 400; ++attempt) {
        // Below the ephemeral range, so that no outgoing connection takes one meanwhile.
        const int port = 20000 + static_cast<int>(random() % 12000);
        const bool free =
            bindable(SOCK_DGRAM, "0.0.0.0", port + 1) && bindable(SOCK_DGRAM, "0.0.0.0", port + 2) &&
            bindable(SOCK_DGRAM, "0.0.0.0", port + 3) && bindable(SOCK_STREAM, "127.0.0.1", port + 5) &&
            bindable(SOCK_STREAM, "127.0.0.1", port + 10) &&
            std::all_of(nodeAddresses.begin(), nodeAddresses.end(), [&](const std::string& address) {
                return bindable(SOCK_STREAM, address.c_str(), port) && bindable(SOCK_STREAM, address.c_str(), port + 6);
            });
        if (free)
            return static_cast<std::uint16_t>(port);
    }
    return 0;
}

HeldUdpPort::HeldUdpPort(std::uint16_t port) : m_socket(::socket(AF_INET, SOCK_DGRAM, 0))
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t size = sizeof address;
    if (m_socket >= 0 && ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        m_port = ntohs(address.sin_port);
}

HeldUdpPort::~HeldUdpPort()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

int runIp(const std::vector<std::string>& args)
{
    return runProcess(kIpTool, args).exitCode;
}

std::string inFreshNetworkNamespace(const std::function<void()>& body)
{
    if (::geteuid() != 0 || ::access(kIpTool, X_OK) != 0)
        return "needs root and the ip tool";
    std::string impossible;
    std::thread worker([&] {
        if (::unshare(CLONE_NEWNET) != 0) {
            impossible = std::string("unshare(CLONE_NEWNET) failed: ") + std::strerror(errno);
            return;
        }
        body();
    });
    worker.join();
    return impossible;
}

} // namespace z2e::test
