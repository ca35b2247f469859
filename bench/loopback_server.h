#pragma once
// A bare POSIX server on 127.0.0.1 (a port the kernel chooses) for the benchmarks: every
// connection is served from one thread, so that two clients compared in one run meet the same
// server thread.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace bench {

class LoopbackServer {
public:
    /// `answer` reads one request from a connection whose data waits and answers it; false
    /// ends that connection.
    explicit LoopbackServer(std::function<bool(int fd)> answer) : m_answer(std::move(answer))
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in end{};
        end.sin_family = AF_INET;
        end.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof end;
        if (m_listener >= 0 && ::bind(m_listener, reinterpret_cast<sockaddr*>(&end), sizeof end) == 0 &&
            ::listen(m_listener, 4) == 0 && ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&end), &size) == 0)
            m_port = ntohs(end.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackServer()
    {
        ::shutdown(m_listener, SHUT_RDWR); // wakes the poll, and accept() then fails
        m_thread.join();
        ::close(m_listener);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const { return m_port; }
    std::thread& thread() { return m_thread; }

private:
    void serve()
    {
        std::vector<pollfd> ends{{m_listener, POLLIN, 0}};
        while (m_port != 0 && ::poll(ends.data(), ends.size(), -1) > 0) {
            if (ends[0].revents != 0 && !accepted(ends))
                break;
            for (std::size_t i = ends.size(); i-- > 1;) {
                if (ends[i].revents != 0 && !m_answer(ends[i].fd)) {
                    ::close(ends[i].fd);
                    ends.erase(ends.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
        }
        for (std::size_t i = 1; i < ends.size(); ++i)
            ::close(ends[i].fd);
    }

    bool accepted(std::vector<pollfd>& ends)
    {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0)
            return false; // the listener was shut down
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ends.push_back({fd, POLLIN, 0});
        return true;
    }

    std::function<bool(int fd)> m_answer;
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
};

} // namespace bench
