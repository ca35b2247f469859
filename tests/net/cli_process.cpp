#include "cli_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace net_test {
namespace {

const char* const kAllowed = "QORINET_ALLOWED_NETWORKS=127.0.0.0/8";

std::vector<std::string> childEnvironment()
{
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, "QORINET_ALLOWED_NETWORKS=", 25) != 0)
            env.emplace_back(*entry);
    env.emplace_back(kAllowed);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> out;
    for (auto& text : texts)
        out.push_back(text.data());
    out.push_back(nullptr);
    return out;
}

// Reads both pipes until they close or the deadline passes; false on time-out.
bool drain(int outFd, int errFd, CliProcess::Outcome& outcome, std::chrono::steady_clock::time_point deadline)
{
    pollfd entries[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* sinks[2] = {&outcome.out, &outcome.err};
    int open = 2;
    while (open > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || ::poll(entries, 2, static_cast<int>(left)) < 0)
            return false;
        for (int i = 0; i < 2; ++i) {
            if (entries[i].fd < 0 || entries[i].revents == 0)
                continue;
            char chunk[4096];
            const ssize_t n = ::read(entries[i].fd, chunk, sizeof chunk);
            if (n > 0) {
                sinks[i]->append(chunk, static_cast<std::size_t>(n));
            } else {
                entries[i].fd = -1;
                --open;
            }
        }
    }
    return true;
}

} // namespace

std::string CliProcess::programPath()
{
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
    return std::filesystem::path(path).parent_path().string() + "/zamo2ctl";
}

CliProcess::Outcome CliProcess::run(const std::vector<std::string>& arguments, int timeoutMs)
{
    Outcome outcome;
    std::vector<std::string> args = {programPath()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = childEnvironment();
    // Built before fork: the child of a threaded process may only exec.
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(env);
    int outPipe[2];
    int errPipe[2];
    if (::pipe(outPipe) != 0)
        return outcome;
    if (::pipe(errPipe) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return outcome;
    }
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            ::close(fd);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    const bool finished = pid > 0 && drain(outPipe[0], errPipe[0], outcome, started + std::chrono::milliseconds(timeoutMs));
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    if (pid < 0)
        return outcome;
    if (!finished)
        ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.elapsedMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
    if (finished && WIFEXITED(status))
        outcome.exitStatus = WEXITSTATUS(status);
    return outcome;
}

} // namespace net_test
