#include "uni/semaphore.h"

#include <chrono>

namespace uni {

void Semaphore::release(std::size_t n)
{
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_count += n;
        wake = m_waiters > 0;
    }
    // Skipping the notify when nobody waits keeps a busy producer out of the kernel.
    if (!wake)
        return;
    if (n == 1)
        m_released.notify_one();
    else
        m_released.notify_all();
}

void Semaphore::acquire()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waiters;
    m_released.wait(lock, [this] { return m_count > 0; });
    --m_waiters;
    --m_count;
}

bool Semaphore::tryAcquire()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_count == 0)
        return false;
    --m_count;
    return true;
}

bool Semaphore::acquireFor(std::uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_waiters;
    const bool got = m_released.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_count > 0; });
    --m_waiters;
    if (got)
        --m_count;
    return got;
}

std::size_t Semaphore::available() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
}

} // namespace uni
