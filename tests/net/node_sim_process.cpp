#include "node_sim_process.h"

#include "uni/random.h"
#include "uni/tcp_socket.h"
#include "uni/udp_socket.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace net_test {

namespace {

constexpr int kReadyTimeoutMs = 20000;
constexpr int kStopTimeoutMs = 10000;

bool tcpFree(const std::string& address, std::uint16_t port)
{
    uni::TCPSocket socket(uni::Socket::Listening);
    socket.setLocalEnd(address, port);
    return socket.open() == 0;
}

bool udpFree(std::uint16_t port)
{
    uni::UDPSocket socket(uni::Socket::Receiver);
    socket.setLocalEnd("0.0.0.0", port);
    return socket.open() == 0;
}

} // namespace

NodeSimProcess::~NodeSimProcess()
{
    stop();
}

std::string NodeSimProcess::programPath()
{
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
    return std::filesystem::path(path).parent_path().string() + "/qorinet-node-sim";
}

std::uint16_t NodeSimProcess::freeBasePort(const std::string& address)
{
    // Below the ephemeral range, so that no outgoing connection takes one meanwhile.
    for (int attempt = 0; attempt < 200; ++attempt) {
        const auto port = static_cast<std::uint16_t>(20000 + uni::Random::next() % 12000);
        if (tcpFree(address, port) && udpFree(port + 1) && udpFree(port + 2) && tcpFree(address, port + 6))
            return port;
    }
    return 0;
}

bool NodeSimProcess::start(const std::string& address, const std::vector<std::string>& extra, std::uint16_t basePort)
{
    m_basePort = basePort ? basePort : freeBasePort(address);
    char folder[] = "/tmp/nodesim-test-XXXXXX";
    if (m_basePort == 0 || !::mkdtemp(folder))
        return false;
    m_workDir = folder;
    std::vector<std::string> args = {programPath(), "--bind", address, "--base-port", std::to_string(m_basePort),
                                     "--work-dir", m_workDir};
    args.insert(args.end(), extra.begin(), extra.end());

    // Built before fork: the child of a threaded process may only exec.
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return false;
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    m_stdout = pipeEnds[0];
    if (m_pid < 0)
        return false;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd entry{m_stdout, POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = ::read(m_stdout, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        m_output.append(chunk, static_cast<std::size_t>(n));
        if (m_output.find("ready\n") != std::string::npos)
            return true;
    }
    return false;
}

void NodeSimProcess::signal(int number) const
{
    if (m_pid > 0)
        ::kill(m_pid, number);
}

int NodeSimProcess::stop()
{
    int result = -1;
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopTimeoutMs);
        int status = 0;
        pid_t done = 0;
        while ((done = ::waitpid(m_pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done == m_pid && WIFEXITED(status)) {
            result = WEXITSTATUS(status);
        } else if (done == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }
    if (m_stdout >= 0) {
        ::close(m_stdout);
        m_stdout = -1;
    }
    if (!m_workDir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_workDir, ignored);
        m_workDir.clear();
    }
    return result;
}

} // namespace net_test
