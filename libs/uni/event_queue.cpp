#include "uni/event_queue.h"

#include "uni/osal.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace uni {

namespace {

constexpr int kENoBuf = -4;
constexpr int kEArg = -(osal::ERR_UNI_OSAL_EARG - osal::ERR_UNI_OSAL_BASE);
constexpr int kEAlloc = -(osal::ERR_UNI_OSAL_EALLOC - osal::ERR_UNI_OSAL_BASE);
constexpr int kETimeout = -(osal::ERR_UNI_OSAL_ETIMEOUT - osal::ERR_UNI_OSAL_BASE);

std::size_t powerOfTwoAtLeast(std::size_t n)
{
    std::size_t p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

// Moves the `count` live entries of a ring starting at `head` to the front of a larger ring.
template <typename T>
void growRing(std::vector<T>& ring, std::size_t& head, std::size_t count, std::size_t needed)
{
    std::vector<T> bigger(powerOfTwoAtLeast(needed));
    const std::size_t first = std::min(count, ring.size() - head);
    std::memcpy(bigger.data(), ring.data() + head, first * sizeof(T));
    std::memcpy(bigger.data() + first, ring.data(), (count - first) * sizeof(T));
    ring.swap(bigger);
    head = 0;
}

} // namespace

EventQueue::EventQueue(std::size_t initialRecords, std::size_t initialBytes)
    : m_records(powerOfTwoAtLeast(initialRecords ? initialRecords : 1)),
      m_bytes(powerOfTwoAtLeast(initialBytes ? initialBytes : 1))
{
}

int EventQueue::push(std::uint32_t code, const void* data, std::uint32_t length)
{
    if (length != 0 && data == nullptr)
        return kEArg;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!reserve(m_recordCount + 1, m_byteCount + length))
            return kEAlloc;
        const std::size_t tail = (m_recordHead + m_recordCount) & (m_records.size() - 1);
        m_records[tail] = Record{code, length};
        ++m_recordCount;
        copyIn(data, length);
    }
    m_available.release();
    return 0;
}

int EventQueue::pop(std::uint32_t& code, std::vector<std::uint8_t>& data, std::uint32_t timeoutMs)
{
    if (!wait(timeoutMs))
        return kETimeout;
    std::lock_guard<std::mutex> lock(m_mutex);
    const Record record = m_records[m_recordHead];
    m_recordHead = (m_recordHead + 1) & (m_records.size() - 1);
    --m_recordCount;
    code = record.code;
    data.resize(record.length);
    copyOut(data.data(), record.length);
    return 0;
}

int EventQueue::pop(std::uint32_t& code, void* buffer, std::uint32_t capacity, std::uint32_t& length,
                    std::uint32_t timeoutMs)
{
    if (!wait(timeoutMs))
        return kETimeout;
    std::unique_lock<std::mutex> lock(m_mutex);
    const Record record = m_records[m_recordHead];
    length = record.length;
    if (record.length > capacity || (record.length != 0 && buffer == nullptr)) {
        // Leave the event for a retry with a bigger buffer; only the one reader pops.
        lock.unlock();
        m_available.release();
        return kENoBuf;
    }
    m_recordHead = (m_recordHead + 1) & (m_records.size() - 1);
    --m_recordCount;
    code = record.code;
    copyOut(buffer, record.length);
    return 0;
}

std::size_t EventQueue::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_recordCount;
}

bool EventQueue::wait(std::uint32_t timeoutMs)
{
    if (timeoutMs == kWaitForever) {
        m_available.acquire();
        return true;
    }
    return timeoutMs == 0 ? m_available.tryAcquire() : m_available.acquireFor(timeoutMs);
}

bool EventQueue::reserve(std::size_t records, std::size_t bytes)
{
    try {
        if (records > m_records.size())
            growRing(m_records, m_recordHead, m_recordCount, records);
        if (bytes > m_bytes.size())
            growRing(m_bytes, m_byteHead, m_byteCount, bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void EventQueue::copyIn(const void* data, std::size_t length)
{
    if (length == 0)
        return;
    const auto* src = static_cast<const std::uint8_t*>(data);
    const std::size_t tail = (m_byteHead + m_byteCount) & (m_bytes.size() - 1);
    const std::size_t first = std::min(length, m_bytes.size() - tail);
    std::memcpy(m_bytes.data() + tail, src, first);
    std::memcpy(m_bytes.data(), src + first, length - first);
    m_byteCount += length;
}

void EventQueue::copyOut(void* out, std::size_t length)
{
    if (length == 0)
        return;
    auto* dst = static_cast<std::uint8_t*>(out);
    const std::size_t first = std::min(length, m_bytes.size() - m_byteHead);
    std::memcpy(dst, m_bytes.data() + m_byteHead, first);
    std::memcpy(dst + first, m_bytes.data(), length - first);
    m_byteHead = (m_byteHead + length) & (m_bytes.size() - 1);
    m_byteCount -= length;
}

} // namespace uni
