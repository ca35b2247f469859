#pragma once
// Datagrams taken out of a socket and not yet handled, oldest first. Bounded in count and
// bytes, so that a flood of datagrams waits in the socket's own buffer instead of growing
// here; handled datagrams keep their storage for the next ones.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace qorinet_api {

class DatagramQueue {
public:
    struct Datagram {
        std::vector<std::uint8_t> bytes;
        std::string sender;
    };

    /// Four times the largest node list, and as many bytes as the discovery socket's buffer.
    static constexpr std::size_t kMaxCount = 4096;
    static constexpr std::size_t kMaxBytes = 4 * 1024 * 1024;

    /// False once either bound is reached; push() only while it is true.
    bool hasRoom() const;
    void push(const std::uint8_t* data, std::size_t size, const std::string& sender);
    bool empty() const { return m_items.empty(); }
    /// The oldest datagram; valid until the next push() or pop().
    const Datagram& front() const { return m_items.front(); }
    void pop();
    void clear();

    std::size_t size() const { return m_items.size(); }
    std::size_t bytes() const { return m_bytes; }

private:
    std::deque<Datagram> m_items;
    std::size_t m_bytes = 0;
    std::vector<Datagram> m_spare; ///< popped, kept for their storage
};

} // namespace qorinet_api
