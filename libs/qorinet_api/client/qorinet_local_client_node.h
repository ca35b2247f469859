#pragma once
// The node of this computer's own enclosures: initialises the driver and forwards the
// driver-mirroring operations to its entry points. Every forwarding operation answers 2 while
// the entry point it needs is not loaded.

#include "qorinet_api/client/qorinet_if_client_node.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

namespace qorinet_api {

class QORINetLocalClientNode : public QORINetIfClientNode {
public:
    /// How connect waits before it retries a driver that reports the hardware in use.
    using RetryWait = std::function<void(std::chrono::milliseconds)>;

    explicit QORINetLocalClientNode(std::uint32_t nodeId, bool simulation = false);
    ~QORINetLocalClientNode() override = default;

    QORINetLocalClientNode(const QORINetLocalClientNode&) = delete;
    QORINetLocalClientNode& operator=(const QORINetLocalClientNode&) = delete;

    /// Replaces the 1 s sleep between init attempts (tests pass a recorder). Empty restores it.
    void setRetryWait(RetryWait wait);

    /// Bytes the shared text buffer holds now; it only grows.
    std::size_t scratchSize() const;

    std::uint32_t getNodeId() const override;
    /// Loads the driver, initialises it (up to three tries) and reads the enclosure count.
    /// On failure the driver is unloaded again and the node stays unconnected. Runs the whole
    /// sequence again when already connected.
    std::int32_t connect() override;
    /// De-initialises and unloads the driver.
    std::int32_t disconnect() override;
    bool isConnected() const override;
    bool isTainted() const override;
    bool isConnectable() const override;
    std::uint32_t getBoardCount() const override;
    bool isSimulation() const override;
    bool isLocal() const override;
    std::string getAddress() const override;
    std::string getNetMask() const override;
    std::string getEnclosureName() const override;
    std::int32_t setName(const std::string& name) override;
    std::string getName() const override;
    std::int32_t setRecording(bool recording) override;
    bool isRecording() const override;
    std::uint32_t getEnclosureCount() const override;
    QORINetSyncState getSyncState() const override;
    std::int32_t restartServer() override;
    std::int32_t rebootSystem() override;
    std::int32_t setIpConfig(std::uint32_t mode, const std::string& address, const std::string& netmask) override;

    std::int32_t SetParam_i32(std::int32_t board, std::int32_t command, std::int32_t value) override;
    std::int32_t GetParam_i32(std::int32_t board, std::int32_t command, std::int32_t& value) override;
    std::int32_t SetParam_i64(std::int32_t board, std::int32_t command, std::int64_t value) override;
    std::int32_t GetParam_i64(std::int32_t board, std::int32_t command, std::int64_t& value) override;
    std::int32_t SetParamStruct_str(const std::string& target, const std::string& command,
                                    const std::string& value) override;
    std::int32_t GetParamStruct_str(const std::string& target, const std::string& command, std::string& text) override;
    std::int32_t GetParamStruct_strLEN(const std::string& target, const std::string& command,
                                       std::uint32_t& length) override;
    std::int32_t SetParamXML_str(const std::string& target, const std::string& command,
                                 const std::string& value) override;
    std::int32_t GetParamXML_str(const std::string& target, const std::string& command, std::string& text) override;
    std::int32_t GetParamXML_strLEN(const std::string& target, const std::string& command,
                                    std::uint32_t& length) override;
    std::int32_t ErrorConstantToString(std::int32_t code, std::string& text) override;

    std::int32_t OpenCAN(std::int32_t board) override;
    std::int32_t CloseCAN(std::int32_t board) override;
    std::int32_t StartCAN(std::int32_t board, std::int32_t channel) override;
    std::int32_t StopCAN(std::int32_t board, std::int32_t channel) override;
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
    using TextGetter = std::int32_t (*)(const char*, const char*, char*, std::uint32_t);
    using TextLength = std::int32_t (*)(const char*, const char*, std::uint32_t*);

    std::int32_t initDriver(std::int32_t& boardCount);
    void takeBoardCount(std::int32_t reported);
    std::int32_t readEnclosureCount();
    void dropDriver(bool deInit);
    std::int32_t bufferedGet(TextGetter getter, TextLength length, const std::string& target,
                             const std::string& command, std::string& text);
    void growScratch(std::size_t size);

    const std::uint32_t m_nodeId;
    std::atomic<bool> m_initialised{false};
    std::atomic<std::uint32_t> m_boardCount{0};
    std::atomic<std::uint32_t> m_enclosureCount{0};
    std::atomic<bool> m_simulation;
    mutable std::mutex m_nameLock;
    std::string m_name;
    std::atomic<bool> m_recording{false};
    mutable std::mutex m_textLock; ///< held around every use of m_scratch
    std::vector<char> m_scratch;
    RetryWait m_retryWait;
};

} // namespace qorinet_api
