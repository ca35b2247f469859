#include "qorinet_api/client/qorinet_local_client_node.h"

#include "qorinet_api/common/qorinet_names.h"
#include "qorinet_api/common/qorinet_result_codes.h"
#include "uni/number_text.h"

#include "zmpxi/driver_api.h"
#include "uni/log.h"

#include <cstring>
#include <thread>

namespace qorinet_api {

namespace {

constexpr int kInitAttempts = 3;
constexpr std::chrono::milliseconds kInUseRetryDelay{1000};
// The driver is untrusted: a text larger than this, or a LEN that keeps moving, is refused.
constexpr std::uint64_t kMaxTextSize = 64u * 1024u * 1024u;
constexpr int kMaxGrowRounds = 8;
constexpr std::size_t kMaxErrorTextSize = 4096;

z2e::DriverEntryPoints& fn()
{
    return z2e::driverApi().fn;
}

void sleepFor(std::chrono::milliseconds delay)
{
    std::this_thread::sleep_for(delay);
}

} // namespace

QORINetLocalClientNode::QORINetLocalClientNode(std::uint32_t nodeId, bool simulation)
    : m_nodeId(nodeId), m_simulation(simulation), m_name(kLocalNodeName), m_retryWait(sleepFor)
{
}

void QORINetLocalClientNode::setRetryWait(RetryWait wait)
{
    m_retryWait = wait ? std::move(wait) : RetryWait(sleepFor);
}

std::size_t QORINetLocalClientNode::scratchSize() const
{
    std::lock_guard<std::mutex> lock(m_textLock);
    return m_scratch.size();
}

std::uint32_t QORINetLocalClientNode::getNodeId() const
{
    return m_nodeId;
}

std::int32_t QORINetLocalClientNode::connect()
{
    if (z2e::loadDriverApi() == 0) {
        UNI_LOG(kLogChannel, uni::log::error) << "Unable to load " << z2e::driverDisplayName();
        UNI_LOG(kLogChannel, uni::log::error) << z2e::lastDriverLoadError();
        m_initialised = false;
        return ERR_DRIVER_NOT_LOADED;
    }
    std::int32_t boardCount = 0;
    const std::int32_t initResult = initDriver(boardCount);
    if (initResult >= 1) {
        UNI_LOG(kLogChannel, uni::log::error) << "Error " << initResult << " in ZaMoDriverInit";
        dropDriver(false);
        return initResult;
    }
    if (initResult < 0) {
        UNI_LOG(kLogChannel, uni::log::error) << "Warning " << initResult << " in ZaMoDriverInit";
    }
    takeBoardCount(boardCount);
    m_initialised = true;

    const std::int32_t countResult = readEnclosureCount();
    if (countResult >= 1) {
        dropDriver(true);
        return countResult;
    }
    // A warning of the init is not passed on.
    return ERR_NONE;
}

// An answer of 1 means another process holds the hardware and may let go soon; any other
// failure is retried at once in case it was passing.
std::int32_t QORINetLocalClientNode::initDriver(std::int32_t& boardCount)
{
    std::int32_t result = ERR_DRIVER_NOT_LOADED;
    for (int attempt = 0; attempt < kInitAttempts; ++attempt) {
        if (!fn().ZaMoDriverInit)
            return ERR_DRIVER_NOT_LOADED;
        boardCount = 0;
        result = fn().ZaMoDriverInit(&boardCount);
        if (result == ERR_NONE)
            break;
        if (result == ERR_HARDWARE_ALREADY_IN_USE) {
            UNI_LOG(kLogChannel, uni::log::warning) << "Hardware already in use. Will try again in 1 second.";
            m_retryWait(kInUseRetryDelay);
        }
    }
    return result;
}

// The driver reports simulated boards as a negative count.
void QORINetLocalClientNode::takeBoardCount(std::int32_t reported)
{
    const std::int64_t count = reported;
    m_simulation = count < 0;
    m_boardCount = static_cast<std::uint32_t>(count < 0 ? -count : count);
    if (count == 0) {
        UNI_LOG(kLogChannel, uni::log::warning) << "Warning no QORIN boards detected";
    }
}

std::int32_t QORINetLocalClientNode::readEnclosureCount()
{
    std::string text;
    std::int32_t result = GetParamStruct_str("System", "EnclosureCount", text);
    if (result >= 1) {
        UNI_LOG(kLogChannel, uni::log::error) << "Error " << result << " reading the enclosure count";
        return result;
    }
    std::int32_t count = 0;
    if (!uni::text::parseSignedDecimal(text, count)) {
        UNI_LOG(kLogChannel, uni::log::error) << "Enclosure count \"" << text << "\" is no number";
        return ERR_INTERNAL_ERROR;
    }
    m_enclosureCount = count < 0 ? 0u : static_cast<std::uint32_t>(count);
    return result;
}

void QORINetLocalClientNode::dropDriver(bool deInit)
{
    if (deInit && fn().ZaMoDriverDeInit)
        fn().ZaMoDriverDeInit();
    z2e::unloadDriverApi();
    m_initialised = false;
    m_boardCount = 0;
}

std::int32_t QORINetLocalClientNode::disconnect()
{
    dropDriver(true);
    return ERR_NONE;
}

bool QORINetLocalClientNode::isConnected() const
{
    return m_initialised;
}
bool QORINetLocalClientNode::isTainted() const
{
    return false;
}
bool QORINetLocalClientNode::isConnectable() const
{
    return true;
}
std::uint32_t QORINetLocalClientNode::getBoardCount() const
{
    return m_boardCount;
}
bool QORINetLocalClientNode::isSimulation() const
{
    return m_simulation;
}
bool QORINetLocalClientNode::isLocal() const
{
    return true;
}
std::string QORINetLocalClientNode::getAddress() const
{
    return {};
}
std::string QORINetLocalClientNode::getNetMask() const
{
    return {};
}
std::string QORINetLocalClientNode::getEnclosureName() const
{
    return {};
}

std::int32_t QORINetLocalClientNode::setName(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_nameLock);
    m_name = name;
    return ERR_NONE;
}

