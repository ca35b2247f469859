// `zamo2ctl can monitor` against 10,000 CAN frames per second that other nodes put on the
// simulated cable (ZMPXI_SIM_BUS=can-traffic=10000): the program runs as a child, its standard
// output a pipe read line by line here, until it has printed 20,000 frames of channel 1. Each
// frame carries its sequence number, so a frame the monitor missed shows as a gap.
// Reported as medians of the repetitions: printed, dropped (target 0), frames_per_s, ratio =
// wall time from the first to the last frame line against the 2.0 s the traffic takes (target:
// at most 1.05, it keeps up) and cli_us_per_frame, the child's CPU per frame printed.

#include "support/site.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrames = 20000;
constexpr double kNominalS = 2.0; // 20,000 frames at 10,000 a second
constexpr std::chrono::seconds kWatchdog{20};
constexpr std::chrono::seconds kGrace{2};

struct Monitored {
    std::string error; ///< empty when the run went well
    int printed = 0;
    int dropped = 0;
    double wallS = 0; ///< from the first frame line to the last
    double cpuUs = 0; ///< the child's CPU, all of it
};

/// This process's environment with `entries` ("NAME=value") put over it.
std::vector<std::string> childEnvironment(const z2e::test::Environment& entries)
{
    std::vector<std::string> result;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& over : entries)
            replaced = replaced || over.substr(0, over.find('=')) == name;
        if (!replaced)
            result.push_back(entry);
    }
    for (const std::string& over : entries) {
        if (over.find('=') != std::string::npos)
            result.push_back(over);
    }
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

/// The sequence number in a frame line ("0.123456  ch1  7A0  [8]  2A 00 00 00 00 00 00 00"),
/// -1 for any other line.
long long sequenceOf(const std::string& line)
{
    const std::size_t data = line.find("  [8]  ");
    if (line.find("  ch") == std::string::npos || data == std::string::npos)
        return -1;
    unsigned bytes[4] = {};
    if (std::sscanf(line.c_str() + data + 7, "%2x %2x %2x %2x", &bytes[0], &bytes[1], &bytes[2], &bytes[3]) != 4)
        return -1;
    return static_cast<long long>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                  static_cast<unsigned long>(bytes[3]) << 24);
}

/// Ends a child that overran: SIGTERM, then SIGKILL when it is still there after the grace.
void endChild(pid_t pid, rusage& usage)
{
    ::kill(pid, SIGTERM);
    const auto until = Clock::now() + kGrace;
    int status = 0;
    while (Clock::now() < until) {
        if (::wait4(pid, &status, WNOHANG, &usage) == pid)
            return;
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::wait4(pid, &status, 0, &usage);
}

class LineReader {
public:
    explicit LineReader(int fd) : m_fd(fd) {}
    /// False at the end of the output or when `deadline` passed first (then `timedOut`).
    bool next(std::string& line, Clock::time_point deadline, bool& timedOut)
    {
        for (;;) {
            const std::size_t end = m_buffer.find('\n', m_start);
            if (end != std::string::npos) {
                line.assign(m_buffer, m_start, end - m_start);
                m_start = end + 1;
                return true;
            }
            m_buffer.erase(0, m_start);
            m_start = 0;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{m_fd, POLLIN, 0};
            const int ready = left.count() <= 0 ? 0 : ::poll(&p, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0) {
                timedOut = true;
                return false;
            }
            char chunk[65536];
            const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            m_buffer.append(chunk, static_cast<std::size_t>(got));
        }
    }

private:
    int m_fd;
    std::string m_buffer;
    std::size_t m_start = 0;
};

/// Reads the frame lines as they come, counting gaps in channel 1's sequence.
void readFrames(int fd, Monitored& run, bool& timedOut)
{
    LineReader reader(fd);
    const auto deadline = Clock::now() + kWatchdog;
    Clock::time_point first;
    Clock::time_point last;
    long long expected = 0;
    std::string line;
    while (reader.next(line, deadline, timedOut)) {
        const long long sequence = sequenceOf(line);
        if (sequence < 0)
            continue;
        last = Clock::now();
        if (run.printed++ == 0)
            first = last;
        run.dropped += static_cast<int>(sequence > expected ? sequence - expected : 0);
        expected = sequence + 1;
    }
    run.wallS = std::chrono::duration<double>(last - first).count();
}

Monitored monitor(const std::string& program, const z2e::test::Environment& environment, const std::string& errFile)
{
    Monitored run;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return {"no pipe"};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> args = {
        program, "--board", "0/5", "can", "monitor", "--channel", "1", "--count", std::to_string(kFrames)};
    std::vector<std::string> env = childEnvironment(environment);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers(args).data(), pointers(env).data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return {"zamo2ctl did not start: " + program};
    }
    bool timedOut = false;
    readFrames(out[0], run, timedOut);
    ::close(out[0]);
    rusage usage{};
    int status = 0;
    if (timedOut)
        endChild(pid, usage);
    else
        ::wait4(pid, &status, 0, &usage);
    run.cpuUs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    if (timedOut)
        run.error =
            "zamo2ctl had not printed its frames after " + std::to_string(kWatchdog.count()) + " s and was ended";
    else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        run.error = "zamo2ctl failed; see " + errFile;
    else if (run.printed != kFrames)
        run.error = "zamo2ctl printed " + std::to_string(run.printed) + " frames, not " + std::to_string(kFrames);
    return run;
}

void BM_CanMonitorPrints10kFramesPerSecond(benchmark::State& state)
{
    const std::string program = z2e::test::besideMe("zamo2ctl");
    const z2e::test::SimSite site;
    std::filesystem::create_directories(site / "home");
    z2e::test::Environment environment = site.environment();
    environment.insert(environment.end(), {"HOME=" + site / "home", "ZMPXI_SIM_BUS=can-traffic=10000",
                                           "QORINET_ALLOWED_NETWORKS=127.0.0.0/8"});
    Monitored run;
    for (auto _ : state) {
        run = monitor(program, environment, site / "stderr.txt");
        if (!run.error.empty()) {
            state.SkipWithError(run.error.c_str());
            return;
        }
    }
    state.counters["printed"] = run.printed;
    state.counters["dropped"] = run.dropped;
    state.counters["frames_per_s"] = run.wallS > 0 ? run.printed / run.wallS : 0;
    state.counters["ratio"] = run.wallS / kNominalS;
    state.counters["cli_us_per_frame"] = run.cpuUs / run.printed;
}
BENCHMARK(BM_CanMonitorPrints10kFramesPerSecond)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
