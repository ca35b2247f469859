#pragma once
// One discovery datagram (scan request, scan answer, announcement): the usual frame whose
// payload is a u32 document length L followed by L bytes of XML, so N = L + 4. Used by the
// client and by the node simulator alike.

#include "qorinet_api/common/qorinet_protocol.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qorinet_api {

class DiscoveryPacket {
public:
    /// Largest datagram sent or accepted: the receivers' buffer size.
    static constexpr std::size_t kMaxSize = proto::kBufferSize;
    /// Largest document that fits a datagram (frame overhead and length field aside).
    static constexpr std::size_t kMaxDocumentSize = kMaxSize - proto::kFrameOverhead - 4;

    /// The whole datagram for `command` carrying `xml`, with the given frame id; empty when
    /// `xml` is longer than kMaxDocumentSize (a larger datagram would be dropped unread).
    static std::vector<std::uint8_t> encode(std::uint16_t command, const std::string& xml, std::uint16_t id);
    /// As above with a fresh frame id.
    static std::vector<std::uint8_t> encode(std::uint16_t command, const std::string& xml);

    /// Checks one received datagram of `size` bytes. 0 with `command` and `xml` set; -15 when
    /// the size is not N + 40, N is not L + 4 or the datagram exceeds kMaxSize;
    /// -19 on a digest mismatch. The outputs are left alone on failure.
    static int decode(const std::uint8_t* data, std::size_t size, std::uint16_t& command, std::string& xml);
};

} // namespace qorinet_api
