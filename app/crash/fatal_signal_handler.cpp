#include "crash/fatal_signal_handler.h"

#include "crash/crash_channel.h"

#include <boost/stacktrace/safe_dump_to.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>

namespace crash_monitor {
namespace {

const int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr int kSignalCount = sizeof kFatalSignals / sizeof kFatalSignals[0];
constexpr int kReportWaitMs = 60000;
constexpr int kChannelWaitMs = 2000;

std::atomic<int> g_socket{-1};
std::atomic<bool> g_channelBusy{false};
std::atomic<long> g_crashingThread{0};
std::mutex g_channelMutex;
struct sigaction g_previous[kSignalCount];
bool g_installed = false;

alignas(16) char g_alternateStack[128 * 1024];
char g_mapsChunk[4096];

void sleepMs(long ms)
{
    timespec pause{ms / 1000, (ms % 1000) * 1000000L};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

void waitForChannel()
{
    for (int waited = 0; g_channelBusy.load() && waited < kChannelWaitMs; ++waited)
        sleepMs(1);
}

void sendMaps(int socket)
{
    const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps < 0)
        return;
    std::uint32_t total = 0;
    while (total < kMaxMapsText) {
        const ssize_t got = ::read(maps, g_mapsChunk, sizeof g_mapsChunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 ||
            !sendCrashMessage(socket, CrashMessage::MapsChunk, g_mapsChunk, static_cast<std::uint32_t>(got)))
            break;
        total += static_cast<std::uint32_t>(got);
    }
    ::close(maps);
}

void waitForReport(int socket)
{
    pollfd answer{socket, POLLIN, 0};
    for (int left = kReportWaitMs; left > 0; left -= 100) {
        const int ready = ::poll(&answer, 1, 100);
        if (ready > 0) {
            char done = 0;
            // Whatever arrived, or an error, the wait is over.
            const ssize_t got = ::read(socket, &done, 1);
            (void)got;
            return;
        }
        if (ready < 0 && errno != EINTR)
            return;
    }
}

std::uint64_t interruptedInstruction(const void* context)
{
    if (!context)
        return 0;
    const ucontext_t* machine = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    return static_cast<std::uint64_t>(machine->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return static_cast<std::uint64_t>(machine->uc_mcontext.pc);
#else
    (void)machine;
    return 0;
#endif
}

void sendReport(int socket, int number, const siginfo_t* info, const void* context, long thread)
{
    const CrashBeginPayload begin{number,
                                  info ? info->si_code : 0,
                                  info ? reinterpret_cast<std::uint64_t>(info->si_addr) : 0,
                                  static_cast<std::int64_t>(::getpid()),
                                  static_cast<std::int64_t>(thread),
                                  interruptedInstruction(context)};
    if (!sendCrashMessage(socket, CrashMessage::CrashBegin, &begin, sizeof begin))
        return;
    std::uintptr_t frames[kMaxCrashFrames + 1];
    std::size_t count = boost::stacktrace::safe_dump_to(frames, sizeof frames);
    if (count > 0)
        --count; // the dump ends with a zero entry
    sendCrashMessage(socket, CrashMessage::Frames, frames, static_cast<std::uint32_t>(count * sizeof frames[0]));
    sendMaps(socket);
    if (sendCrashMessage(socket, CrashMessage::CrashEnd, nullptr, 0))
        waitForReport(socket);
}

void endWithDefaultAction(int number)
{
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(number, &fallback, nullptr);
    // Still blocked in here: delivered, with its default action, when the handler returns.
    ::raise(number);
}

void onFatalSignal(int number, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    const long thread = ::syscall(SYS_gettid);
    long first = 0;
    if (!g_crashingThread.compare_exchange_strong(first, thread)) {
        if (first != thread) {
            // Another thread is writing the report; its signal ends the process.
            for (;;)
                sleepMs(1000);
        }
        endWithDefaultAction(number);
        return;
    }
    const int socket = g_socket.load();
    if (socket >= 0) {
        waitForChannel();
        sendReport(socket, number, info, context, thread);
    }
    endWithDefaultAction(number);
    errno = savedErrno;
}

void giveThreadAlternateStack()
{
    stack_t current = {};
    if (::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE))
        return;
    stack_t own = {};
    own.ss_sp = g_alternateStack;
    own.ss_size = sizeof g_alternateStack;
    ::sigaltstack(&own, nullptr);
}

} // namespace

bool FatalSignalHandler::install(int socket)
{
    std::lock_guard<std::mutex> lock(g_channelMutex);
    if (g_installed || socket < 0)
        return false;
    // The first stack walk loads and prepares the unwinder; do it now, not in a crash.
    std::uintptr_t warmUp[8];
    (void)boost::stacktrace::safe_dump_to(warmUp, sizeof warmUp);
    giveThreadAlternateStack();

    g_socket.store(socket);
    g_crashingThread.store(0);
    struct sigaction action = {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) {
        if (::sigaction(kFatalSignals[i], &action, &g_previous[i]) != 0) {
            for (int j = 0; j < i; ++j)
                ::sigaction(kFatalSignals[j], &g_previous[j], nullptr);
            g_socket.store(-1);
            return false;
        }
    }
    g_installed = true;
    return true;
}

void FatalSignalHandler::uninstall()
{
    std::lock_guard<std::mutex> lock(g_channelMutex);
    if (!g_installed)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kFatalSignals[i], &g_previous[i], nullptr);
    g_socket.store(-1);
    g_installed = false;
}

FatalSignalHandler::ChannelUse::ChannelUse()
{
    g_channelMutex.lock();
    g_channelBusy.store(true);
}

FatalSignalHandler::ChannelUse::~ChannelUse()
{
    g_channelBusy.store(false);
    g_channelMutex.unlock();
}

} // namespace crash_monitor
