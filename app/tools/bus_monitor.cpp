#include "tools/bus_monitor.h"

#include "core/description_parser.h"
#include "core/node_result_text.h"
#include "driver/command/driver_result.h"
#include "qorinet_api/client/qorinet_data_client.h"

#include "zmpxi_api.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace z2e {
namespace {

using Clock = std::chrono::steady_clock;

/// How often an idle bus is asked again: often enough for a person watching, rarely enough
/// not to load a network node.
constexpr std::chrono::milliseconds kPollInterval{5};
constexpr std::int32_t kUartReadBytes = 256;
constexpr std::int32_t kNodeNotReady = 5000;

const char* busName(BusKind kind)
{
    return kind == BusKind::Can ? "CAN" : "UART";
}

/// Adds a frame's bits to its channel's line; a channel the board cannot have is not counted.
void countWire(BusWireBits& bits, BusKind kind, std::int32_t channel, std::uint8_t flags, std::size_t length)
{
    if (channel >= 0 && channel < kBusChannels)
        bits[static_cast<std::size_t>(channel)] += BusMonitor::wireBits(kind, flags, length);
}

} // namespace

struct BusMonitor::Sending {
    BusSend send;
    std::uint32_t done = 0;
    Clock::time_point next = Clock::now();

    bool finished() const { return send.count != 0 && done >= send.count; }
};

struct BusMonitor::Run {
    Run(const BusMonitorSettings& s, const std::atomic<bool>& c, const FrameSink& f) : settings(s), cancel(c), sink(f)
    {
        if (s.send)
            sends.push_back(Sending{*s.send});
    }

    const BusMonitorSettings& settings;
    const std::atomic<bool>& cancel;
    const FrameSink& sink;
    BusMonitorResult result;
    std::vector<std::int32_t> started;
    bool opened = false;
    std::vector<Sending> sends;   ///< those not yet finished
    std::vector<BusRecord> batch; ///< the frames shown of the current read, for the batch sink
    Clock::time_point nextStatus = Clock::now();
    std::optional<std::uint64_t> lostBefore; ///< the node's drop count when the run began

    std::int32_t board() const { return static_cast<std::int32_t>(settings.board); }
    bool can() const { return settings.kind == BusKind::Can; }
    bool sendsFinished() const { return sends.empty(); }
    bool hasStarted(std::int32_t channel) const
    {
        return std::find(started.begin(), started.end(), channel) != started.end();
    }
};

BusMonitorStatus BusMonitorResult::status() const
{
    return BusMonitorStatus{shown, filtered, overwritten, errorFrames, sent, errorCounters, lost, wireBits, rates};
}

BusMonitor::BusMonitor(QorinNodeUtilWrapper& wrapper) : m_wrapper(wrapper) {}

std::uint64_t BusMonitor::wireBits(BusKind kind, std::uint8_t flags, std::size_t length)
{
    if (kind == BusKind::Uart)
        return 10u * length;
    if (flags & BusRecord::kErrorFrame)
        return 0;
    const std::uint64_t frame = (flags & BusRecord::kExtended) ? 67 : 47;
    return (flags & BusRecord::kRemote) ? frame : frame + 8u * length;
}

void BusMonitor::addSend(const BusSend& send)
{
    const std::lock_guard<std::mutex> lock(m_addedMutex);
    m_added.push_back(send);
}

void BusMonitor::stopSends()
{
    const std::lock_guard<std::mutex> lock(m_addedMutex);
    m_added.clear();
    m_stopSends = true;
}

void BusMonitor::setStatusSink(StatusSink sink, std::chrono::milliseconds every)
{
    m_statusSink = std::move(sink);
    m_statusEvery = every;
}

void BusMonitor::takeAdded(Run& run)
{
    const std::lock_guard<std::mutex> lock(m_addedMutex);
    if (m_stopSends)
        run.sends.clear();
    m_stopSends = false;
    for (BusSend& send : m_added)
        run.sends.push_back(Sending{std::move(send)});
    m_added.clear();
}

