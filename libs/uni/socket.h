#pragma once
// Common part of the TCP and UDP sockets: the handle, the behaviour flags, both IPv4 ends, the
// time-outs and the optional lock that serialises sends and receives.

#include "uni/non_copyable.h"

#include <netinet/in.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

namespace uni {

class Socket : public NonCopyable {
public:
    /// Behaviour flags, fixed at construction.
    enum Flags : std::uint32_t {
        Receiver = 0x10, ///< UDP: bind to the local end; TCP: listen together with Listening
        Sender = 0x20,
        Listening = 0x40,
        ReuseAddress = 0x100,
        Broadcast = 0x200,
        BindSender = 0x400, ///< a sender binds to its local end as well
        Locked = 0x800,     ///< every send and receive holds the socket's own lock
    };

    static constexpr int InvalidHandle = -1;

    explicit Socket(std::uint32_t flags);
    virtual ~Socket();

    /// Creates and configures the OS socket from the flags and ends. 0 or a negative result.
    virtual int open() = 0;
    /// Closes the OS socket; a call blocked on it in another thread returns first.
    /// 0, or -1 when it was not open.
    virtual int close();

    /// Receives into `buffer`. Without `partial`, waits for exactly `length` bytes (stream
    /// sockets). Returns the byte count, 0 when the peer closed, or a negative result.
    virtual int receive(void* buffer, std::size_t length, bool partial) = 0;
    /// Same as receive(buffer, length, false).
    int receive(void* buffer, std::size_t length) { return receive(buffer, length, false); }
    /// Sends all of `buffer`. Returns the byte count or a negative result.
    virtual int send(const void* buffer, std::size_t length) = 0;

    /// Waits until the socket can take data: 0, -8 after `timeoutMs` (and timedOut() is set),
    /// -1 when closed. A negative `timeoutMs` waits without limit.
    int waitWritable(int timeoutMs);
    /// True once waitWritable() ran into its time-out; cleared by the next successful wait.
    bool timedOut() const { return m_timedOut.load(); }

    bool isOpen() const { return m_handle.load() != InvalidHandle; }
    int handle() const { return m_handle.load(); }
    std::uint32_t flags() const { return m_flags; }
    bool hasFlag(std::uint32_t flag) const { return (m_flags & flag) != 0; }

    /// Sets an end from dotted IPv4 text (empty: any address) and a port. 0, or -15 for bad text.
    int setLocalEnd(const std::string& address, std::uint16_t port);
    int setRemoteEnd(const std::string& address, std::uint16_t port);
    void setLocalEnd(const sockaddr_in& end) { m_local = end; }
    void setRemoteEnd(const sockaddr_in& end) { m_remote = end; }
    const sockaddr_in& localEnd() const { return m_local; }
    const sockaddr_in& remoteEnd() const { return m_remote; }
    std::string localAddress() const { return addressText(m_local); }
    std::uint16_t localPort() const { return ntohs(m_local.sin_port); }
    std::string remoteAddress() const { return addressText(m_remote); }
    std::uint16_t remotePort() const { return ntohs(m_remote.sin_port); }

    /// Time-outs in milliseconds, 0 for none; applied at once when the socket is open.
    int setReceiveTimeout(std::uint32_t ms);
    int setSendTimeout(std::uint32_t ms);
    std::uint32_t receiveTimeout() const { return m_receiveTimeoutMs; }
    std::uint32_t sendTimeout() const { return m_sendTimeoutMs; }

    /// Dotted text of an end's address.
    static std::string addressText(const sockaddr_in& end);
    /// Fills `end` from dotted text (empty: any address) and a port. False for bad text.
    static bool makeEnd(const std::string& address, std::uint16_t port, sockaddr_in& end);

protected:
    /// Holds the socket's lock when it has one, nothing otherwise.
    class Guard {
    public:
        explicit Guard(std::mutex* lock) : m_lock(lock)
        {
            if (m_lock)
                m_lock->lock();
        }
        ~Guard()
        {
            if (m_lock)
                m_lock->unlock();
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        std::mutex* m_lock;
    };

    std::mutex* lock() const { return m_lock.get(); }

    /// Keeps the handle from being closed under a running call: close() shuts the socket down,
    /// which wakes such calls, and closes the handle only after they returned.
    class Use {
    public:
        explicit Use(const Socket& socket) : m_hold(socket.m_closing), m_fd(socket.handle()) {}
        int fd() const { return m_fd; }

    private:
        std::shared_lock<std::shared_mutex> m_hold;
        int m_fd;
    };

    /// Creates the OS socket (close-on-exec). 0 or -16.
    int createHandle(int type);
    /// Closes the socket and returns -16; the common failure path of open and connect.
    int failOpen();
    /// Binds to the local end and reads the chosen end back. 0 or -16 (socket left open).
    int bindLocal();
    /// Reads the local end back from the OS.
    void readLocalEnd();
    int applyReceiveTimeout();
    int applySendTimeout();
    int setOption(int level, int name, int value);
    void adoptHandle(int fd) { m_handle.store(fd); }

    /// Maps errno of a failed transfer: -10 interrupted, -8 time-out or would block, -9 other.
    static int transferError(int error);

private:
    const std::uint32_t m_flags;
    std::atomic<int> m_handle{InvalidHandle};
    std::atomic<bool> m_timedOut{false};
    sockaddr_in m_local{};
    sockaddr_in m_remote{};
    std::uint32_t m_receiveTimeoutMs = 0;
    std::uint32_t m_sendTimeoutMs = 0;
    std::unique_ptr<std::mutex> m_lock;
    mutable std::shared_mutex m_closing;
};

} // namespace uni
