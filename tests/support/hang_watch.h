#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace z2e::test {

/// After `seconds`, writes every thread's stack to standard error (gdb attached to this
/// process), so that a hung test shows where it hangs before ctest's time-out kills it.
/// Its thread ends with the object: LeakSanitizer, which stops every thread still there when
/// the program ends, then finds only the main one (its tracer crashed, rarely, on a passing
/// test program while this thread slept on).
class HangWatch {
public:
    explicit HangWatch(int seconds = 90);
    ~HangWatch();
    HangWatch(const HangWatch&) = delete;
    HangWatch& operator=(const HangWatch&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_ended = false;
    std::thread m_thread;
};

} // namespace z2e::test
