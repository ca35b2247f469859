#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace z2e::test {

namespace {

using Clock = std::chrono::steady_clock;

std::string nameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

std::vector<std::string> childEnvironment(const Environment& extra)
{
    const auto named = [&](const std::string& entry) {
        return std::any_of(extra.begin(), extra.end(), [&](const std::string& e) { return nameOf(e) == nameOf(entry); });
    };
    std::vector<std::string> all;
    for (const std::string& entry : extra)
        if (entry.find('=') != std::string::npos)
            all.push_back(entry);
    if (!named("QORINET_ALLOWED_NETWORKS"))
        all.emplace_back("QORINET_ALLOWED_NETWORKS=127.0.0.0/8");
    for (char** entry = environ; *entry; ++entry)
        if (!named(*entry) && nameOf(*entry) != "QORINET_ALLOWED_NETWORKS")
            all.emplace_back(*entry);
    return all;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> out;
    for (auto& text : texts)
        out.push_back(text.data());
    out.push_back(nullptr);
    return out;
}

// posix_spawn rather than fork: the callers are threaded, and a spawned child in a thread's
// network namespace stays in it.
pid_t spawn(const std::string& program, const std::vector<std::string>& args, const Environment& environment,
            const posix_spawn_file_actions_t& actions)
{
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = childEnvironment(environment);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers(argv).data(), pointers(envp).data()) != 0)
        return -1;
    return pid;
}

int exitCodeOf(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string besideMe(const std::string& name)
{
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const Environment& environment, std::chrono::milliseconds timeout)
{
    ProcessResult result;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return result;
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return result;
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    const auto started = Clock::now();
    const pid_t pid = spawn(program, args, environment, actions);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);

    pollfd ends[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    const auto deadline = started + timeout;
    for (int open = pid > 0 ? 2 : 0; open > 0;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || ::poll(ends, 2, static_cast<int>(left)) < 0) {
            result.timedOut = true;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (ends[i].fd < 0 || ends[i].revents == 0)
                continue;
            char chunk[4096];
            const ssize_t n = ::read(ends[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                sinks[i]->append(chunk, static_cast<std::size_t>(n));
            } else {
                ends[i].fd = -1;
                --open;
            }
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    if (pid > 0) {
        if (result.timedOut)
            ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.exitCode = result.timedOut ? -1 : exitCodeOf(status);
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    return result;
}

BackgroundProcess::~BackgroundProcess()
{
    stop();
    if (!m_outputFile.empty())
        ::unlink(m_outputFile.c_str());
}

bool BackgroundProcess::start(const std::string& program, const std::vector<std::string>& args,
                              const Environment& environment)
{
    char file[] = "/tmp/z2e-child-XXXXXX";
    const int output = ::mkostemp(file, O_CLOEXEC);
    int input[2];
    if (output < 0)
        return false;
    m_outputFile = file;
    if (::pipe2(input, O_CLOEXEC) != 0) {
        ::close(output);
        return false;
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    m_pid = spawn(program, args, environment, actions);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(output);
    ::close(input[0]);
    m_input = input[1];
    return m_pid > 0;
}

bool BackgroundProcess::reap(bool block)
{
    int status = 0;
    if (m_pid <= 0 || ::waitpid(m_pid, &status, block ? 0 : WNOHANG) != m_pid)
        return m_pid <= 0;
    m_exitCode = exitCodeOf(status);
    m_pid = -1;
    return true;
}

bool BackgroundProcess::waitForOutput(const std::string& text, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        // Reaped before the read, so that the last words of a child that just ended count.
        const bool ended = reap(false);
        if (output().find(text) != std::string::npos)
            return true;
        if (ended || Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string BackgroundProcess::output() const
{
    std::ifstream file(m_outputFile, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void BackgroundProcess::closeInput()
{
    if (m_input >= 0)
        ::close(m_input);
    m_input = -1;
}

int BackgroundProcess::finish(std::chrono::milliseconds timeout)
{
    closeInput();
    const auto deadline = Clock::now() + timeout;
    while (!reap(false) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return stop();
}

void BackgroundProcess::signal(int number) const
{
    if (m_pid > 0)
        ::kill(m_pid, number);
}

int BackgroundProcess::stop(std::chrono::milliseconds grace)
{
    closeInput();
    signal(SIGTERM);
    const auto deadline = Clock::now() + grace;
    while (!reap(false) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (m_pid > 0) {
        signal(SIGKILL);
        reap(true);
        m_pid = -1;
        m_exitCode = -1;
    }
    return m_exitCode;
}

} // namespace z2e::test
