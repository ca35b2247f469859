#include "qorinet_api/client/qorinet_data_client_node.h"

#include "qorinet_api/common/payload_reader.h"
#include "qorinet_api/common/qorinet_result_codes.h"

#include "uni/log.h"
#include "uni/osal.h"

#include <algorithm>
#include <cstring>

namespace qorinet_api {

namespace {

constexpr const char* kChannel = "tndcn";
// Payloads are read in pieces of this size so that a header claiming 64 MiB costs memory only
// as the bytes really arrive.
constexpr std::size_t kReadChunk = 1u << 20;

ZaMoCanFrame canFrameAt(const std::uint8_t* in)
{
    ZaMoCanFrame frame{};
    frame.timestampUs = PayloadReader::loadU64(in);
    frame.id = PayloadReader::loadU32(in + 8);
    frame.channel = in[12];
    frame.flags = in[13];
    frame.dlc = std::min<std::uint8_t>(in[14], 8);
    std::memcpy(frame.data, in + 16, sizeof frame.data);
    return frame;
}

const char* refusal(int result)
{
    switch (result) {
    case uni::osal::SOCK_EFORMAT: return "malformed: bad sync, length or record layout, or cut short";
    case uni::osal::SOCK_ECHECKSUM: return "digest mismatch";
    case uni::osal::SOCK_ETIMEOUT: return "the rest of the frame did not come in time";
    default: return "receive failed";
    }
}

} // namespace

QORINetDataClientNode::QORINetDataClientNode(std::uint32_t nodeId, std::uint32_t boardCount, std::string address)
    : m_nodeId(nodeId), m_boardCount(boardCount), m_address(std::move(address)), m_boards(boardCount)
{
}

QORINetDataClientNode::~QORINetDataClientNode()
{
    if (m_socket)
        m_socket->close();
}

bool QORINetDataClientNode::attach(std::unique_ptr<uni::TCPSocket> socket)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_closed.load()) {
        socket->close();
        return false;
    }
    if (m_socket)
        m_socket->close();
    m_socket = std::move(socket);
    return true;
}

uni::TCPSocket* QORINetDataClientNode::connection() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_socket && m_socket->isOpen() ? m_socket.get() : nullptr;
}

void QORINetDataClientNode::close()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_closed = true;
    // The socket object stays: the data thread may still be inside a receive on it.
    if (m_socket)
        m_socket->close();
    for (Board& board : m_boards)
        board.stream.clear();
}

void QORINetDataClientNode::dropConnection()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_socket)
        m_socket->close();
}

int QORINetDataClientNode::receiveFrame()
{
    uni::TCPSocket* socket = connection();
    if (!socket)
        return uni::osal::SOCK_EHANDLE;
    std::uint8_t head[DataFrameHeader::kSize];
    int received = socket->receive(head, sizeof head, true);
    // Once a frame has begun, all of it must follow within one receive time-out.
    ReceiveDeadline deadline(*socket, socket->receiveTimeout());
    if (received > 0 && static_cast<std::size_t>(received) < sizeof head) {
        const std::size_t rest = sizeof head - static_cast<std::size_t>(received);
        const int more = deadline.receive(head + received, rest);
        received = more == static_cast<int>(rest) ? static_cast<int>(sizeof head) : (more == 0 ? 0 : more);
    }
    if (received == 0) {
        UNI_LOG(kChannel, uni::log::info) << "##DC## node " << m_nodeId << ": data connection closed by the node";
        dropConnection();
        return 0;
    }
    DataFrameHeader header;
    const int result = received < 0 ? received : readFrameRest(deadline, head, header);
    if (result != 0) {
        UNI_LOG(kChannel, uni::log::warning)
            << "##DC## node " << m_nodeId << ": data frame refused (" << refusal(result) << ", " << result
            << ") --> close connection; the node connects again";
        dropConnection();
        return result;
    }
    ++m_frames;
    return static_cast<int>(DataFrameHeader::kSize + header.length +
                            (header.hasDigest() ? DataFrameHeader::kDigestSize : 0));
}

int QORINetDataClientNode::readFrameRest(ReceiveDeadline& socket, const std::uint8_t* head, DataFrameHeader& header)
{
    int result = DataFrameHeader::read(head, header);
    if (result == 0)
        result = readPayload(socket, header.length);
    if (result == 0 && header.hasDigest()) {
        std::uint8_t digest[DataFrameHeader::kDigestSize];
        result = socket.receive(digest, sizeof digest);
        if (result == 0)
            return uni::osal::SOCK_EFORMAT;
        if (result < 0)
            return result;
        result = checkDataFrameDigest(head, m_payload.data(), header.length, digest);
    }
    return result == 0 ? fileBlock(header) : result;
}

int QORINetDataClientNode::readPayload(ReceiveDeadline& socket, std::uint32_t length)
{
    m_payload.clear();
    std::size_t done = 0;
    while (done < length) {
        const std::size_t piece = std::min<std::size_t>(kReadChunk, length - done);
        m_payload.resize(done + piece);
        const int result = socket.receive(m_payload.data() + done, piece);
        if (result <= 0)
            return result == 0 ? uni::osal::SOCK_EFORMAT : result;
        done += piece;
    }
    return 0;
}

