#pragma once
// A board's CAN or UART channels watched and driven through the command layer, so that the same
// procedure serves a local board and one of a network node: it opens the bus, starts the
// channels, sends frames once or at an interval, keeps the last frames read in a ring of a
// chosen size, and always stops the channels and closes the bus again, also when cancelled.
// Runs on the caller's thread; `cancel` may be raised from any other.

#include "driver/command/qorin_node_util_wrapper.h"
#include "tools/bus_bytes.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace z2e {

enum class BusKind { Can, Uart };

/// Channels a board may have: the frame's channel field holds 0..3.
constexpr std::int32_t kBusChannels = 4;
/// Bits each channel's line carried: what was read on it and what this program sent on it.
using BusWireBits = std::array<std::uint64_t, kBusChannels>;
/// Each channel's rate in bit/s as the board's description gives it; 0: not given.
using BusRates = std::array<std::uint32_t, kBusChannels>;

/// A frame as read or sent; UART blocks carry no id or flags.
struct BusRecord {
    static constexpr std::uint8_t kExtended = 0x01;
    static constexpr std::uint8_t kRemote = 0x02;
    static constexpr std::uint8_t kErrorFrame = 0x04;

    std::uint64_t timestampUs = 0;
    std::int32_t channel = 0;
    std::uint32_t id = 0;
    std::uint8_t flags = 0; ///< the k flags above, as the driver sets them
    BusBytes data;
};

struct BusSend {
    std::int32_t channel = 0;
    std::uint32_t id = 0;
    bool extended = false;
    std::vector<std::uint8_t> data;
    std::uint32_t everyMs = 0; ///< 0: all at once
    std::uint32_t count = 1;   ///< sends in all; 0: until the run ends
};

struct BusMonitorSettings {
    BusKind kind = BusKind::Can;
    std::uint32_t board = 0;
    std::int32_t channel = -1; ///< the only channel shown; -1: all
    std::uint32_t idLow = 0;   ///< CAN frames outside idLow..idHigh are not shown
    std::uint32_t idHigh = 0x1FFFFFFF;
    std::size_t ringSize = 1000; ///< frames kept; older ones make room and are counted
    std::uint32_t stopAfter = 0; ///< frames shown before the run ends; 0: no limit
    bool listen = true;          ///< false: only send, and end when the sends are done
    bool readRates = false;      ///< read the channels' rates from the board's description
    std::optional<BusSend> send;
};

/// The counts of a running monitor, told at a steady interval.
struct BusMonitorStatus {
    std::uint64_t shown = 0;
    std::uint64_t filtered = 0;
    std::uint64_t overwritten = 0;
    std::uint64_t errorFrames = 0;
    std::uint64_t sent = 0;
    std::vector<std::pair<std::int32_t, std::uint32_t>> errorCounters; ///< CAN only
    std::optional<std::uint64_t> lost;                                 ///< as BusMonitorResult::lost
    BusWireBits wireBits{};
    BusRates rates{};
};

struct BusMonitorResult {
    std::int32_t result = 0;       ///< the driver's answer that ended the run; 0 when none failed
    std::string error;             ///< what went wrong, in words; empty on success
    std::deque<BusRecord> records; ///< the last frames shown, oldest first
    std::uint64_t shown = 0;       ///< frames that passed the filters
    std::uint64_t filtered = 0;    ///< frames read but not shown
    std::uint64_t overwritten = 0; ///< frames shown that the ring no longer holds
    std::uint64_t errorFrames = 0; ///< CAN error frames among those shown
    std::uint64_t sent = 0;
    /// CAN only: each started channel's error counter at the end.
    std::vector<std::pair<std::int32_t, std::uint32_t>> errorCounters;
    BusWireBits wireBits{};
    BusRates rates{}; ///< when the settings asked for them
    bool cancelled = false;
    /// A network node's board only: frames (CAN) or bytes (UART) that arrived faster than the
    /// run read them and were dropped on the way.
    std::optional<std::uint64_t> lost;

    /// The counts as a status tells them.
    BusMonitorStatus status() const;
};

class BusMonitor {
public:
    /// Gets each frame shown, as it arrives.
    using FrameSink = std::function<void(const BusRecord&)>;
    using StatusSink = std::function<void(const BusMonitorStatus&)>;
    /// Gets the frames shown of each read at once; they are then not kept in the result's ring.
    using BatchSink = std::function<void(const std::vector<BusRecord>& batch)>;
    /// Frames asked of the driver per read.
    static constexpr std::int32_t kReadBatch = 64;

    explicit BusMonitor(QorinNodeUtilWrapper& wrapper);

    /// Bits a frame of `length` data bytes takes on the line, bit stuffing left out: CAN 47
    /// (extended ids 67) and 8 a data byte, remote frames none; UART 10 a byte (8 data bits, no
    /// parity, one stop bit: the driver's default framing). Error frames count none.
    static std::uint64_t wireBits(BusKind kind, std::uint8_t flags, std::size_t length);

    BusMonitorResult run(const BusMonitorSettings& settings, const std::atomic<bool>& cancel,
                         const FrameSink& sink = FrameSink());

    /// Has the run send `send` too, beginning at its next turn; from any thread, also before run().
    void addSend(const BusSend& send);
    /// Ends every send still due, the settings' own included; from any thread.
    void stopSends();
    /// Called on the run's thread every `every` with the counts so far; set before run().
    void setStatusSink(StatusSink sink, std::chrono::milliseconds every);
    /// For a reader on another thread: one hand-over per read costs less than one per frame.
    void setBatchSink(BatchSink sink) { m_batchSink = std::move(sink); }

private:
    struct Run;
    struct Sending;

    /// Moves the sends other threads added into the run, or ends them all when asked.
    void takeAdded(Run& run);
    bool sendOne(Run& run, const BusSend& send);
    void tellStatus(Run& run);

    bool open(Run& run);
    bool startChannels(Run& run);
    void stopAndClose(Run& run);
    bool sendDue(Run& run);
    /// Reads what waits; false when the read failed. `more` tells whether more may wait.
    bool readWaiting(Run& run, bool& more);
    /// Whether a read of at most `room` items succeeded and answered a count that fits.
    bool readAnswered(Run& run, std::int32_t result, std::int32_t count, std::int32_t room);
    void keep(Run& run, BusRecord record);
    void handOver(Run& run);
    std::vector<std::pair<std::int32_t, std::uint32_t>> readErrorCounters(Run& run);
    /// What the node's data path dropped for the board so far; none for a local board.
    std::optional<std::uint64_t> lostSoFar(const Run& run) const;
    /// What it dropped since the run began.
    std::optional<std::uint64_t> lostInRun(const Run& run) const;
    bool fail(Run& run, std::int32_t result, const std::string& what);
    /// The rates of the run's bus from the board's description; none when it cannot be read.
    void readRates(Run& run);

    QorinNodeUtilWrapper& m_wrapper;
    std::mutex m_addedMutex;
    std::vector<BusSend> m_added; ///< guarded by m_addedMutex
    bool m_stopSends = false;     ///< guarded by m_addedMutex
    StatusSink m_statusSink;
    BatchSink m_batchSink;
    std::chrono::milliseconds m_statusEvery{1000};
};

} // namespace z2e
