#pragma once
// The client-side image of one acquisition node on the network. Each interface operation
// becomes one request on the node's TCP control connection; the answer is awaited with a
// 1000 ms receive time-out that every heartbeat of the node restarts. One request is in
// flight per node at a time. Discovery feeds the record (address, ports, lists, states)
// through the setters below.

#include "qorinet_api/client/if_node_owner.h"
#include "qorinet_api/client/qorinet_if_client_node.h"
#include "qorinet_api/common/frame_buffer.h"
#include "qorinet_api/common/frame_read_ahead.h"
#include "qorinet_api/common/qorinet_base.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include "uni/ip_address_pair.h"
#include "uni/tcp_socket.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace qorinet_api {

class CommandDocument;
class PayloadReader;
class PayloadWriter;

class QORINetClientNode : public QORINetBase, public QORINetIfClientNode {
public:
    /// One board of the node's board list, with its cached properties document.
    struct BoardInfo {
        std::string name;
        std::string serial;
        std::string firmware;
        std::uint32_t slotIndex = 0;
        std::uint32_t enclosureIndex = 0;
        std::string properties;
    };

    /// One enclosure of the node's enclosure list.
    struct EnclosureInfo {
        std::uint32_t index = 0;
        std::string name;
        std::string serial;
        std::uint32_t slotCount = 0;
        /// Number of the first slot as the node's driver counts them ("SlotNoOffset"); -1
        /// when the node does not say.
        std::int32_t slotNoOffset = -1;
    };

    /// Further texts a node reports about itself in its discovery document.
    struct NodeTexts {
        std::string firmware;
        std::string driver;
        std::string enclosureAccess;
        std::string enclosureSerial;
        std::string serverVersion; ///< "sw-version" of the node's server
    };

    /// Scan states: announced only, answered and held by another client, answered and free.
    static constexpr std::uint32_t kScanAnnounced = 1;
    static constexpr std::uint32_t kScanHeld = 3;
    static constexpr std::uint32_t kScanFree = 5;

    /// `owner` may be null (no hello ports, no maintenance commands, no data streams); it must
    /// outlive the node otherwise.
    QORINetClientNode(IfNodeOwner* owner, std::uint32_t nodeId, std::uint32_t boardCount, std::uint32_t enclosureCount,
                      bool simulation);
    /// Closes the control socket without a goodbye.
    ~QORINetClientNode() override;

    QORINetClientNode(const QORINetClientNode&) = delete;
    QORINetClientNode& operator=(const QORINetClientNode&) = delete;

    // ---- record, as discovery fills it ----------------------------------------------------

    void setAddressPair(const uni::ipv4::IpAddressPair& pair);
    uni::ipv4::IpAddressPair addressPair() const;
    /// True when the node's address pair and control port are these (what discovery knows a
    /// node by), compared under the record lock without copying. Two nodes that claim one
    /// address stay apart by their enclosure serial: a serial unknown on either side matches.
    bool isAt(const uni::ipv4::IpAddressPair& pair, std::uint16_t controlPort,
              const std::string& enclosureSerial = {}) const;
    void setLocalAddressPair(const uni::ipv4::IpAddressPair& pair);
    uni::ipv4::IpAddressPair localAddressPair() const;
    void setPorts(const proto::PortTriple& ports);
    proto::PortTriple ports() const;
    /// The name as the node reports it; nothing is sent.
    void storeName(const std::string& name);
    void setNodeTexts(const NodeTexts& texts);
    NodeTexts nodeTexts() const;
    void setSimulation(bool simulation)
    {
        m_simulation = simulation;
        changed();
    }
    /// The IP configuration word the node reports ("mode" of its announcement and scan
    /// answers): 0 static IPv4, bits 0x1100 automatic, bits 0x66 IPv6.
    void setIpMode(std::uint32_t mode)
    {
        m_ipMode = mode;
        changed();
    }
    std::uint32_t ipMode() const { return m_ipMode; }
    void setBoardCount(std::uint32_t count)
    {
        m_boardCount = count;
        changed();
    }
    void setEnclosureCount(std::uint32_t count)
    {
        m_enclosureCount = count;
        changed();
    }
    void setSyncState(QORINetSyncState state)
    {
        m_syncState = state;
        changed();
    }
    /// 0..5; larger values are ignored.
    void setScanState(std::uint32_t state);
    std::uint32_t scanState() const { return m_scanState; }
    /// Replaces the board list (cached properties included) and sets the board count to its size.
    void setBoards(std::vector<BoardInfo> boards);
    std::vector<BoardInfo> boards() const;
    /// Replaces the enclosure list and sets the enclosure count to its size.
    void setEnclosures(std::vector<EnclosureInfo> enclosures);
    std::vector<EnclosureInfo> enclosures() const;
    /// The 64-bit value of the node's hello answer; 0 before the first connect.
    std::uint64_t helloValue() const { return m_helloValue; }

