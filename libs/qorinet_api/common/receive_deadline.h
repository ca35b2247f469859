#pragma once
// The end of a wait on a stream socket: receives made before it wait no longer than what is
// left, whatever the socket's own receive time-out says. The socket's time-out is put back
// when the deadline goes.

#include <chrono>
#include <cstdint>

namespace uni {
class TCPSocket;
}

namespace qorinet_api {

class ReceiveDeadline {
public:
    using Clock = std::chrono::steady_clock;

    /// Ends `budgetMs` from now; 0 never ends (the socket's own time-out alone applies).
    ReceiveDeadline(uni::TCPSocket& socket, std::uint32_t budgetMs);
    ~ReceiveDeadline();
    ReceiveDeadline(const ReceiveDeadline&) = delete;
    ReceiveDeadline& operator=(const ReceiveDeadline&) = delete;

    /// The end as it stands.
    Clock::time_point end() const { return m_end; }
    /// Moves the end to `budgetMs` from now, never past `ceiling`.
    void extend(std::uint32_t budgetMs, Clock::time_point ceiling);
    /// Before a receive: false when the time is up; otherwise the socket's next receive
    /// waits at most about what is left.
    bool arm();
    /// Receives exactly `length` bytes, each receive armed first: `length`, 0 when the peer
    /// closed, a negative socket result, or -8 when the time ran out.
    int receive(void* to, std::size_t length);

private:
    uni::TCPSocket& m_socket;
    const std::uint32_t m_ownTimeoutMs;
    std::uint32_t m_armedMs;
    bool m_unbounded;
    Clock::time_point m_end;
    /// The whole budget is left: no clock read needed by the first arm().
    std::uint32_t m_freshMs;
};

} // namespace qorinet_api