void BusMonitor::tellStatus(Run& run)
{
    if (!m_statusSink || Clock::now() < run.nextStatus)
        return;
    BusMonitorStatus status = run.result.status();
    status.errorCounters = readErrorCounters(run);
    status.lost = lostInRun(run);
    m_statusSink(status);
    run.nextStatus = Clock::now() + m_statusEvery;
}

BusMonitorResult BusMonitor::run(const BusMonitorSettings& settings, const std::atomic<bool>& cancel,
                                 const FrameSink& sink)
{
    Run run(settings, cancel, sink);
    if (!m_wrapper.isReady() || !m_wrapper.node()) {
        run.result.result = kNodeNotReady;
        run.result.error = "the node is not connected; connect it and try again";
        return run.result;
    }
    run.lostBefore = lostSoFar(run);
    if (settings.readRates)
        readRates(run);
    if (open(run) && startChannels(run)) {
        while (!(run.result.cancelled = cancel.load())) {
            bool more = false;
            if (!sendDue(run) || (settings.listen && !readWaiting(run, more)))
                break;
            if (settings.stopAfter != 0 && run.result.shown >= settings.stopAfter)
                break;
            if (!settings.listen && run.sendsFinished())
                break;
            tellStatus(run);
            if (!more)
                std::this_thread::sleep_for(kPollInterval);
        }
    }
    run.result.errorCounters = readErrorCounters(run);
    run.result.lost = lostInRun(run);
    stopAndClose(run);
    return run.result;
}

std::optional<std::uint64_t> BusMonitor::lostInRun(const Run& run) const
{
    const std::optional<std::uint64_t> now = lostSoFar(run);
    if (!run.lostBefore || !now)
        return std::nullopt;
    // A data path opened again counts from zero.
    return *now >= *run.lostBefore ? *now - *run.lostBefore : *now;
}