    /// What every scan reads or writes of a node. A listed node keeps it in its client's
    /// table, where the marks of all nodes lie together, so that a scan need not visit the
    /// records themselves; any other node keeps its own.
    struct ScanMark {
        std::atomic<std::uint32_t> missedScans{0};
        std::atomic<bool> tainted{false};
        /// Counts every change of the record through the setters above: an answer applied
        /// again to a record that is as that answer left it changes nothing.
        std::atomic<std::uint64_t> recordVersion{0};
    };
    /// Carries the mark over to `mark`, or back into the node when null. By the client that
    /// lists the node, while nothing else changes the mark.
    void keepMarkIn(ScanMark* mark);
    ScanMark* scanMark() { return m_mark; }

    std::uint64_t recordVersion() const { return m_mark.load()->recordVersion; }
    /// Missed-scan counter of discovery (counted up by the client's scan).
    void resetMissedScans() { m_mark.load()->missedScans = 0; }
    std::uint32_t missedScans() const { return m_mark.load()->missedScans; }

    /// Marks the node tainted for good; true only for the call that set it.
    bool setTainted();

    /// The first configured local pair of the owner whose network contains `remote` (under the
    /// remote mask, or the local one when the remote mask is 0); an empty pair when none. The
    /// answer is stored as the node's local address pair. Calls the owner's
    /// localAddressPairs(), so the owner must not hold a lock that call needs.
    uni::ipv4::IpAddressPair guessLocalIpAddress(const uni::ipv4::IpAddressPair& remote);

    /// Prepares the control socket (local address, port 0 -> node address, control port,
    /// 1000 ms receive time-out) without opening it. Does nothing while connected.
    void startNode();

    /// Payload capacity of the request buffer now (8192 between requests).
    std::size_t requestBufferCapacity() const;

    /// Receive time-out of the control connection; 1000 ms unless a test shortens it. An
    /// answer must begin within it, or a heartbeat must come; every frame must complete
    /// within it once begun.
    void setReceiveTimeoutMs(std::uint32_t ms) { m_receiveTimeoutMs = ms; }
    /// How long heartbeats may keep one request waiting (15 minutes by default); a request they
    /// kept waiting that long ends with 700007. Frames that are neither answer nor heartbeat
    /// never extend a wait.
    void setRequestCeilingMs(std::uint32_t ms) { m_requestCeilingMs = ms; }

    // ---- QORINetIfClientNode --------------------------------------------------------------