std::string QORINetLocalClientNode::getName() const
{
    std::lock_guard<std::mutex> lock(m_nameLock);
    return m_name;
}

std::int32_t QORINetLocalClientNode::setRecording(bool recording)
{
    m_recording = recording;
    return ERR_NONE;
}

bool QORINetLocalClientNode::isRecording() const
{
    return m_recording;
}
std::uint32_t QORINetLocalClientNode::getEnclosureCount() const
{
    return m_enclosureCount;
}
QORINetSyncState QORINetLocalClientNode::getSyncState() const
{
    return kLocalNodeSyncState;
}
std::int32_t QORINetLocalClientNode::restartServer()
{
    return ERR_NONE;
}
std::int32_t QORINetLocalClientNode::rebootSystem()
{
    return ERR_NONE;
}

std::int32_t QORINetLocalClientNode::setIpConfig(std::uint32_t, const std::string&, const std::string&)
{
    return ERR_NONE;
}

// Forwards to the entry point of the same name, or answers 2 when it is not loaded.
#define QORINET_FORWARD(name, ...) return fn().ZaMo##name ? fn().ZaMo##name(__VA_ARGS__) : ERR_DRIVER_NOT_LOADED

std::int32_t QORINetLocalClientNode::SetParam_i32(std::int32_t board, std::int32_t command, std::int32_t value)
{
    QORINET_FORWARD(SetParam_i32, board, command, value);
}

std::int32_t QORINetLocalClientNode::GetParam_i32(std::int32_t board, std::int32_t command, std::int32_t& value)
{
    QORINET_FORWARD(GetParam_i32, board, command, &value);
}

std::int32_t QORINetLocalClientNode::SetParam_i64(std::int32_t board, std::int32_t command, std::int64_t value)
{
    QORINET_FORWARD(SetParam_i64, board, command, value);
}

std::int32_t QORINetLocalClientNode::GetParam_i64(std::int32_t board, std::int32_t command, std::int64_t& value)
{
    QORINET_FORWARD(GetParam_i64, board, command, &value);
}

std::int32_t QORINetLocalClientNode::SetParamStruct_str(const std::string& target, const std::string& command,
                                                        const std::string& value)
{
    QORINET_FORWARD(SetParamStruct_str, target.c_str(), command.c_str(), value.c_str());
}

std::int32_t QORINetLocalClientNode::GetParamStruct_str(const std::string& target, const std::string& command,
                                                        std::string& text)
{
    return bufferedGet(fn().ZaMoGetParamStruct_str, fn().ZaMoGetParamStruct_strLEN, target, command, text);
}

std::int32_t QORINetLocalClientNode::GetParamStruct_strLEN(const std::string& target, const std::string& command,
                                                           std::uint32_t& length)
{
    QORINET_FORWARD(GetParamStruct_strLEN, target.c_str(), command.c_str(), &length);
}

std::int32_t QORINetLocalClientNode::SetParamXML_str(const std::string& target, const std::string& command,
                                                     const std::string& value)
{
    QORINET_FORWARD(SetParamXML_str, target.c_str(), command.c_str(), value.c_str());
}

std::int32_t QORINetLocalClientNode::GetParamXML_str(const std::string& target, const std::string& command,
                                                     std::string& text)
{
    return bufferedGet(fn().ZaMoGetParamXML_str, fn().ZaMoGetParamXML_strLEN, target, command, text);
}

std::int32_t QORINetLocalClientNode::GetParamXML_strLEN(const std::string& target, const std::string& command,
                                                        std::uint32_t& length)
{
    QORINET_FORWARD(GetParamXML_strLEN, target.c_str(), command.c_str(), &length);
}

std::int32_t QORINetLocalClientNode::ErrorConstantToString(std::int32_t code, std::string& text)
{
    if (!fn().ZaMoErrorConstantToString)
        return ERR_DRIVER_NOT_LOADED;
    const char* answer = fn().ZaMoErrorConstantToString(code);
    text.assign(answer ? answer : "", answer ? strnlen(answer, kMaxErrorTextSize) : 0);
    return ERR_NONE;
}

