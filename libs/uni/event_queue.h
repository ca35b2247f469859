#pragma once
// Queue of (event code, data bytes) records: any number of producers, one reader that blocks
// until something arrives. Records and data live in two growable rings, so a steady flow of
// events allocates nothing.

#include "uni/non_copyable.h"
#include "uni/semaphore.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace uni {

class EventQueue : public NonCopyable {
public:
    /// Infinite wait for pop().
    static constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;

    /// Capacities are rounded up to powers of two; both rings grow on demand.
    explicit EventQueue(std::size_t initialRecords = 64, std::size_t initialBytes = 4096);

    /// Appends one event with a copy of `length` bytes at `data`. 0; -5 for a null `data` with a
    /// non-zero length; -6 when the rings cannot grow.
    int push(std::uint32_t code, const void* data = nullptr, std::uint32_t length = 0);

    /// Takes the oldest event, waiting up to `timeoutMs` (kWaitForever: no limit). 0, or -8 on
    /// time-out. `data` is resized to the event's length.
    int pop(std::uint32_t& code, std::vector<std::uint8_t>& data, std::uint32_t timeoutMs = kWaitForever);

    /// As above into a caller buffer; `length` receives the event's data length. When `capacity`
    /// is too small the event stays queued and -4 is returned (`length` tells the size needed).
    int pop(std::uint32_t& code, void* buffer, std::uint32_t capacity, std::uint32_t& length,
            std::uint32_t timeoutMs = kWaitForever);

    /// Number of queued events.
    std::size_t size() const;

private:
    struct Record {
        std::uint32_t code;
        std::uint32_t length;
    };

    bool wait(std::uint32_t timeoutMs);
    bool reserve(std::size_t records, std::size_t bytes);
    void copyIn(const void* data, std::size_t length);
    void copyOut(void* out, std::size_t length);

    Semaphore m_available; // one per queued event
    mutable std::mutex m_mutex;

    std::vector<Record> m_records; // ring, size a power of two
    std::size_t m_recordHead = 0;
    std::size_t m_recordCount = 0;

    std::vector<std::uint8_t> m_bytes; // ring, size a power of two
    std::size_t m_byteHead = 0;
    std::size_t m_byteCount = 0;
};

} // namespace uni
