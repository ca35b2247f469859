#pragma once
// Waits on several sockets at once and hands the readable ones out one per call, in list order,
// so that a busy socket cannot starve the others. Used from one thread at a time.

#include "uni/non_copyable.h"

#include <cstddef>
#include <vector>

namespace uni {

class Socket;

class SocketSet : public NonCopyable {
public:
    SocketSet() = default;

    /// Adds a socket (not owned). 0, or -1 for null or one already in the set.
    int add(Socket* socket);
    /// Removes a socket, also from the ready sockets not yet handed out. 0, or -1 if absent.
    int remove(Socket* socket);
    void clear();
    std::size_t size() const { return m_sockets.size(); }
    bool contains(const Socket* socket) const;

    /// Hands out in `*ready` the next socket that the last wait found readable. Once all of
    /// them were handed out, waits again over the whole set for at most `timeoutMs` (negative:
    /// no limit). 0; -8 on time-out; -1 when no socket of the set is open; -4 for a null
    /// `ready`; -10 interrupted; -9 other failure.
    int wait(Socket** ready, int timeoutMs);

private:
    int poll(int timeoutMs);

    std::vector<Socket*> m_sockets;
    std::vector<Socket*> m_ready; ///< found readable by the last poll, in list order
    std::size_t m_next = 0;       ///< first entry of m_ready not yet handed out
};

} // namespace uni