    std::uint32_t getNodeId() const override { return m_nodeId; }
    /// Opens the control connection, says hello, fetches every board's properties and sends
    /// the node id and recording flag. 0 when already connected; 700002 unless the scan state
    /// is 3 or 5; 700000 + n for a socket failure -n; 700009 when a board fetch fails.
    std::int32_t connect() override;
    /// Says goodbye (command 1, no answer awaited), closes the connection, tells the owner.
    std::int32_t disconnect() override;
    bool isConnected() const override { return m_connected; }
    bool isTainted() const override { return m_mark.load()->tainted; }
    bool isConnectable() const override;
    std::uint32_t getBoardCount() const override { return m_boardCount; }
    bool isSimulation() const override { return m_simulation; }
    bool isLocal() const override { return false; }
    std::string getAddress() const override;
    std::string getNetMask() const override;
    std::string getEnclosureName() const override;
    /// Sends the name (command 20) and keeps it. A name the node would refuse (NodeName) is
    /// refused here with ERR_UNI_OSAL_EARG, nothing sent.
    std::int32_t setName(const std::string& name) override;
    /// The name, or "[RemoteNode]" while it is empty.
    std::string getName() const override;
    std::int32_t setRecording(bool recording) override;
    bool isRecording() const override { return m_recording; }
    std::uint32_t getEnclosureCount() const override { return m_enclosureCount; }
    QORINetSyncState getSyncState() const override { return m_syncState; }
    /// Delegated to the owner, which uses a connection of its own; 700002 without an owner.
    std::int32_t restartServer() override;
    std::int32_t rebootSystem() override;
    std::int32_t setIpConfig(std::uint32_t mode, const std::string& address, const std::string& netmask) override;

    std::int32_t SetParam_i32(std::int32_t board, std::int32_t command, std::int32_t value) override;
    std::int32_t GetParam_i32(std::int32_t board, std::int32_t command, std::int32_t& value) override;
    std::int32_t SetParam_i64(std::int32_t board, std::int32_t command, std::int64_t value) override;
    std::int32_t GetParam_i64(std::int32_t board, std::int32_t command, std::int64_t& value) override;
    std::int32_t SetParamStruct_str(const std::string& target, const std::string& command,
                                    const std::string& value) override;
    /// "BoardProperties" and "BoardPropertiesFile" of a target "BoardID<n>" come from the
    /// board's cached document without a request.
    std::int32_t GetParamStruct_str(const std::string& target, const std::string& command, std::string& text) override;
    std::int32_t GetParamStruct_strLEN(const std::string& target, const std::string& command,
                                       std::uint32_t& length) override;
    std::int32_t SetParamXML_str(const std::string& target, const std::string& command,
                                 const std::string& value) override;
    std::int32_t GetParamXML_str(const std::string& target, const std::string& command, std::string& text) override;
    std::int32_t GetParamXML_strLEN(const std::string& target, const std::string& command,
                                    std::uint32_t& length) override;
    /// 0 when the node answered, else 700009.
    std::int32_t ErrorConstantToString(std::int32_t code, std::string& text) override;

    std::int32_t OpenCAN(std::int32_t board) override;
    std::int32_t CloseCAN(std::int32_t board) override;
    std::int32_t StartCAN(std::int32_t board, std::int32_t channel) override;
    std::int32_t StopCAN(std::int32_t board, std::int32_t channel) override;
    /// Reads come from the owner's data streams.
    std::int32_t ReadCAN(std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count) override;
    std::int32_t ReadCANRawFrame(std::int32_t board, ZaMoCanFrame*& frames, std::int32_t& count) override;
    std::int32_t FreeFramesCAN(std::int32_t board, std::int32_t count) override;
    std::int32_t WriteCAN(std::int32_t board, const ZaMoCanFrame* frames, std::int32_t& count) override;
    std::int32_t ErrorCntCAN(std::int32_t board, std::int32_t channel, std::uint32_t& errorCount) override;

    std::int32_t OpenDmaUart(std::int32_t board) override;
    std::int32_t CloseDmaUart(std::int32_t board) override;
    std::int32_t StartDmaUart(std::int32_t board, std::int32_t channel) override;
    std::int32_t StopDmaUart(std::int32_t board, std::int32_t channel) override;
    std::int32_t ReadDmaUart(std::int32_t board, std::uint8_t* bytes, std::int32_t& count) override;
    std::int32_t ReadDmaUartRawFrame(std::int32_t board, ZaMoUartFrame*& frames, std::int32_t& count) override;
    std::int32_t FreeDmaUartRawFrame(std::int32_t board, std::int32_t count) override;
    std::int32_t WriteDmaUart(std::int32_t board, const std::uint8_t* bytes, std::int32_t& count) override;

private:
    void changed() { ++m_mark.load()->recordVersion; }
    // Guards; 0 when the operation may go on.
    std::int32_t commandGuard() const;
    std::int32_t boardGuard(std::int32_t board) const;
    std::int32_t channelGuard(std::int32_t board, std::int32_t channel) const;

