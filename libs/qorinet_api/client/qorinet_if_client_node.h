#pragma once
// The one interface through which the application talks to any acquisition node: the local
// enclosures behind the driver or a network node. The driver-mirroring operations carry the
// driver function's name without its "ZaMo" prefix and return driver result codes, so the tree,
// the dialogs and the tools issue the same calls to both kinds of node.
//
// The declaration order is the slot order (the vtable layout); new operations go at the end.

#include "qorinet_api/common/qorinet_sync_state.h"

#include "zmpxi_api.h"

#include <cstdint>
#include <string>

namespace qorinet_api {

class QORINetIfClientNode {
public:
    virtual ~QORINetIfClientNode() = default;

    /// Unique within one client; the local node takes the next id of the same counter.
    virtual std::uint32_t getNodeId() const = 0;
    /// Opens the node (driver init, or the control connection). 0 at once when already open.
    virtual std::int32_t connect() = 0;
    /// Closes what connect opened. Safe to call repeatedly.
    virtual std::int32_t disconnect() = 0;
    virtual bool isConnected() const = 0;
    /// Set once the client found the node unresponsive; never cleared. Local: always false.
    virtual bool isTainted() const = 0;
    /// Whether connect may be tried now. Local: always true.
    virtual bool isConnectable() const = 0;
    virtual std::uint32_t getBoardCount() const = 0;
    /// The node runs simulated boards.
    virtual bool isSimulation() const = 0;
    virtual bool isLocal() const = 0;
    /// Dotted IPv4 address; empty for the local node.
    virtual std::string getAddress() const = 0;
    virtual std::string getNetMask() const = 0;
    /// Name of the node's first enclosure; empty when it has none.
    virtual std::string getEnclosureName() const = 0;
    virtual std::int32_t setName(const std::string& name) = 0;
    virtual std::string getName() const = 0;
    virtual std::int32_t setRecording(bool recording) = 0;
    virtual bool isRecording() const = 0;
    virtual std::uint32_t getEnclosureCount() const = 0;
    virtual QORINetSyncState getSyncState() const = 0;
    /// Restarts the node's server process. Local: 0, nothing else.
    virtual std::int32_t restartServer() = 0;
    /// Reboots the node's computer. Local: 0, nothing else.
    virtual std::int32_t rebootSystem() = 0;
    /// Changes the node's address; `mode` is the node's mode word. Local: 0, nothing else.
    virtual std::int32_t setIpConfig(std::uint32_t mode, const std::string& address, const std::string& netmask) = 0;

    // Driver mirrors. Out arguments are references; in/out counts carry the maximum (or the
    // number to write) in and the number transferred out.

    virtual std::int32_t SetParam_i32(std::int32_t board, std::int32_t command, std::int32_t value) = 0;
    virtual std::int32_t GetParam_i32(std::int32_t board, std::int32_t command, std::int32_t& value) = 0;
    virtual std::int32_t SetParam_i64(std::int32_t board, std::int32_t command, std::int64_t value) = 0;
    virtual std::int32_t GetParam_i64(std::int32_t board, std::int32_t command, std::int64_t& value) = 0;
    virtual std::int32_t SetParamStruct_str(const std::string& target, const std::string& command,
                                            const std::string& value) = 0;
    /// `text`'s previous content is what the driver finds in its buffer; it is replaced only on
    /// success or a warning.
    virtual std::int32_t GetParamStruct_str(const std::string& target, const std::string& command,
                                            std::string& text) = 0;
    virtual std::int32_t GetParamStruct_strLEN(const std::string& target, const std::string& command,
                                               std::uint32_t& length) = 0;
    virtual std::int32_t SetParamXML_str(const std::string& target, const std::string& command,
                                         const std::string& value) = 0;
    /// As GetParamStruct_str, for the XML parameter tree.
    virtual std::int32_t GetParamXML_str(const std::string& target, const std::string& command, std::string& text) = 0;
    virtual std::int32_t GetParamXML_strLEN(const std::string& target, const std::string& command,
                                            std::uint32_t& length) = 0;
    /// The driver's own text for a result code.
    virtual std::int32_t ErrorConstantToString(std::int32_t code, std::string& text) = 0;

    virtual std::int32_t OpenCAN(std::int32_t board) = 0;
    virtual std::int32_t CloseCAN(std::int32_t board) = 0;
    virtual std::int32_t StartCAN(std::int32_t board, std::int32_t channel) = 0;
    virtual std::int32_t StopCAN(std::int32_t board, std::int32_t channel) = 0;
    virtual std::int32_t ReadCAN(std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count) = 0;
    /// Hands out frames the driver keeps until FreeFramesCAN releases them.
    virtual std::int32_t ReadCANRawFrame(std::int32_t board, ZaMoCanFrame*& frames, std::int32_t& count) = 0;
    /// Releases `count` frames of `board` handed out by ReadCANRawFrame.
    virtual std::int32_t FreeFramesCAN(std::int32_t board, std::int32_t count) = 0;
    virtual std::int32_t WriteCAN(std::int32_t board, const ZaMoCanFrame* frames, std::int32_t& count) = 0;
    virtual std::int32_t ErrorCntCAN(std::int32_t board, std::int32_t channel, std::uint32_t& errorCount) = 0;

    virtual std::int32_t OpenDmaUart(std::int32_t board) = 0;
    virtual std::int32_t CloseDmaUart(std::int32_t board) = 0;
    virtual std::int32_t StartDmaUart(std::int32_t board, std::int32_t channel) = 0;
    virtual std::int32_t StopDmaUart(std::int32_t board, std::int32_t channel) = 0;
    virtual std::int32_t ReadDmaUart(std::int32_t board, std::uint8_t* bytes, std::int32_t& count) = 0;
    /// Hands out blocks the driver keeps until FreeDmaUartRawFrame releases them.
    virtual std::int32_t ReadDmaUartRawFrame(std::int32_t board, ZaMoUartFrame*& frames, std::int32_t& count) = 0;
    virtual std::int32_t FreeDmaUartRawFrame(std::int32_t board, std::int32_t count) = 0;
    virtual std::int32_t WriteDmaUart(std::int32_t board, const std::uint8_t* bytes, std::int32_t& count) = 0;
};

} // namespace qorinet_api
