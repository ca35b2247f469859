#include "fleet_supervisor.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace nodesim {

namespace {

constexpr std::size_t kMaxLine = 4096;

std::string who(const FleetMember& member)
{
    return "node " + std::to_string(member.index) + " " + member.name + " (" + member.address + ")";
}

std::string how(int status)
{
    if (WIFEXITED(status))
        return "with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "by signal " + std::to_string(WTERMSIG(status)) + " (" + ::strsignal(WTERMSIG(status)) + ")";
    return "for an unknown reason";
}

} // namespace

int FleetSupervisor::run(const FleetPlan& plan, const sigset_t& signals)
{
    sigset_t watched = signals;
    sigaddset(&watched, SIGCHLD);
    // Blocked before the first child starts, so that no end goes unnoticed.
    pthread_sigmask(SIG_BLOCK, &watched, nullptr);
    const int signalFd = ::signalfd(-1, &watched, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::cerr << "qorinet-node-sim: cannot watch signals: " << std::strerror(errno) << "\n";
        return 1;
    }
    m_children.assign(plan.members().size(), Child{});
    for (std::size_t i = 0; i < m_children.size() && !m_stopping; ++i) {
        m_children[i].member = &plan.members()[i];
        if (!spawn(m_children[i], plan.arguments(plan.members()[i]), signals)) {
            m_failed = true;
            beginStop();
        }
    }
    while (anyRunning()) {
        std::vector<pollfd> watch{{signalFd, POLLIN, 0}};
        std::vector<Child*> readers;
        for (Child& child : m_children) {
            if (child.output < 0)
                continue;
            watch.push_back({child.output, POLLIN, 0});
            readers.push_back(&child);
        }
        // While stopping, it wakes at least once a second to see whether the grace time is up.
        const int polled = ::poll(watch.data(), watch.size(), m_stopping ? 1000 : -1);
        if (m_stopping && std::chrono::steady_clock::now() >= m_deadline)
            killStragglers();
        if (polled < 0)
            continue;
        for (std::size_t i = 1; i < watch.size(); ++i) {
            if (watch[i].revents != 0)
                readOutput(*readers[i - 1]);
        }
        if (watch[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signalFd, &info, sizeof info) == sizeof info) {
                if (info.ssi_signo == SIGCHLD)
                    reap();
                else if (info.ssi_signo == SIGUSR1)
                    forward(SIGUSR1);
                else
                    beginStop();
            }
        }
        announceWhenReady();
    }
    for (Child& child : m_children) {
        if (child.output >= 0)
            ::close(child.output);
    }
    ::close(signalFd);
    return m_failed ? 1 : 0;
}

bool FleetSupervisor::spawn(Child& child, const std::vector<std::string>& args, const sigset_t& childMask)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        std::cerr << "qorinet-node-sim: cannot start " << who(*child.member) << ": " << std::strerror(errno) << "\n";
        return false;
    }
    // Everything the child needs is made before fork; after it only async-signal-safe calls.
    std::vector<char*> argv{const_cast<char*>("qorinet-node-sim")};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1);
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        // INT, TERM and USR1 stay blocked: one that comes early waits for the node's sigwait.
        ::pthread_sigmask(SIG_SETMASK, &childMask, nullptr);
        ::execv("/proc/self/exe", argv.data());
        static const char kFailed[] = "qorinet-node-sim: cannot run /proc/self/exe for a node\n";
        (void)!::write(STDERR_FILENO, kFailed, sizeof kFailed - 1);
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    if (pid < 0) {
        ::close(pipeEnds[0]);
        std::cerr << "qorinet-node-sim: cannot start " << who(*child.member) << ": " << std::strerror(errno) << "\n";
        return false;
    }
    child.pid = pid;
    child.output = pipeEnds[0];
    child.running = true;
    return true;
}

void FleetSupervisor::readOutput(Child& child)
{
    char buffer[4096];
    const ssize_t got = ::read(child.output, buffer, sizeof buffer);
    if (got <= 0) {
        if (got < 0 && errno == EINTR)
            return;
        ::close(child.output);
        child.output = -1;
        return;
    }
    child.pending.append(buffer, static_cast<std::size_t>(got));
    std::size_t end = 0;
    while ((end = child.pending.find('\n')) != std::string::npos) {
        takeLine(child, child.pending.substr(0, end));
        child.pending.erase(0, end + 1);
    }
    if (child.pending.size() > kMaxLine)
        child.pending.clear();
}

void FleetSupervisor::takeLine(Child& child, const std::string& line)
{
    if (line == "ready") {
        child.ready = true;
        return;
    }
    // "node <index> <address> ..." of a one-node process; the fleet numbers its own.
    if (line.rfind("node ", 0) != 0)
        return;
    const std::size_t rest = line.find(' ', 5);
    if (rest != std::string::npos)
        child.nodeLine = "node " + std::to_string(child.member->index) + line.substr(rest);
}

void FleetSupervisor::reap()
{
    int status = 0;
    pid_t pid = 0;
    while ((pid = ::waitpid(-1, &status, WNOHANG)) > 0) {
        for (Child& child : m_children) {
            if (child.pid == pid && child.running)
                ended(child, status);
        }
    }
}

void FleetSupervisor::ended(Child& child, int status)
{
    child.running = false;
    const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (m_stopping) {
        if (!clean) {
            std::cerr << "qorinet-node-sim: " << who(*child.member) << " ended " << how(status) << "\n";
            m_failed = true;
        }
        return;
    }
    m_failed = true;
    if (!m_announced) {
        std::cerr << "qorinet-node-sim: " << who(*child.member) << " could not start: it ended " << how(status)
                  << "; stopping the fleet\n";
        beginStop();
        return;
    }
    std::cerr << "qorinet-node-sim: " << who(*child.member) << " ended early " << how(status)
              << "; the other nodes go on\n";
}

void FleetSupervisor::forward(int signal)
{
    for (const Child& child : m_children) {
        if (child.running)
            ::kill(child.pid, signal);
    }
}

void FleetSupervisor::beginStop()
{
    if (!m_stopping)
        m_deadline = std::chrono::steady_clock::now() + kStopGrace;
    m_stopping = true;
    forward(SIGTERM);
}

void FleetSupervisor::killStragglers()
{
    for (const Child& child : m_children) {
        if (!child.running)
            continue;
        std::cerr << "qorinet-node-sim: " << who(*child.member) << " did not stop within " << kStopGrace.count()
                  << " s; killing it\n";
        ::kill(child.pid, SIGKILL);
    }
    m_failed = true;
    m_deadline = std::chrono::steady_clock::time_point::max();
}

void FleetSupervisor::announceWhenReady()
{
    if (m_announced || m_stopping)
        return;
    for (const Child& child : m_children) {
        if (!child.ready)
            return;
    }
    for (const Child& child : m_children)
        std::printf("%s\n", child.nodeLine.c_str());
    std::printf("ready\n");
    std::fflush(stdout);
    m_announced = true;
}

bool FleetSupervisor::anyRunning() const
{
    for (const Child& child : m_children) {
        if (child.running)
            return true;
    }
    return false;
}

} // namespace nodesim
