#pragma once
// The wire between a monitored process and its crash watchdog: a stream of messages
// (u32 type, u32 payload length, payload) over a Unix socket pair, and one answer byte once the
// report is written.

#include <cstdint>

namespace crash_monitor {

enum class CrashMessage : std::uint32_t {
    AddFile = 1,    ///< path, '\0', description
    Screenshot = 2, ///< path of the screenshot file (empty: none)
    CrashBegin = 3, ///< CrashBeginPayload
    Frames = 4,     ///< return addresses (uintptr_t each)
    MapsChunk = 5,  ///< a piece of the memory map text
    CrashEnd = 6,   ///< nothing; the watchdog writes the report and answers one byte
};

struct CrashMessageHeader {
    std::uint32_t type;
    std::uint32_t length;
};

struct CrashBeginPayload {
    std::int32_t signalNumber;
    std::int32_t signalCode;
    std::uint64_t faultAddress;
    std::int64_t processId;
    std::int64_t threadId;
    std::uint64_t instructionAddress; ///< where the signal struck; 0 when unknown
};

/// Longest payload the watchdog accepts; longer ones mean the stream is corrupt.
constexpr std::uint32_t kMaxCrashMessagePayload = 64 * 1024;
/// Most frames a report carries.
constexpr std::uint32_t kMaxCrashFrames = 128;
/// Longest memory map text a report keeps.
constexpr std::uint32_t kMaxMapsText = 8 * 1024 * 1024;

/// Sends one message, retrying short writes and interruptions; async-signal-safe and never
/// raises SIGPIPE. False when the peer is gone.
bool sendCrashMessage(int socket, CrashMessage type, const void* payload, std::uint32_t length);

} // namespace crash_monitor
