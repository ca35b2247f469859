#pragma once
// The data path of one connected network node: the TCP connection the node opened to this
// client's data port, and the per-board CAN and UART streams fed from it. Frames are read by
// the data client's thread; the streams are read by application threads through the node.

#include "qorinet_api/client/qorinet_data_frame.h"
#include "qorinet_api/client/qorinet_data_stream.h"
#include "qorinet_api/common/qorinet_result_codes.h"
#include "qorinet_api/common/receive_deadline.h"

#include "uni/tcp_socket.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qorinet_api {

class QORINetDataClientNode {
public:
    QORINetDataClientNode(std::uint32_t nodeId, std::uint32_t boardCount, std::string address);
    ~QORINetDataClientNode();

    QORINetDataClientNode(const QORINetDataClientNode&) = delete;
    QORINetDataClientNode& operator=(const QORINetDataClientNode&) = delete;

    std::uint32_t nodeId() const { return m_nodeId; }
    std::uint32_t boardCount() const { return m_boardCount; }
    const std::string& address() const { return m_address; }

    /// Takes over an accepted connection, replacing an earlier one. False (and `socket` closed)
    /// once the path was closed.
    bool attach(std::unique_ptr<uni::TCPSocket> socket);
    /// The current connection, for the data thread's socket set; null when none.
    uni::TCPSocket* connection() const;
    /// Closes the connection and drops the streams; the node takes no connection after this.
    void close();
    bool closed() const { return m_closed.load(); }

    /// Reads one frame from the connection and files its blocks (data thread only). The frame
    /// size; 0 when the node closed the connection; -15 for a malformed frame or block layout,
    /// -19 for a digest mismatch, or a socket error. Any failure drops the connection.
    int receiveFrame();

    /// Stream operations of one board: 256 for a board index outside the node, else as
    /// QORINetDataStream. Thread-safe.
    std::int32_t readCan(std::int32_t board, ZaMoCanFrame* frames, std::int32_t& count);
    std::int32_t readCanRaw(std::int32_t board, ZaMoCanFrame*& frames, std::int32_t& count);
    std::int32_t freeCan(std::int32_t board, std::int32_t count);
    std::int32_t readUart(std::int32_t board, std::uint8_t* bytes, std::int32_t& count);
    std::int32_t readUartRaw(std::int32_t board, ZaMoUartFrame*& frames, std::int32_t& count);
    std::int32_t freeUart(std::int32_t board, std::int32_t count);

    /// Streaming switch of a board (driver command 39). 256 for a board outside the node.
    std::int32_t setStreaming(std::int32_t board, bool on);
    std::int32_t streaming(std::int32_t board, bool& on) const;
    /// Drops what a board has queued (before an acquisition restarts).
    void resetBoard(std::int32_t board);

    /// CAN frames (`can`) or UART bytes a board's full queue had to drop since the path
    /// opened. 256 for a board outside the node.
    std::int32_t lost(std::int32_t board, bool can, std::uint64_t& count) const;
    /// Payload bytes of measurement blocks received for a board; 0 outside the node.
    std::uint64_t measurementBytes(std::int32_t board) const;
    /// Frames received intact since the path opened.
    std::uint64_t framesReceived() const { return m_frames.load(); }

private:
    struct Board {
        QORINetDataStream stream;
        bool streaming = false;
        std::uint64_t measurementBytes = 0;
    };

    int readFrameRest(ReceiveDeadline& socket, const std::uint8_t* head, DataFrameHeader& header);
    int readPayload(ReceiveDeadline& socket, std::uint32_t length);
    int fileBlock(const DataFrameHeader& header);
    int fileCan(Board& board, const std::uint8_t* data, std::size_t length);
    int fileUart(Board& board, const std::uint8_t* data, std::size_t length);
    int fileLost(Board& board, const std::uint8_t* data, std::size_t length);
    Board* boardAt(std::int32_t board);
    const Board* boardAt(std::int32_t board) const;
    /// Runs `read` on the board's stream under the node lock; ERR_BOARD_NOT_FOUND without one.
    template <typename Read>
    std::int32_t onStream(std::int32_t board, Read&& read)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        Board* b = boardAt(board);
        return b ? read(b->stream) : ERR_BOARD_NOT_FOUND;
    }
    void dropConnection();

    const std::uint32_t m_nodeId;
    const std::uint32_t m_boardCount;
    const std::string m_address;

    mutable std::mutex m_lock; ///< guards the boards and the connection pointer
    std::vector<Board> m_boards;
    std::unique_ptr<uni::TCPSocket> m_socket;
    std::atomic<bool> m_closed{false};
    std::atomic<std::uint64_t> m_frames{0};

    // Receive scratch of the data thread; never touched elsewhere.
    std::vector<std::uint8_t> m_payload;
};

} // namespace qorinet_api
