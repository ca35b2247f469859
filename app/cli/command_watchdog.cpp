#include "command_watchdog.h"

#include "cli_output.h"

#include "config/temporary_file.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace z2e {
namespace cli {

namespace {

extern "C" void interrupted(int)
{
    // Only async-signal-safe calls here: the temporary files go by unlink.
    z2e::TemporaryFiles::removeLive();
    static const char text[] = "\nzamo2ctl: interrupted\n";
    const ssize_t ignored = ::write(STDERR_FILENO, text, sizeof text - 1);
    (void)ignored;
    ::_exit(EXIT_INTERRUPTED);
}

} // namespace

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
    TemporaryFiles::removeLive();
    std::fprintf(stderr, "\nzamo2ctl: no result within %u s (--timeout %u); stopped\n", seconds, seconds);
    std::fflush(stderr);
    std::fflush(stdout);
    std::_Exit(EXIT_TIMEOUT);
}

} // namespace cli
} // namespace z2e
