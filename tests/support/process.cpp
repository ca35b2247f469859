#include "support/process.h"
#include "support/site.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

extern char** environ;

namespace z2e::test {

namespace {

using Clock = std::chrono::steady_clock;

std::string nameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

std::vector<std::string> childEnvironment(Environment extra)
{
    const auto named = [&](const std::string& name) {
        return std::any_of(extra.begin(), extra.end(), [&](const std::string& e) { return nameOf(e) == name; });
    };
    if (!named("QORINET_ALLOWED_NETWORKS"))
        extra.emplace_back("QORINET_ALLOWED_NETWORKS=127.0.0.0/8");
    for (char** entry = environ; *entry; ++entry)
        if (!named(nameOf(*entry)))
            extra.emplace_back(*entry);
    extra.erase(std::remove_if(extra.begin(), extra.end(), [](const std::string& e) { return nameOf(e) == e; }),
                extra.end());
    return extra;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> out;
    for (auto& text : texts)
        out.push_back(text.data());
    out.push_back(nullptr);
    return out;
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
    const auto started = Clock::now();
    BackgroundProcess child;
    if (child.start(program, args, environment)) {
        child.closeInput();
        result.timedOut = !child.waitForEnd(timeout);
        if (result.timedOut)
            child.signal(SIGKILL);
        result.exitCode = child.stop();
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    result.out = child.output();
    result.err = child.errors();
    return result;
}

BackgroundProcess::BackgroundProcess() : m_files(std::make_unique<ScratchFolder>("z2e-child")) {}

BackgroundProcess::~BackgroundProcess()
{
    stop();
}

// posix_spawn rather than fork: the callers are threaded, and a child spawned from a thread
// in a network namespace of its own stays in it.
bool BackgroundProcess::start(const std::string& program, const std::vector<std::string>& args,
                              const Environment& environment)
{
    int input[2];
    m_exitCode = -1;
    if (::pipe2(input, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    const int fresh = O_WRONLY | O_CREAT | O_TRUNC;
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (*m_files / "out").c_str(), fresh, 0600);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (*m_files / "err").c_str(), fresh, 0600);
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = childEnvironment(environment);
    if (::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, pointers(argv).data(), pointers(envp).data()) != 0)
        m_pid = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    m_input = input[1];
    return m_pid > 0;
}

bool BackgroundProcess::reap(bool block)
{
    int status = 0;
    if (m_pid <= 0 || ::waitpid(m_pid, &status, block ? 0 : WNOHANG) != m_pid)
        return m_pid <= 0;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_pid = -1;
    return true;
}

bool BackgroundProcess::waitForEnd(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!reap(false)) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
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
    return readFile(*m_files / "out");
}

std::string BackgroundProcess::errors() const
{
    return readFile(*m_files / "err");
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
    waitForEnd(timeout);
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
    if (!waitForEnd(grace)) {
        signal(SIGKILL);
        reap(true);
        m_pid = -1;
        m_exitCode = -1;
    }
    return m_exitCode;
}

} // namespace z2e::test