std::int32_t QORINetLocalClientNode::OpenCAN(std::int32_t board)
{
    QORINET_FORWARD(OpenCAN, board);
}
std::int32_t QORINetLocalClientNode::CloseCAN(std::int32_t board)
{
    QORINET_FORWARD(CloseCAN, board);
}

std::int32_t QORINetLocalClientNode::StartCAN(std::int32_t board, std::int32_t channel)
{
    QORINET_FORWARD(StartCAN, board, channel);
}

std::int32_t QORINetLocalClientNode::StopCAN(std::int32_t board, std::int32_t channel)
{
    QORINET_FORWARD(StopCAN, board, channel);
}

std::int32_t QORINetLocalClientNode::ReadCAN(std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count)
{
    QORINET_FORWARD(ReadCAN, board, frames, count, &count);
}

std::int32_t QORINetLocalClientNode::ReadCANRawFrame(std::int32_t board, ZaMoCanFrame*& frames, std::int32_t& count)
{
    QORINET_FORWARD(ReadCANRawFrame, board, &frames, &count);
}

std::int32_t QORINetLocalClientNode::FreeFramesCAN(std::int32_t board, std::int32_t count)
{
    QORINET_FORWARD(FreeFramesCAN, board, count);
}

std::int32_t QORINetLocalClientNode::WriteCAN(std::int32_t board, const ZaMoCanFrame* frames, std::int32_t& count)
{
    QORINET_FORWARD(WriteCAN, board, frames, count, &count);
}

std::int32_t QORINetLocalClientNode::ErrorCntCAN(std::int32_t board, std::int32_t channel, std::uint32_t& errorCount)
{
    QORINET_FORWARD(ErrorCntCAN, board, channel, &errorCount);
}

std::int32_t QORINetLocalClientNode::OpenDmaUart(std::int32_t board)
{
    QORINET_FORWARD(OpenDmaUart, board);
}
std::int32_t QORINetLocalClientNode::CloseDmaUart(std::int32_t board)
{
    QORINET_FORWARD(CloseDmaUart, board);
}

std::int32_t QORINetLocalClientNode::StartDmaUart(std::int32_t board, std::int32_t channel)
{
    QORINET_FORWARD(StartDmaUart, board, channel);
}

std::int32_t QORINetLocalClientNode::StopDmaUart(std::int32_t board, std::int32_t channel)
{
    QORINET_FORWARD(StopDmaUart, board, channel);
}

std::int32_t QORINetLocalClientNode::ReadDmaUart(std::int32_t board, std::uint8_t* bytes, std::int32_t& count)
{
    QORINET_FORWARD(ReadDmaUart, board, bytes, count, &count);
}

std::int32_t QORINetLocalClientNode::ReadDmaUartRawFrame(std::int32_t board, ZaMoUartFrame*& frames,
                                                         std::int32_t& count)
{
    QORINET_FORWARD(ReadDmaUartRawFrame, board, &frames, &count);
}

std::int32_t QORINetLocalClientNode::FreeDmaUartRawFrame(std::int32_t board, std::int32_t count)
{
    QORINET_FORWARD(FreeDmaUartRawFrame, board, count);
}

std::int32_t QORINetLocalClientNode::WriteDmaUart(std::int32_t board, const std::uint8_t* bytes, std::int32_t& count)
{
    QORINET_FORWARD(WriteDmaUart, board, bytes, count, &count);
}

#undef QORINET_FORWARD

// The buffer starts with the caller's previous text: some driver commands read their
// argument from it. A text reaches the caller only on success or a warning.
std::int32_t QORINetLocalClientNode::bufferedGet(TextGetter getter, TextLength length, const std::string& target,
                                                 const std::string& command, std::string& text)
{
    if (!getter || !length)
        return ERR_DRIVER_NOT_LOADED;
    std::lock_guard<std::mutex> lock(m_textLock);
    growScratch(text.capacity() + 1);
    std::memcpy(m_scratch.data(), text.data(), text.size());
    m_scratch[text.size()] = '\0';

    std::int32_t result =
        getter(target.c_str(), command.c_str(), m_scratch.data(), static_cast<std::uint32_t>(m_scratch.size()));
    for (int round = 0; result == ERROR_BUFFER_TOO_SMALL; ++round) {
        std::uint32_t needed = 0;
        const std::int32_t lengthResult = length(target.c_str(), command.c_str(), &needed);
        if (lengthResult != ERR_NONE)
            return lengthResult;
        if (round == kMaxGrowRounds || needed + std::uint64_t{1} > kMaxTextSize) {
            UNI_LOG(kLogChannel, uni::log::error)
                << "Driver text " << target << "/" << command << " of " << needed << " bytes refused";
            return result;
        }
        growScratch(std::size_t{needed} + 1);
        result =
            getter(target.c_str(), command.c_str(), m_scratch.data(), static_cast<std::uint32_t>(m_scratch.size()));
    }
    if (succeeded(result))
        text.assign(m_scratch.data(), strnlen(m_scratch.data(), m_scratch.size()));
    return result;
}

void QORINetLocalClientNode::growScratch(std::size_t size)
{
    if (m_scratch.size() < size)
        m_scratch.resize(size);
}

} // namespace qorinet_api
