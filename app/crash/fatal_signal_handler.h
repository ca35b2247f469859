#pragma once
// The process-wide handler of fatal signals (SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL). It does
// only async-signal-safe work: it sends the raw stack, the memory map and the signal facts to
// the crash watchdog, waits for the report to be written and lets the signal end the process.

namespace crash_monitor {

class FatalSignalHandler {
public:
    /// Routes the fatal signals to reports over the watchdog channel `socket`; the previous
    /// handlers are kept for uninstall(). Gives the installing thread an alternate signal stack
    /// so that a stack overflow there is reported too.
    static bool install(int socket);
    /// Puts the previous handlers back; the channel is no longer used.
    static void uninstall();

    /// Held while an ordinary message goes over the channel, so that a crash on another thread
    /// waits (briefly) instead of interleaving its messages with it.
    class ChannelUse {
    public:
        ChannelUse();
        ~ChannelUse();
        ChannelUse(const ChannelUse&) = delete;
        ChannelUse& operator=(const ChannelUse&) = delete;
    };
};

} // namespace crash_monitor
