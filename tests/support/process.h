#pragma once
// Child processes for tests and benchmarks: one run to its end under a time-out, or one kept
// running in the background. A child gets this process's environment with the given entries
// put over it ("NAME=value" sets, a bare "NAME" removes), and QORINET_ALLOWED_NETWORKS set to
// loopback unless an entry names it: nothing a test starts reaches a real network.

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace z2e::test {

using Environment = std::vector<std::string>;

struct ProcessResult {
    int exitCode = -1; ///< -1: did not start, was killed after the time-out, or died of a signal
    bool timedOut = false;
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const Environment& environment = {},
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

/// The program `name` in the folder of the running test or benchmark program.
std::string besideMe(const std::string& name);

class ScratchFolder;

/// Output goes to files rather than pipes, so a chatty child never blocks on it.
class BackgroundProcess {
public:
    BackgroundProcess();
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool start(const std::string& program, const std::vector<std::string>& args, const Environment& environment = {});
    /// False when the child ended or `timeout` passed before its output held `text`.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout);
    /// False when `timeout` passed first.
    bool waitForEnd(std::chrono::milliseconds timeout);
    /// Standard output and standard error as written so far.
    std::string output() const;
    std::string errors() const;
    /// Ends the child's standard input and gives it `timeout` to end by itself, then stop().
    int finish(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void signal(int number) const;
    /// SIGTERM, SIGKILL after `grace`; the exit code as in ProcessResult.
    int stop(std::chrono::milliseconds grace = std::chrono::seconds(10));
    pid_t pid() const { return m_pid; }

    /// Ends its standard input.
    void closeInput();

private:
    bool reap(bool block);

    std::unique_ptr<ScratchFolder> m_files;
    pid_t m_pid = -1;
    int m_input = -1;
    int m_exitCode = -1;
};

} // namespace z2e::test
