#include "crash/crash_channel.h"

#include <sys/socket.h>

#include <cerrno>

namespace crash_monitor {
namespace {

bool sendAll(int socket, const void* data, std::uint32_t length)
{
    const char* at = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t sent = ::send(socket, at, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        at += sent;
        length -= static_cast<std::uint32_t>(sent);
    }
    return true;
}

} // namespace

bool sendCrashMessage(int socket, CrashMessage type, const void* payload, std::uint32_t length)
{
    if (length > kMaxCrashMessagePayload)
        return false;
    const CrashMessageHeader header{static_cast<std::uint32_t>(type), length};
    if (!sendAll(socket, &header, sizeof header))
        return false;
    return length == 0 || sendAll(socket, payload, length);
}

} // namespace crash_monitor