std::optional<std::uint64_t> BusMonitor::lostSoFar(const Run& run) const
{
    const auto& node = m_wrapper.node();
    if (node->isLocal())
        return std::nullopt;
    using Data = qorinet_api::QORINetDataClient;
    std::int64_t lost = 0;
    const std::int32_t command = run.can() ? Data::kCmdCanLost : Data::kCmdUartLost;
    if (node->GetParam_i64(run.board(), command, lost) > 0 || lost < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(lost);
}

void BusMonitor::readRates(Run& run)
{
    // Only the load shown needs them: a board that does not tell them is watched all the same.
    std::string description;
    if (m_wrapper.getBoardProperties(run.settings.board, description) > 0)
        return;
    const DescriptionParser::BusRates rates = DescriptionParser::busRates(description);
    static_assert(DescriptionParser::BusRates::kChannels == kBusChannels, "one rate for each channel");
    run.result.rates = run.can() ? rates.can : rates.uart;
}

bool BusMonitor::fail(Run& run, std::int32_t result, const std::string& what)
{
    run.result.result = result;
    if (DriverResult::linkFailed(result)) {
        run.result.error = what + ": " + failureAdvice(result, &m_wrapper);
        return false;
    }
    std::string text;
    const bool named = result != 0 && m_wrapper.resultText(result, text);
    run.result.error = what + (named ? " (" + text + ")" : std::string());
    return false;
}

bool BusMonitor::open(Run& run)
{
    const auto& node = m_wrapper.node();
    const std::int32_t result = run.can() ? node->OpenCAN(run.board()) : node->OpenDmaUart(run.board());
    if (result > 0)
        return fail(run, result,
                    "board " + std::to_string(run.settings.board) + " would not open its " +
                        busName(run.settings.kind) + " channels; is it a board with " + busName(run.settings.kind) +
                        "?");
    run.opened = true;
    return true;
}

bool BusMonitor::startChannels(Run& run)
{
    const auto& node = m_wrapper.node();
    const BusMonitorSettings& s = run.settings;
    if (run.can()) {
        // Every channel runs, so that the far end of a cable acknowledges what is sent.
        for (std::int32_t channel = 0; channel < kBusChannels; ++channel) {
            const std::int32_t result = node->StartCAN(run.board(), channel);
            if (result > 0 && channel == 0)
                return fail(run, result, "CAN channel 0 of board " + std::to_string(s.board) + " would not start");
            if (result > 0)
                break;
            run.started.push_back(channel);
        }
    } else {
        // The byte interface sends on the first running channel: only the one asked for runs.
        const std::int32_t channel = s.channel >= 0 ? s.channel : s.send ? s.send->channel : 0;
        const std::int32_t result = node->StartDmaUart(run.board(), channel);
        if (result > 0)
            return fail(run, result,
                        "UART channel " + std::to_string(channel) + " of board " + std::to_string(s.board) +
                            " would not start");
        run.started.push_back(channel);
    }
    for (const std::int32_t wanted : {s.channel, s.send ? s.send->channel : -1}) {
        if (wanted >= 0 && !run.hasStarted(wanted))
            return fail(run, 0,
                        std::string(busName(s.kind)) + " channel " + std::to_string(wanted) +
                            " does not exist on board " + std::to_string(s.board) + "; it has channels 0 to " +
                            std::to_string(run.started.size() - 1));
    }
    return true;
}

bool BusMonitor::sendDue(Run& run)
{
    takeAdded(run);
    for (Sending& sending : run.sends) {
        if (Clock::now() < sending.next)
            continue;
        do {
            if (!sendOne(run, sending.send))
                return false;
            ++sending.done;
        } while (sending.send.everyMs == 0 && !sending.finished() && !run.cancel.load());
        sending.next = Clock::now() + std::chrono::milliseconds(sending.send.everyMs);
    }
    run.sends.erase(
        std::remove_if(run.sends.begin(), run.sends.end(), [](const Sending& sending) { return sending.finished(); }),
        run.sends.end());
    return true;
}

bool BusMonitor::sendOne(Run& run, const BusSend& send)
{
    const auto& node = m_wrapper.node();
    std::int32_t count = 1;
    std::int32_t result = 0;
    if (run.can()) {
        ZaMoCanFrame frame{};
        frame.channel = static_cast<std::uint8_t>(send.channel);
        frame.id = send.id;
        frame.flags = send.extended ? BusRecord::kExtended : 0;
        frame.dlc = static_cast<std::uint8_t>(std::min<std::size_t>(send.data.size(), sizeof frame.data));
        // A frame without data is valid CAN; an empty vector may have no storage to copy from.
        std::copy_n(send.data.begin(), frame.dlc, frame.data);
        result = node->WriteCAN(run.board(), &frame, count);
    } else {
        count = static_cast<std::int32_t>(send.data.size());
        result = node->WriteDmaUart(run.board(), send.data.data(), count);
    }
    const std::int32_t expected = run.can() ? 1 : static_cast<std::int32_t>(send.data.size());
    if (result > 0)
        return fail(run, result, "sending on channel " + std::to_string(send.channel) + " failed");
    if (count != expected)
        return fail(run, result,
                    "the driver took " + std::to_string(count) + " of " + std::to_string(expected) +
                        (run.can() ? " frame" : " bytes") + " on channel " + std::to_string(send.channel));
    ++run.result.sent;
    const std::uint8_t flags = send.extended ? BusRecord::kExtended : 0;
    // The byte interface sends on the channel running, whichever the line names.
    const std::int32_t channel = run.can() ? send.channel : run.started.front();
    countWire(run.result.wireBits, run.settings.kind, channel, flags, send.data.size());
    return true;
}

bool BusMonitor::readAnswered(Run& run, std::int32_t result, std::int32_t count, std::int32_t room)
{
    const std::string what = run.can() ? "CAN frames" : "UART bytes";
    if (result > 0)
        return fail(run, result, "reading " + what + " of board " + std::to_string(run.settings.board) + " failed");
    if (count < 0 || count > room)
        return fail(run, 0,
                    "the driver answered " + std::to_string(count) + " " + what + " to a read of at most " +
                        std::to_string(room) + "; what it read cannot be trusted");
    return true;
}

bool BusMonitor::readWaiting(Run& run, bool& more)
{
    const auto& node = m_wrapper.node();
    const BusMonitorSettings& s = run.settings;
    if (!run.can()) {
        std::uint8_t bytes[kUartReadBytes];
        std::int32_t count = kUartReadBytes;
        const std::int32_t result = node->ReadDmaUart(run.board(), bytes, count);
        if (!readAnswered(run, result, count, kUartReadBytes))
            return false;
        // A read that did not fill the buffer emptied the driver's queue: asking again at once
        // would only find what came in the meantime.
        more = count == kUartReadBytes;
        countWire(run.result.wireBits, BusKind::Uart, run.started.front(), 0, static_cast<std::size_t>(count));
        if (count > 0) // the byte interface names no channel: they came on the one running
            keep(run, BusRecord{0, run.started.front(), 0, 0, BusBytes(bytes, static_cast<std::size_t>(count))});
        handOver(run);
        return true;
    }
    ZaMoCanFrame frames[kReadBatch]{};
    std::int32_t count = kReadBatch;
    const std::int32_t result = node->ReadCAN(run.board(), frames, count);
    if (!readAnswered(run, result, count, kReadBatch))
        return false;
    more = count == kReadBatch;
    for (std::int32_t i = 0; i < count; ++i) {
        // A node delivers frames in batches: the run ends at the count asked, not after the batch.
        if (s.stopAfter != 0 && run.result.shown >= s.stopAfter)
            break;
        const ZaMoCanFrame& f = frames[i];
        countWire(run.result.wireBits, BusKind::Can, f.channel, f.flags, std::min<std::size_t>(f.dlc, sizeof f.data));
        const bool error = (f.flags & BusRecord::kErrorFrame) != 0;
        const bool idShown = error || (f.id >= s.idLow && f.id <= s.idHigh);
        if (!idShown || (s.channel >= 0 && f.channel != s.channel)) {
            ++run.result.filtered;
            continue;
        }
        const std::size_t length = std::min<std::size_t>(f.dlc, sizeof f.data);
        keep(run, BusRecord{f.timestampUs, f.channel, f.id, f.flags, BusBytes(f.data, length)});
    }
    handOver(run);
    return true;
}

void BusMonitor::handOver(Run& run)
{
    if (!m_batchSink || run.batch.empty())
        return;
    m_batchSink(run.batch);
    run.batch.clear();
}

void BusMonitor::keep(Run& run, BusRecord record)
{
    BusMonitorResult& r = run.result;
    ++r.shown;
    if (record.flags & BusRecord::kErrorFrame)
        ++r.errorFrames;
    if (run.sink)
        run.sink(record);
    if (m_batchSink) {
        run.batch.push_back(std::move(record));
        return;
    }
    r.records.push_back(std::move(record));
    if (r.records.size() > std::max<std::size_t>(run.settings.ringSize, 1)) {
        r.records.pop_front();
        ++r.overwritten;
    }
}

std::vector<std::pair<std::int32_t, std::uint32_t>> BusMonitor::readErrorCounters(Run& run)
{
    std::vector<std::pair<std::int32_t, std::uint32_t>> counters;
    if (!run.can())
        return counters;
    for (const std::int32_t channel : run.started) {
        std::uint32_t errors = 0;
        if (m_wrapper.node()->ErrorCntCAN(run.board(), channel, errors) <= 0)
            counters.emplace_back(channel, errors);
    }
    return counters;
}

void BusMonitor::stopAndClose(Run& run)
{
    const auto& node = m_wrapper.node();
    for (const std::int32_t channel : run.started)
        run.can() ? node->StopCAN(run.board(), channel) : node->StopDmaUart(run.board(), channel);
    if (!run.opened)
        return;
    const std::int32_t closed = run.can() ? node->CloseCAN(run.board()) : node->CloseDmaUart(run.board());
    if (closed > 0 && run.result.error.empty())
        fail(run, closed, std::string("closing the ") + busName(run.settings.kind) + " channels failed");
}

} // namespace z2e
