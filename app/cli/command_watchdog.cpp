#include "command_watchdog.h"

#include "cli_output.h"

#include "config/temporary_file.h"
#include "tools/change_intent.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace z2e {
namespace cli {

namespace {

// Ends the process at once; its live temporary files go first. Async-signal-safe: unlink and
// _exit only.
[[noreturn]] void leaveNow(int status)
{
    TemporaryFiles::removeLive();
    ::_exit(status);
}

std::atomic<std::atomic<bool>*> g_gentle{nullptr};
std::atomic<int> g_stopStatus{EXIT_OK};

// Raises the gentle flag once; false when there is none or it was raised already.
bool stoppedGently(int status) noexcept
{
    std::atomic<bool>* const flag = g_gentle.load();
    int none = EXIT_OK;
    if (!flag || !g_stopStatus.compare_exchange_strong(none, status))
        return false;
    flag->store(true);
    return true;
}

void say(const char* text, std::size_t length) noexcept
{
    const ssize_t ignored = ::write(STDERR_FILENO, text, length);
    (void)ignored;
}

extern "C" void interrupted(int)
{
    static const char gently[] = "\nzamo2ctl: interrupted: no further system is begun and the running ones stop at "
                                 "their next step (Ctrl+C again stops at once)\n";
    if (stoppedGently(EXIT_INTERRUPTED))
        return say(gently, sizeof gently - 1);
    // Only async-signal-safe calls here. A change under way is journalled as interrupted.
    z2e::ChangeIntent::interruptNow();
    static const char text[] = "\nzamo2ctl: interrupted\n";
    const ssize_t ignored = ::write(STDERR_FILENO, text, sizeof text - 1);
    (void)ignored;
    leaveNow(EXIT_INTERRUPTED);
}

constexpr std::chrono::seconds kBusyGrace{2};

std::mutex g_waitingLock;
std::string g_waitingFor;

std::string waitingFor()
{
    std::lock_guard<std::mutex> lock(g_waitingLock);
    return g_waitingFor;
}

} // namespace

void CommandWatchdog::stopGently(std::atomic<bool>* flag)
{
    g_gentle = flag;
}

int CommandWatchdog::stopStatus()
{
    return g_stopStatus.load();
}

void CommandWatchdog::setWaitingFor(const std::string& words)
{
    std::lock_guard<std::mutex> lock(g_waitingLock);
    g_waitingFor = words;
}

CommandWatchdog::CommandWatchdog(std::uint32_t seconds)
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = interrupted;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    if (seconds != 0)
        m_thread = std::thread([this, seconds] { watch(seconds); });
}

CommandWatchdog::~CommandWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_done = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CommandWatchdog::watch(std::uint32_t seconds)
{
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_wake.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_done; }))
        return;
    // A wait for a busy system has the same limit and ends by itself a moment later, in its own
    // words (and JSON).
    if (!waitingFor().empty() && m_wake.wait_for(lock, kBusyGrace, [this] { return m_done; }))
        return;
    if (stoppedGently(EXIT_TIMEOUT)) {
        std::fprintf(stderr,
                     "\nzamo2ctl: no result within %u s (--timeout %u): no further system is begun and the "
                     "running ones stop at their next step\n",
                     seconds, seconds);
        std::fflush(stderr);
        if (m_wake.wait_for(lock, std::chrono::seconds(kGentleGraceSeconds), [this] { return m_done; }))
            return;
    }
    ChangeIntent::interruptNow();
    const std::string waiting = waitingFor().empty() ? std::string() : ", nothing was changed: " + waitingFor();
    std::fprintf(stderr, "\nzamo2ctl: no result within %u s (--timeout %u); stopped%s\n", seconds, seconds,
                 waiting.c_str());
    std::fflush(stderr);
    std::fflush(stdout);
    leaveNow(EXIT_TIMEOUT);
}

} // namespace cli
} // namespace z2e
