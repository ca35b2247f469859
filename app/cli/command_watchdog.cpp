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

extern "C" void interrupted(int)
{
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
