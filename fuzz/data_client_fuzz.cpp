// A node's data connection on arbitrary bytes: frames read by the data client's node from its
// socket (a socketpair here), their CAN and UART blocks filed per board, and every way the
// application reads them back.

#include "qorinet_api/client/qorinet_data_client_node.h"

#include "byte_stream.h"

#include "require.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using namespace qorinet_api;

constexpr std::size_t kMaxInput = 256 * 1024;
constexpr std::int32_t kBoards = 3;

using fuzz::require;

std::uint64_t pendingUartBytes(QORINetDataClientNode& node, std::int32_t board, std::int32_t& blocks)
{
    ZaMoUartFrame* frames = nullptr;
    blocks = 0;
    require(node.readUartRaw(board, frames, blocks) == 0);
    require(blocks >= 0 && static_cast<std::size_t>(blocks) <= QORINetDataStream::kLendLimit);
    std::uint64_t bytes = 0;
    for (std::int32_t i = 0; i < blocks; ++i) {
        require(frames[i].length <= sizeof frames[i].data);
        bytes += frames[i].length;
    }
    return bytes;
}

void readBack(QORINetDataClientNode& node, std::int32_t board, std::size_t sent)
{
    std::vector<ZaMoCanFrame> can(64);
    std::int32_t count = static_cast<std::int32_t>(can.size());
    require(node.readCan(board, can.data(), count) == 0);
    require(count >= 0 && static_cast<std::size_t>(count) <= can.size());
    for (std::int32_t i = 0; i < count; ++i)
        require(can[static_cast<std::size_t>(i)].dlc <= 8);
    ZaMoCanFrame* lent = nullptr;
    require(node.readCanRaw(board, lent, count) == 0 && node.freeCan(board, count) == 0);
    require(node.measurementBytes(board) <= sent);

    // Bytes taken one by one are not lent again: the raw view shrinks by exactly those.
    std::int32_t blocks = 0;
    const std::uint64_t before = pendingUartBytes(node, board, blocks);
    require(before <= sent);
    std::uint8_t bytes[5];
    std::int32_t taken = sizeof bytes;
    require(node.readUart(board, bytes, taken) == 0);
    require(taken >= 0 && static_cast<std::uint64_t>(taken) <= std::min<std::uint64_t>(before, sizeof bytes));
    std::int32_t left = 0;
    const std::uint64_t after = pendingUartBytes(node, board, left);
    if (static_cast<std::size_t>(blocks) < QORINetDataStream::kLendLimit)
        require(after + static_cast<std::uint64_t>(taken) == before);
    require(node.freeUart(board, left) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kMaxInput)
        return 0;
    QORINetDataClientNode node(1, kBoards, "127.0.0.2");
    auto socket = std::make_unique<uni::TCPSocket>();
    socket->setReceiveTimeout(1000);
    std::size_t sent = 0;
    require(fuzz::openByteStream(*socket, data, size, sent));
    require(node.attach(std::move(socket)));

    std::size_t consumed = 0;
    std::uint64_t frames = 0;
    for (;;) {
        const int got = node.receiveFrame();
        if (got <= 0)
            break;
        consumed += static_cast<std::size_t>(got);
        ++frames;
    }
    // Every frame came from the bytes, and the end or an error dropped the connection.
    require(consumed <= sent && node.framesReceived() == frames);
    require(node.connection() == nullptr);

    for (std::int32_t board = -1; board <= kBoards; ++board) {
        std::uint64_t lost = 0;
        if (board < 0 || board >= kBoards) {
            std::int32_t count = 1;
            ZaMoCanFrame frame{};
            require(node.readCan(board, &frame, count) == ERR_BOARD_NOT_FOUND);
            require(node.lost(board, true, lost) == ERR_BOARD_NOT_FOUND);
            continue;
        }
        // One input holds fewer records than a queue takes: nothing may count as dropped.
        require(node.lost(board, true, lost) == 0 && lost == 0);
        require(node.lost(board, false, lost) == 0 && lost == 0);
        readBack(node, board, sent);
    }
    node.close();
    return 0;
}
