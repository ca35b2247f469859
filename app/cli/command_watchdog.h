#pragma once
// The end of a zamo2ctl run that does not end by itself: after its time-out, or on Ctrl+C /
// SIGTERM, the process removes its live temporary files (TemporaryFiles::removeLive), says so on
// standard error and exits at once. Files are only ever replaced whole (temporary file, then
// rename), and the operating system closes the node's connection, so nothing half-done is left
// behind.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace z2e {
namespace cli {

class CommandWatchdog {
public:
    /// Watches for `seconds` (0: no time limit, signals only).
    explicit CommandWatchdog(std::uint32_t seconds);
    /// The command finished: the watch ends.
    ~CommandWatchdog();
    CommandWatchdog(const CommandWatchdog&) = delete;
    CommandWatchdog& operator=(const CommandWatchdog&) = delete;

    /// What the command waits for now (a busy system's holder), named when time runs out;
    /// "" when it waits for nothing in particular. Any thread.
    static void setWaitingFor(const std::string& words);

    /// While `flag` is set (null: never), Ctrl+C, SIGTERM and the time-out stop the command
    /// gently: they raise `flag`, say so, and let the command end by itself. A second Ctrl+C,
    /// or kGentleGrace after the time-out, still ends it at once. Any thread.
    static void stopGently(std::atomic<bool>* flag);
    /// EXIT_INTERRUPTED or EXIT_TIMEOUT after a gentle stop; EXIT_OK before.
    static int stopStatus();

    /// How long a gently stopped command may take to end after its time-out.
    static constexpr std::uint32_t kGentleGraceSeconds = 30;

private:
    void watch(std::uint32_t seconds);

    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

} // namespace cli
} // namespace z2e
