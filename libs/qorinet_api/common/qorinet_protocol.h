#pragma once
// Constants of the node wire protocols: ports, frame sizes and limits, command codes and the
// version words the client and the nodes exchange. Shared by the client and the node simulator.
//
// Frame (control connection and discovery datagrams alike, little-endian):
//   u16 frame id | u16 command | u32 payload length N | N payload bytes | 32-byte SHA3-256
//   digest over the 8 header bytes and the payload.

#include <cstddef>
#include <cstdint>

namespace qorinet_api {
namespace proto {

// ---- ports ---------------------------------------------------------------------------------

/// Control port of a node; all other ports derive from the base port P.
constexpr std::uint16_t kDefaultBasePort = 9237;
/// Data connections: P + 10.
constexpr std::uint16_t kDataPortOffset = 10;
/// Third port of the triple (log client): P + 5.
constexpr std::uint16_t kThirdPortOffset = 5;
/// Nodes listen for scan requests on P + 1.
constexpr std::uint16_t kScanPortOffset = 1;
/// The client receives answers and announcements on P + 2 (and sends its scans from there).
constexpr std::uint16_t kIdentPortOffset = 2;
/// Log server scan socket: P + 3.
constexpr std::uint16_t kLogScanPortOffset = 3;
/// Maintenance connection of a node (restart, reboot, IP configuration): control port + 6.
constexpr std::uint16_t kMaintenancePortOffset = 6;
/// Port the address observer probes a new local address with.
constexpr std::uint16_t kAddressProbePort = 9235;

// ---- frame layout and limits -----------------------------------------------------------------

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kDigestSize = 32;
/// Header plus digest: a frame is N + 40 bytes long.
constexpr std::size_t kFrameOverhead = kHeaderSize + kDigestSize;
/// Largest payload accepted from the network; anything above is a format error.
constexpr std::uint32_t kMaxPayload = 64u * 1024u * 1024u;
/// Baseline size of every request buffer and of the discovery receive buffer.
constexpr std::size_t kBufferSize = 8192;
/// A node that sends neither answer nor heartbeat for this long loses its control connection.
constexpr std::uint32_t kReceiveTimeoutMs = 1000;
/// Longest a request may be kept alive by heartbeats (15 minutes).
constexpr std::uint32_t kRequestCeilingMs = 15u * 60u * 1000u;

/// Answer code = request code | kAnswerFlag.
constexpr std::uint16_t kAnswerFlag = 0x4000;
/// Heartbeat code = request code | kHeartbeatFlag: the node is still working on the request.
constexpr std::uint16_t kHeartbeatFlag = 0x2000;

/// Binary requests of the integer parameter commands carry a block of this size.
constexpr std::size_t kParamBlockSize = 32;
/// Request of command BoardProperties: u32 board index and zero padding.
constexpr std::size_t kBoardPropertiesRequestSize = 16;
/// Integer answers carry the value at this payload offset (after the i32 status and padding).
constexpr std::size_t kAnswerValueOffset = 8;
/// Size of one CAN record in a WriteCAN request.
constexpr std::size_t kCanRecordSize = 44;
/// Size of one UART record in a WriteDmaUart request.
constexpr std::size_t kUartRecordSize = 16;
/// Data bytes one UART record carries.
constexpr std::size_t kUartRecordDataBytes = 8;

// ---- version words -------------------------------------------------------------------------

/// "cmd-version" of the client hello.
constexpr std::uint32_t kHelloCmdVersion = 0x10000;
/// "sw-version" of the client hello (hexadecimal 1000 0001).
constexpr std::uint32_t kHelloSwVersion = 0x10000001;
/// "cmd-version" of discovery documents.
constexpr std::uint32_t kDiscoveryCmdVersion = 65793;

// ---- command codes -------------------------------------------------------------------------

enum Command : std::uint16_t {
    // discovery (UDP)
    CMD_SCAN_REQUEST = 2,
    CMD_SCAN_ANSWER = 3,
    CMD_ANNOUNCE = 8,

    // control connection
    CMD_CLOSE = 1,             ///< no answer; the client closes at once
    CMD_HELLO = 17,            ///< document "Client"; answer: status, 8-byte hello value
    CMD_BOARD_PROPERTIES = 18, ///< u32 board + 12 zero bytes; answer: status, u32 L, text
    CMD_NODE_SETTINGS = 20,    ///< document "Node" (name / recording / id+recording)
    CMD_SET_PARAM_I32 = 32,
    CMD_GET_PARAM_I32 = 33,
    CMD_SET_PARAM_I64 = 34,
    CMD_GET_PARAM_I64 = 35,
    CMD_SET_PARAM_STRUCT_STR = 48,
    CMD_GET_PARAM_STRUCT_STR = 49,
    CMD_GET_PARAM_STRUCT_STR_LEN = 50,
    CMD_SET_PARAM_XML_STR = 56,
    CMD_GET_PARAM_XML_STR = 57,
    CMD_GET_PARAM_XML_STR_LEN = 58,
    CMD_OPEN_CAN = 80,
    CMD_CLOSE_CAN = 81,
    CMD_START_CAN = 84,
    CMD_STOP_CAN = 85,
    CMD_WRITE_CAN = 87,
    CMD_ERROR_CNT_CAN = 90,
    CMD_OPEN_DMA_UART = 96,
    CMD_CLOSE_DMA_UART = 97,
    CMD_START_DMA_UART = 100,
    CMD_STOP_DMA_UART = 101,
    CMD_WRITE_DMA_UART = 103,
    CMD_ERROR_TO_STRING = 112, ///< u32 code; answer: u32 L, text (no status word)

    // maintenance connection (control port + 6); answers are code | kAnswerFlag
    CMD_RESTART_SERVER = 0x11AA,
    CMD_REBOOT_SYSTEM = 0x12AA,
    CMD_SET_IP_CONFIG = 0x13BB,
};

/// Answer code of a request code.
constexpr std::uint16_t answerCode(std::uint16_t command)
{
    return command | kAnswerFlag;
}
/// Heartbeat code of a request code.
constexpr std::uint16_t heartbeatCode(std::uint16_t command)
{
    return command | kHeartbeatFlag;
}

/// Ports of one endpoint: control (base), data (base + 10) and third (base + 5).
struct PortTriple {
    std::uint16_t control = kDefaultBasePort;
    std::uint16_t data = kDefaultBasePort + kDataPortOffset;
    std::uint16_t third = kDefaultBasePort + kThirdPortOffset;

    /// The triple of a base port; 0 keeps the defaults.
    static PortTriple fromBase(std::uint16_t base)
    {
        PortTriple ports;
        if (base != 0) {
            ports.control = base;
            ports.data = static_cast<std::uint16_t>(base + kDataPortOffset);
            ports.third = static_cast<std::uint16_t>(base + kThirdPortOffset);
        }
        return ports;
    }
};

} // namespace proto
} // namespace qorinet_api
