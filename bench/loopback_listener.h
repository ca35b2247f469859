#pragma once
// Bare POSIX listener on 127.0.0.1 with a kernel-chosen port, for the benchmarks' own servers.

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

namespace bench {

/// Returns the listening descriptor (or -1) and stores its port.
inline int openLoopbackListener(std::uint16_t& port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in end{};
    end.sin_family = AF_INET;
    end.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof end;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&end), sizeof end) != 0 ||
        ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&end), &size) != 0)
        return -1;
    port = ntohs(end.sin_port);
    return listener;
}

} // namespace bench
