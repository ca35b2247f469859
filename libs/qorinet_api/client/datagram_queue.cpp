#include "qorinet_api/client/datagram_queue.h"

#include <utility>

namespace qorinet_api {

namespace {
// Popped datagrams kept for their storage, at most.
constexpr std::size_t kMaxSpare = 64;
} // namespace

bool DatagramQueue::hasRoom() const
{
    return m_items.size() < kMaxCount && m_bytes < kMaxBytes;
}

void DatagramQueue::push(const std::uint8_t* data, std::size_t size, const std::string& sender)
{
    Datagram datagram;
    if (!m_spare.empty()) {
        datagram = std::move(m_spare.back());
        m_spare.pop_back();
    }
    datagram.bytes.assign(data, data + size);
    datagram.sender = sender;
    m_bytes += size;
    m_items.push_back(std::move(datagram));
}

void DatagramQueue::pop()
{
    m_bytes -= m_items.front().bytes.size();
    if (m_spare.size() < kMaxSpare)
        m_spare.push_back(std::move(m_items.front()));
    m_items.pop_front();
}

void DatagramQueue::clear()
{
    m_items.clear();
    m_bytes = 0;
}

} // namespace qorinet_api