    /// Builds the payload with `fill`, sends it, hands the answer to `read` (whose result is
    /// returned) and puts the buffer back to its baseline. The request lock is held throughout.
    template <class Fill, class Read>
    std::int32_t binaryRequest(std::uint16_t command, Fill&& fill, Read&& read);
    /// Same for a document request; 700009 when no answer came.
    template <class Read>
    std::int32_t documentRequest(std::uint16_t command, const CommandDocument& document, Read&& read);
    /// Status-only request of a u32 board and an i32 second word.
    std::int32_t boardWordRequest(std::uint16_t command, std::int32_t board, std::int32_t word);
    /// boardWordRequest unless `guard` refused.
    std::int32_t guardedWordRequest(std::int32_t guard, std::uint16_t command, std::int32_t board, std::int32_t word);
    /// `call(owner)` for a board's data stream, after the board guard and with an owner.
    template <class Call>
    std::int32_t onStream(std::int32_t board, Call&& call);
    /// A bus write of `records` wire records, each written by `record(out, i)`; `count` is
    /// cleared when the node refuses.
    template <class Record>
    std::int32_t busWrite(std::uint16_t command, std::int32_t board, std::size_t records, Record&& record,
                          std::int32_t& count);
    template <class Read>
    std::int32_t parameterTextRequest(std::uint16_t command, const std::string& target, const std::string& item,
                                      const std::string* text, Read&& read);

    // With the request lock held.
    int sendRequest(std::uint16_t command);
    std::int32_t sendXMLRequest(std::uint16_t command, const std::string& xml);
    std::int32_t connectControl(bool& alreadyOpen);
    void closeControlLocked();
    std::int32_t sayHelloLocked();
    std::int32_t fetchBoardProperties(std::uint32_t index);

    void disconnectControl();
    void prepareSocket();
    /// The cached properties document of "BoardID<n>" with a cached command; false otherwise.
    bool cachedBoardDocument(const std::string& target, const std::string& command, std::string& text) const;

    IfNodeOwner* const m_owner;
    const std::uint32_t m_nodeId;

    mutable std::mutex m_recordLock; // guards the texts and lists below
    uni::ipv4::IpAddressPair m_address;
    uni::ipv4::IpAddressPair m_localAddress;
    proto::PortTriple m_ports;
    std::string m_name;
    NodeTexts m_texts;
    std::vector<BoardInfo> m_boards;
    std::vector<EnclosureInfo> m_enclosures;

    std::atomic<bool> m_recording{false};
    std::atomic<bool> m_simulation;
    std::atomic<std::uint32_t> m_ipMode{0};
    std::atomic<std::uint32_t> m_boardCount;
    std::atomic<std::uint32_t> m_enclosureCount;
    std::atomic<QORINetSyncState> m_syncState{0};
    std::atomic<std::uint32_t> m_scanState{0};
    ScanMark m_ownMark;
    std::atomic<ScanMark*> m_mark{&m_ownMark};
    std::atomic<std::uint64_t> m_helloValue{0};
    std::atomic<std::uint32_t> m_receiveTimeoutMs{proto::kReceiveTimeoutMs};
    std::atomic<std::uint32_t> m_requestCeilingMs{proto::kRequestCeilingMs};

    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_disconnectRequested{false};

    // One request at a time: held from the first byte sent until the answer is copied out.
    mutable std::mutex m_requestLock;
    FrameBuffer m_buffer;
    // What the node sent past the frame last read; belongs to the open stream alone.
    FrameReadAhead m_readAhead;
    // Not a Locked socket: every transfer on it runs under m_requestLock already, and a
    // close from another thread is safe without it.
    uni::TCPSocket m_socket;
};

} // namespace qorinet_api
