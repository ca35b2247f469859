#pragma once
// A thread that does part of a procedure's work beside it: where no thread can be had the
// caller does the work itself, and a failure of the work (memory) is thrown on the caller's
// thread when it waits, never ending the program from a thread of its own.

#include <exception>
#include <functional>
#include <thread>

namespace z2e {

class HelperThread {
public:
    enum class Placement {
        Anywhere,
        /// Only the time the caller leaves idle: the caller's wake-ups never wait for it.
        IdlePriority,
        /// On another processor than the caller's, then free to move: a new thread otherwise
        /// waits on its maker's processor until the maker stops.
        OtherProcessor,
    };

    HelperThread() = default;
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    /// Runs `work` on the thread; false, with nothing run, when no thread can be had.
    bool start(std::function<void()> work, Placement placement = Placement::Anywhere);
    /// Waits for the work; throws what stopped it.
    void join();

private:
    std::thread m_thread;
    std::exception_ptr m_failure;
};

} // namespace z2e
