#pragma once
// A node stand-in for tests: listens on 127.0.0.1 (free port), takes one control connection
// at a time and answers every request frame with whatever the test's script returns (raw
// bytes, so wrong digests, heartbeats and strangers can be sent too). Records every request.

#include "qorinet_api/common/control_frame.h"

#include "uni/tcp_socket.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace z2e::test {

using Bytes = std::vector<std::uint8_t>;

struct RecordedRequest {
    qorinet_api::FrameHeader header;
    Bytes payload;
    Bytes raw; ///< the whole frame as it came off the wire
};

class ScriptedControlServer {
public:
    /// Byte blobs to write back, in order. An empty list answers nothing.
    using Script = std::function<std::vector<Bytes>(const RecordedRequest&)>;

    /// Starts listening; port() is valid at once.
    ScriptedControlServer();
    ~ScriptedControlServer();

    std::uint16_t port() const { return m_port; }
    /// Replaces the script (the default one answers hello, board properties and settings).
    void setScript(Script script);
    /// The default answers: hello -> status 0 + kHelloValue, board properties -> status 0 +
    /// text "<Board index=\"i\"/>", anything else -> status 0 and 12 zero bytes.
    static std::vector<Bytes> defaultAnswer(const RecordedRequest& request);

    std::vector<RecordedRequest> requests() const;
    std::size_t requestCount() const;
    int accepted() const { return m_accepted; }
    /// Number of connections the client ended (closed or cut off).
    int closedByPeer() const { return m_closedByPeer; }
    /// Waits up to `ms` until closedByPeer() reaches `count`.
    bool waitClosed(int count, int ms) const;

    /// A frame with answer code (command | 0x4000) and the payload.
    static Bytes answer(std::uint16_t command, const Bytes& payload);
    /// A heartbeat frame (command | 0x2000) with an empty payload.
    static Bytes heartbeat(std::uint16_t command);

    static constexpr std::uint64_t kHelloValue = 0x1122334455667788ull;

private:
    void run();
    void serve(uni::TCPSocket& peer);

    uni::TCPSocket m_listener;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::atomic<int> m_closedByPeer{0};
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    Script m_script;
    std::vector<RecordedRequest> m_requests;
    std::thread m_thread;
};

/// Little-endian payload building for answers.
class PayloadBytes {
public:
    PayloadBytes& u32(std::uint32_t value);
    PayloadBytes& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
    PayloadBytes& u64(std::uint64_t value);
    PayloadBytes& text(const std::string& text);
    PayloadBytes& zeros(std::size_t count);
    const Bytes& bytes() const { return m_bytes; }
    operator const Bytes&() const { return m_bytes; }

private:
    Bytes m_bytes;
};

} // namespace z2e::test