int QORINetDataClientNode::fileBlock(const DataFrameHeader& header)
{
    const std::uint8_t* data = m_payload.data();
    const std::size_t length = header.length;
    std::lock_guard<std::mutex> lock(m_lock);
    if (header.blockType == DATA_BLOCK_KEEPALIVE)
        return 0;
    Board* board = header.field < m_boards.size() ? &m_boards[header.field] : nullptr;
    if (!board) {
        UNI_LOG(kChannel, uni::log::debug)
            << "##DC## node " << m_nodeId << ": block for unknown board " << header.field << " dropped";
        return 0;
    }
    switch (header.blockType) {
    case DATA_BLOCK_CAN: return fileCan(*board, data, length);
    case DATA_BLOCK_UART: return fileUart(*board, data, length);
    case DATA_BLOCK_MEASUREMENT: board->measurementBytes += length; return 0;
    case DATA_BLOCK_LOST: return fileLost(*board, data, length);
    default: return 0; // newer block kinds are skipped
    }
}

int QORINetDataClientNode::fileCan(Board& board, const std::uint8_t* data, std::size_t length)
{
    if (length % kDataCanRecordSize != 0)
        return uni::osal::SOCK_EFORMAT;
    std::vector<ZaMoCanFrame> frames;
    frames.reserve(length / kDataCanRecordSize);
    for (std::size_t at = 0; at < length; at += kDataCanRecordSize)
        frames.push_back(canFrameAt(data + at));
    board.stream.pushCan(frames.data(), frames.size());
    return 0;
}

int QORINetDataClientNode::fileUart(Board& board, const std::uint8_t* data, std::size_t length)
{
    const PayloadReader reader(data, length);
    std::size_t at = 0;
    while (at < length) {
        ZaMoUartFrame block{};
        std::uint32_t size = 0;
        if (!reader.u64At(at, block.timestampUs) || !reader.u8At(at + 8, block.channel) ||
            !reader.u32At(at + 12, size) || size > sizeof block.data ||
            size > length - std::min(length, at + kDataUartRecordHeader))
            return uni::osal::SOCK_EFORMAT;
        block.length = size;
        std::memcpy(block.data, data + at + kDataUartRecordHeader, size);
        board.stream.pushUart(block);
        at += kDataUartRecordHeader + size;
    }
    return 0;
}

int QORINetDataClientNode::fileLost(Board& board, const std::uint8_t* data, std::size_t length)
{
    const PayloadReader reader(data, length);
    std::uint8_t bus = 0;
    std::uint64_t count = 0;
    if (length != kDataLostRecordSize || !reader.u8At(0, bus) || !reader.u64At(8, count))
        return uni::osal::SOCK_EFORMAT;
    if (bus == kDataLostCan || bus == kDataLostUart)
        board.stream.addLost(bus == kDataLostCan, count);
    return 0; // a newer kind of bus is skipped
}

QORINetDataClientNode::Board* QORINetDataClientNode::boardAt(std::int32_t board)
{
    return board >= 0 && static_cast<std::size_t>(board) < m_boards.size() ? &m_boards[board] : nullptr;
}

const QORINetDataClientNode::Board* QORINetDataClientNode::boardAt(std::int32_t board) const
{
    return board >= 0 && static_cast<std::size_t>(board) < m_boards.size() ? &m_boards[board] : nullptr;
}

std::int32_t QORINetDataClientNode::readCan(std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count)
{
    return onStream(board, [&](auto& stream) { return stream.readCan(frames, count); });
}

std::int32_t QORINetDataClientNode::readCanRaw(std::int32_t board, ZaMoCanFrame*& frames, std::int32_t& count)
{
    return onStream(board, [&](auto& stream) { return stream.readCanRaw(frames, count); });
}

std::int32_t QORINetDataClientNode::freeCan(std::int32_t board, std::int32_t count)
{
    return onStream(board, [&](auto& stream) { return stream.freeCan(count); });
}

std::int32_t QORINetDataClientNode::readUart(std::int32_t board, std::uint8_t* bytes, std::int32_t& count)
{
    return onStream(board, [&](auto& stream) { return stream.readUart(bytes, count); });
}

std::int32_t QORINetDataClientNode::readUartRaw(std::int32_t board, ZaMoUartFrame*& frames, std::int32_t& count)
{
    return onStream(board, [&](auto& stream) { return stream.readUartRaw(frames, count); });
}

std::int32_t QORINetDataClientNode::freeUart(std::int32_t board, std::int32_t count)
{
    return onStream(board, [&](auto& stream) { return stream.freeUart(count); });
}

std::int32_t QORINetDataClientNode::setStreaming(std::int32_t board, bool on)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Board* b = boardAt(board);
    if (!b)
        return ERR_BOARD_NOT_FOUND;
    b->streaming = on;
    return ERR_NONE;
}

std::int32_t QORINetDataClientNode::streaming(std::int32_t board, bool& on) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const Board* b = boardAt(board);
    if (!b)
        return ERR_BOARD_NOT_FOUND;
    on = b->streaming;
    return ERR_NONE;
}

void QORINetDataClientNode::resetBoard(std::int32_t board)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (Board* b = boardAt(board)) {
        b->stream.clear();
        b->measurementBytes = 0;
    }
}

std::int32_t QORINetDataClientNode::lost(std::int32_t board, bool can, std::uint64_t& count) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const Board* b = boardAt(board);
    if (!b)
        return ERR_BOARD_NOT_FOUND;
    count = can ? b->stream.canLost() : b->stream.uartLost();
    return ERR_NONE;
}

std::uint64_t QORINetDataClientNode::measurementBytes(std::int32_t board) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const Board* b = boardAt(board);
    return b ? b->measurementBytes : 0;
}

} // namespace qorinet_api
