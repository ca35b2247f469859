#pragma once
// Counting semaphore. Built on a mutex and a condition rather than sem_t: a woken waiter then
// finds the events that arrived while it woke up, instead of waking once per release.

#include "uni/non_copyable.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace uni {

class Semaphore : public NonCopyable {
public:
    explicit Semaphore(std::size_t initial = 0) : m_count(initial) {}

    /// Adds `n` to the count and wakes waiters.
    void release(std::size_t n = 1);
    /// Waits until the count is positive, then takes one.
    void acquire();
    /// Takes one when the count is positive; never waits.
    bool tryAcquire();
    /// As acquire(), giving up after `timeoutMs` milliseconds (monotonic clock).
    bool acquireFor(std::uint32_t timeoutMs);
    /// Current count.
    std::size_t available() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    std::size_t m_count;
    std::size_t m_waiters = 0;
};

} // namespace uni
