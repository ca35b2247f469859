#include "node_command_handler.h"

#include "address_policy.h"
#include "data_link.h"
#include "node_backend.h"
#include "sim_node.h"

#include "qorinet_api/common/command_document.h"
#include "qorinet_api/common/node_name.h"
#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/payload_writer.h"
#include "qorinet_api/common/qorinet_protocol.h"
#include "qorinet_api/common/qorinet_result_codes.h"
#include "qorinet_api/common/wire_records.h"

#include "uni/log.h"
#include "uni/osal.h"

#include <vector>

namespace nodesim {

namespace proto = qorinet_api::proto;
using qorinet_api::FrameBuffer;
using qorinet_api::PayloadReader;
using qorinet_api::PayloadWriter;

namespace {

constexpr const char* kChannel = "nodesim";
constexpr std::int32_t kBadArgument = uni::osal::ERR_UNI_OSAL_EARG;
constexpr std::int32_t kBadDocument = qorinet_api::ERROR_XML_PARSING_FAILED;

void status(FrameBuffer& answer, std::int32_t value)
{
    PayloadWriter(answer).i32(value);
}

// A document request: u32 0, u32 length, the text.
bool readDocument(const std::uint8_t* payload, std::size_t size, qorinet_api::CommandDocument& doc)
{
    std::string xml;
    return PayloadReader(payload, size).document(xml) && doc.parse(xml);
}

std::string field(const qorinet_api::CommandDocument& doc, const char* section, const char* name)
{
    return doc.text(section, name).value_or(std::string());
}

} // namespace

NodeCommandHandler::NodeCommandHandler(SimNode& node, NodeBackend& backend, const void* session,
                                       std::uint32_t dataEveryMs)
    : m_node(node), m_backend(backend), m_session(session), m_dataEveryMs(dataEveryMs)
{
}

NodeCommandHandler::~NodeCommandHandler()
{
    endSession();
}

void NodeCommandHandler::endSession()
{
    m_link.reset();
}

// Only towards an allowed client that named a data port; a hello again replaces the link.
void NodeCommandHandler::startDataLink(const std::string& clientAddress, std::uint64_t dataPort)
{
    m_link.reset();
    if (dataPort == 0 || dataPort > 0xFFFF || !AddressPolicy::allowed(clientAddress))
        return;
    m_link = std::make_unique<DataLink>(m_backend, m_node.address().address(), clientAddress,
                                        static_cast<std::uint16_t>(dataPort), m_dataEveryMs);
    if (m_link->start() != 0)
        m_link.reset();
}

void NodeCommandHandler::watch(std::uint16_t command, std::int32_t board, std::int32_t result)
{
    if (!m_link || result > 0)
        return;
    switch (command) {
    case proto::CMD_START_CAN: return m_link->watchCan(board, true);
    case proto::CMD_CLOSE_CAN: return m_link->watchCan(board, false);
    case proto::CMD_START_DMA_UART: return m_link->watchUart(board, true);
    case proto::CMD_CLOSE_DMA_UART: return m_link->watchUart(board, false);
    default: return;
    }
}

void NodeCommandHandler::handle(std::uint16_t command, const std::uint8_t* payload, std::size_t size,
                                FrameBuffer& answer)
{
    switch (command) {
    case proto::CMD_HELLO: return hello(payload, size, answer);
    case proto::CMD_BOARD_PROPERTIES: return boardProperties(payload, size, answer);
    case proto::CMD_NODE_SETTINGS: return nodeSettings(payload, size, answer);
    case proto::CMD_SET_PARAM_I32:
    case proto::CMD_GET_PARAM_I32:
    case proto::CMD_SET_PARAM_I64:
    case proto::CMD_GET_PARAM_I64: return integerParam(command, payload, size, answer);
    case proto::CMD_SET_PARAM_STRUCT_STR:
    case proto::CMD_GET_PARAM_STRUCT_STR:
    case proto::CMD_GET_PARAM_STRUCT_STR_LEN:
    case proto::CMD_SET_PARAM_XML_STR:
    case proto::CMD_GET_PARAM_XML_STR:
    case proto::CMD_GET_PARAM_XML_STR_LEN: return textParam(command, payload, size, answer);
    case proto::CMD_OPEN_CAN:
    case proto::CMD_CLOSE_CAN:
    case proto::CMD_START_CAN:
    case proto::CMD_STOP_CAN:
    case proto::CMD_OPEN_DMA_UART:
    case proto::CMD_CLOSE_DMA_UART:
    case proto::CMD_START_DMA_UART:
    case proto::CMD_STOP_DMA_UART: return busControl(command, payload, size, answer);
    case proto::CMD_WRITE_CAN: return writeCan(payload, size, answer);
    case proto::CMD_WRITE_DMA_UART: return writeUart(payload, size, answer);
    case proto::CMD_ERROR_CNT_CAN: return errorCount(payload, size, answer);
    case proto::CMD_ERROR_TO_STRING: return errorText(payload, size, answer);
    default:
        UNI_LOG(kChannel, uni::log::warning) << "node " << m_node.index() << ": unknown command " << command;
        return status(answer, uni::osal::ERR_UNI_OSAL_ECOMMAND);
    }
}

void NodeCommandHandler::hello(const std::uint8_t* payload, std::size_t size, FrameBuffer& answer)
{
    qorinet_api::CommandDocument doc;
    if (!readDocument(payload, size, doc) || !doc.hasSection("Client"))
        return status(answer, kBadDocument);
    ClientInfo client;
    client.address = field(doc, "Client", "net-addr");
    client.mask = field(doc, "Client", "net-mask");
    client.controlPort = static_cast<std::uint32_t>(doc.number("Client", "ctrl_port").value_or(0) & 0xFFFFu);
    m_node.hold(m_session, client);
    startDataLink(client.address, doc.number("Client", "data_port").value_or(0));
    UNI_LOG(kChannel, uni::log::info) << "node " << m_node.index() << ": hello from " << client.address;
    PayloadWriter(answer).i32(0).u64(m_node.helloValue());
}

void NodeCommandHandler::boardProperties(const std::uint8_t* payload, std::size_t size, FrameBuffer& answer)
{
    std::uint32_t board = 0;
    if (!PayloadReader(payload, size).u32At(0, board))
        return status(answer, kBadArgument);
    std::string text;
    const std::int32_t result =
        m_backend.driver().GetParamStruct_str("BoardID" + std::to_string(board), "boardproperties", text);
    PayloadWriter(answer).i32(result).text(result > 0 ? std::string() : text);
}

void NodeCommandHandler::nodeSettings(const std::uint8_t* payload, std::size_t size, FrameBuffer& answer)
{
    qorinet_api::CommandDocument doc;
    if (!readDocument(payload, size, doc) || !doc.hasSection("Node"))
        return status(answer, kBadDocument);
    const auto recording = doc.text("Node", "recording");
    if (recording && *recording != "0" && *recording != "1")
        return status(answer, kBadArgument);
    const auto name = doc.text("Node", "name");
    if (name && qorinet_api::NodeName::check(*name) != qorinet_api::NodeName::Check::Ok)
        return status(answer, kBadArgument);
    if (name)
        m_node.setName(*name);
    if (recording)
        m_node.setRecording(*recording == "1");
    status(answer, 0);
}

void NodeCommandHandler::integerParam(std::uint16_t command, const std::uint8_t* payload, std::size_t size,
                                      FrameBuffer& answer)
{
    const PayloadReader request(payload, size);
    std::int32_t board = 0;
    std::int32_t item = 0;
    std::int64_t value = 0;
    const bool isSet = command == proto::CMD_SET_PARAM_I32 || command == proto::CMD_SET_PARAM_I64;
    if (!request.i32At(0, board) || !request.i32At(4, item) || (!request.i64At(8, value) && isSet))
        return status(answer, kBadArgument);
    qorinet_api::QORINetIfClientNode& driver = m_backend.driver();
    switch (command) {
    case proto::CMD_SET_PARAM_I32:
        return status(answer, driver.SetParam_i32(board, item, static_cast<std::int32_t>(value)));
    case proto::CMD_SET_PARAM_I64: return status(answer, driver.SetParam_i64(board, item, value));
    case proto::CMD_GET_PARAM_I32: {
        std::int32_t read = 0;
        const std::int32_t result = driver.GetParam_i32(board, item, read);
        PayloadWriter(answer).i32(result).zeros(4).i64(read);
        return;
    }
    default: {
        std::int64_t read = 0;
        const std::int32_t result = driver.GetParam_i64(board, item, read);
        PayloadWriter(answer).i32(result).zeros(4).i64(read);
        return;
    }
    }
}

void NodeCommandHandler::textParam(std::uint16_t command, const std::uint8_t* payload, std::size_t size,
                                   FrameBuffer& answer)
{
    qorinet_api::CommandDocument doc;
    if (!readDocument(payload, size, doc))
        return status(answer, kBadDocument);
    const std::string target = field(doc, "", "target");
    const std::string item = field(doc, "", "command");
    std::string text = field(doc, "", "string");
    qorinet_api::QORINetIfClientNode& driver = m_backend.driver();
    std::int32_t result = 0;
    std::uint32_t length = 0;
    switch (command) {
    case proto::CMD_SET_PARAM_STRUCT_STR: return status(answer, driver.SetParamStruct_str(target, item, text));
    case proto::CMD_SET_PARAM_XML_STR: return status(answer, driver.SetParamXML_str(target, item, text));
    case proto::CMD_GET_PARAM_STRUCT_STR: result = driver.GetParamStruct_str(target, item, text); break;
    case proto::CMD_GET_PARAM_XML_STR: result = driver.GetParamXML_str(target, item, text); break;
    case proto::CMD_GET_PARAM_STRUCT_STR_LEN:
        result = driver.GetParamStruct_strLEN(target, item, length);
        PayloadWriter(answer).i32(result).u32(length);
        return;
    default:
        result = driver.GetParamXML_strLEN(target, item, length);
        PayloadWriter(answer).i32(result).u32(length);
        return;
    }
    PayloadWriter(answer).i32(result).text(result > 0 ? std::string() : text);
}

void NodeCommandHandler::busControl(std::uint16_t command, const std::uint8_t* payload, std::size_t size,
                                    FrameBuffer& answer)
{
    const PayloadReader request(payload, size);
    std::int32_t board = 0;
    std::int32_t channel = 0;
    if (!request.i32At(0, board) || !request.i32At(4, channel))
        return status(answer, kBadArgument);
    qorinet_api::QORINetIfClientNode& driver = m_backend.driver();
    std::int32_t result = 0;
    switch (command) {
    case proto::CMD_OPEN_CAN: result = driver.OpenCAN(board); break;
    case proto::CMD_CLOSE_CAN: result = driver.CloseCAN(board); break;
    case proto::CMD_START_CAN: result = driver.StartCAN(board, channel); break;
    case proto::CMD_STOP_CAN: result = driver.StopCAN(board, channel); break;
    case proto::CMD_OPEN_DMA_UART: result = driver.OpenDmaUart(board); break;
    case proto::CMD_CLOSE_DMA_UART: result = driver.CloseDmaUart(board); break;
    case proto::CMD_START_DMA_UART: result = driver.StartDmaUart(board, channel); break;
    default: result = driver.StopDmaUart(board, channel); break;
    }
    watch(command, board, result);
    status(answer, result);
}

void NodeCommandHandler::writeCan(const std::uint8_t* payload, std::size_t size, FrameBuffer& answer)
{
    const PayloadReader request(payload, size);
    std::int32_t board = 0;
    std::uint32_t count = 0;
    if (!request.i32At(0, board) || !request.u32At(4, count) || count > (size - 8) / proto::kCanRecordSize)
        return status(answer, kBadArgument);
    std::vector<ZaMoCanFrame> frames;
    frames.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        frames.push_back(qorinet_api::WireRecords::decodeCan(payload + 8 + i * proto::kCanRecordSize));
    std::int32_t written = static_cast<std::int32_t>(count);
    status(answer, m_backend.driver().WriteCAN(board, frames.data(), written));
}

void NodeCommandHandler::writeUart(const std::uint8_t* payload, std::size_t size, FrameBuffer& answer)
{
    const PayloadReader request(payload, size);
    std::int32_t board = 0;
    std::uint32_t records = 0;
    if (!request.i32At(0, board) || !request.u32At(4, records) || records > (size - 8) / proto::kUartRecordSize)
        return status(answer, kBadArgument);
    std::vector<std::uint8_t> bytes;
    if (!qorinet_api::WireRecords::decodeUart(payload + 8, records, bytes))
        return status(answer, kBadArgument);
    std::int32_t written = static_cast<std::int32_t>(bytes.size());
    status(answer, m_backend.driver().WriteDmaUart(board, bytes.data(), written));
}

void NodeCommandHandler::errorCount(const std::uint8_t* payload, std::size_t size, FrameBuffer& answer)
{
    const PayloadReader request(payload, size);
    std::int32_t board = 0;
    std::int32_t channel = 0;
    if (!request.i32At(0, board) || !request.i32At(4, channel))
        return status(answer, kBadArgument);
    std::uint32_t errors = 0;
    const std::int32_t result = m_backend.driver().ErrorCntCAN(board, channel, errors);
    PayloadWriter writer(answer);
    writer.i32(result);
    if (result == 0)
        writer.u32(errors);
}

void NodeCommandHandler::errorText(const std::uint8_t* payload, std::size_t size, FrameBuffer& answer)
{
    std::int32_t code = 0;
    std::string text;
    if (PayloadReader(payload, size).i32At(0, code))
        m_backend.driver().ErrorConstantToString(code, text);
    PayloadWriter(answer).text(text);
}

} // namespace nodesim
