// The bus monitor on the simulated driver's example hardware: what it sends crosses the cable,
// what it shows passes its filters, and the bus is closed again however the run ends.

#include "tools_fixture.h"

#include "tools/bus_frame_text.h"
#include "tools/bus_monitor.h"
#include "tools/bus_session.h"

#include "support/eventually.h"

#include <thread>

#include "qorinet_api/client/qorinet_data_client.h"

namespace z2e {
namespace testing_tools {
namespace {

constexpr std::uint32_t kCanBoard = 3;  // QN-6204-CAN
constexpr std::uint32_t kUartBoard = 7; // QN-6202-UART

class BusMonitorTest : public ToolsTest {
protected:
    QorinNodeUtilWrapper& connectWith(const std::optional<std::string>& conditions)
    {
        m_bus = std::make_unique<test::EnvOverride>("ZMPXI_SIM_BUS", conditions);
        useExampleHardware();
        return connect("SIMMODE_OFF");
    }
    /// The bus was closed: starting a channel needs it opened again.
    void expectClosed(QorinNodeUtilWrapper& wrapper, BusKind kind, std::uint32_t board)
    {
        const auto& node = wrapper.node();
        const auto b = static_cast<std::int32_t>(board);
        EXPECT_EQ(kind == BusKind::Can ? node->StartCAN(b, 0) : node->StartDmaUart(b, 0),
                  kind == BusKind::Can ? 0x0402 : 0x0407);
    }
    static BusSend sendOf(std::int32_t channel, std::uint32_t id, std::vector<std::uint8_t> data)
    {
        BusSend send;
        send.channel = channel;
        send.id = id;
        send.data = std::move(data);
        return send;
    }

    std::unique_ptr<test::EnvOverride> m_bus;
};

TEST_F(BusMonitorTest, FrameSentOnOneChannelIsSeenOnItsPartner)
{
    QorinNodeUtilWrapper& wrapper = connectWith(std::nullopt);
    // A frame already waiting on channel 0, which the monitor reads first and does not show.
    const auto& node = wrapper.node();
    const auto board = static_cast<std::int32_t>(kCanBoard);
    ZaMoCanFrame waiting{};
    waiting.channel = 1;
    std::int32_t one = 1;
    ASSERT_EQ(node->OpenCAN(board), 0);
    ASSERT_EQ(node->StartCAN(board, 0), 0);
    ASSERT_EQ(node->StartCAN(board, 1), 0);
    ASSERT_EQ(node->WriteCAN(board, &waiting, one), 0);
    ASSERT_EQ(node->StopCAN(board, 0), 0);
    ASSERT_EQ(node->StopCAN(board, 1), 0);

    BusMonitorSettings settings;
    settings.board = kCanBoard;
    settings.channel = 1;
    settings.stopAfter = 1;
    settings.send = sendOf(0, 0x123, {0xDE, 0xAD, 0x01});
    settings.readRates = true;
    std::vector<BusRecord> seen;
    const BusMonitorResult result =
        BusMonitor(wrapper).run(settings, kGo, [&](const BusRecord& record) { seen.push_back(record); });
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.records.size(), 1u);
    const BusRecord& frame = result.records.front();
    EXPECT_EQ(frame.channel, 1);
    EXPECT_EQ(frame.id, 0x123u);
    EXPECT_EQ(BusFrameText::hex(frame.data), "DE AD 01");
    EXPECT_GT(frame.timestampUs, 0u);
    EXPECT_EQ(seen.size(), 1u) << "the sink gets each frame shown";
    EXPECT_EQ(result.filtered, 1u);
    EXPECT_EQ(result.sent, 1u);
    ASSERT_EQ(result.errorCounters.size(), 4u);
    EXPECT_EQ(result.errorCounters[0], (std::pair<std::int32_t, std::uint32_t>(0, 0)));
    // Each line carried what was read on it, filtered or not, and what was sent on it: the
    // empty frame waiting (47 bits) and the one sent (47 + 3 bytes) on 0, the one sent on 1.
    EXPECT_EQ(result.wireBits, (BusWireBits{47 + 71, 71, 0, 0}));
    EXPECT_EQ(result.rates, (BusRates{500000, 500000, 500000, 500000})) << "as the board describes its channels";
    EXPECT_EQ(BusMonitor::wireBits(BusKind::Can, BusRecord::kExtended, 8), 67u + 64u);
    EXPECT_EQ(BusMonitor::wireBits(BusKind::Can, BusRecord::kRemote, 8), 47u);
    EXPECT_EQ(BusMonitor::wireBits(BusKind::Can, BusRecord::kErrorFrame, 0), 0u);
    expectClosed(wrapper, BusKind::Can, kCanBoard);
}

TEST_F(BusMonitorTest, FiltersRingAndRisingErrorCounters)
{
    QorinNodeUtilWrapper& wrapper = connectWith("can-error-every=2");
    BusMonitorSettings settings;
    settings.board = kCanBoard;
    settings.idLow = 0x200; // hides the data frames, never the error frames
    settings.ringSize = 2;
    settings.stopAfter = 3;
    settings.send = sendOf(0, 0x100, {1});
    settings.send->count = 6;
    std::vector<std::uint64_t> shownAt;
    const BusMonitorResult result =
        BusMonitor(wrapper).run(settings, kGo, [&](const BusRecord& record) { shownAt.push_back(record.timestampUs); });
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.sent, 6u);
    EXPECT_EQ(result.shown, 3u);
    EXPECT_EQ(result.errorFrames, 3u);
    EXPECT_EQ(result.filtered, 3u);
    ASSERT_EQ(result.records.size(), 2u);
    EXPECT_EQ(result.overwritten, 1u);
    ASSERT_EQ(shownAt.size(), 3u);
    EXPECT_EQ(result.records.front().timestampUs, shownAt[1]) << "the ring keeps the newest";
    EXPECT_EQ(result.records.back().timestampUs, shownAt[2]);
    ASSERT_FALSE(result.errorCounters.empty());
    EXPECT_EQ(result.errorCounters[0].second, 22u) << "three errors of 8, two successes of -1";
}

TEST_F(BusMonitorTest, SendsAddedWhileRunningGoOutUntilStoppedAndTheCountsAreTold)
{
    QorinNodeUtilWrapper& wrapper = connectWith("can-error-every=2");
    BusMonitorSettings settings;
    settings.board = kCanBoard;
    BusMonitor monitor(wrapper);
    std::atomic<bool> cancel{false};
    std::vector<BusMonitorStatus> told;
    std::vector<BusRecord> seen;
    bool stopped = false;
    int quietTurns = 0;
    // Both sinks run on the monitor's thread: they steer the run as a panel would from its own.
    monitor.setStatusSink(
        [&](const BusMonitorStatus& status) {
            told.push_back(status);
            if (stopped && ++quietTurns == 40) // long enough for a periodic send every 1 ms to show
                cancel = true;
        },
        std::chrono::milliseconds(0));
    monitor.addSend(sendOf(0, 0x321, {0x0A}));
    BusSend periodic = sendOf(0, 0x111, {});
    periodic.everyMs = 1;
    periodic.count = 0;
    // A run whose sends or counts never came would wait for ever: it ends after 20 s all the same.
    std::atomic<bool> ended{false};
    std::thread guard([&] {
        for (int turn = 0; turn < 2000 && !ended; ++turn)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        cancel = true;
    });
    const BusMonitorResult result = monitor.run(settings, cancel, [&](const BusRecord& record) {
        seen.push_back(record);
        if (seen.size() == 1)
            monitor.addSend(periodic);
        if (seen.size() == 6 && !stopped) {
            monitor.stopSends();
            stopped = true;
        }
    });
    ended = true;
    guard.join();
    ASSERT_EQ(result.error, "");
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].id, 0x321u) << "the frame sent once crossed first";
    EXPECT_EQ(seen[0].channel, 1);
    EXPECT_GE(result.sent, 6u);
    EXPECT_LE(result.sent, 9u) << "nothing went out after the sends were stopped";
    ASSERT_FALSE(told.empty());
    const BusMonitorStatus& last = told.back();
    EXPECT_GT(last.errorFrames, 0u);
    ASSERT_EQ(last.errorCounters.size(), 4u);
    EXPECT_GT(last.errorCounters[0].second, 0u) << "the sender's counter rises with the errors";
}

TEST_F(BusMonitorTest, ASessionKeepsTheNewestFramesUntilTakenAndClosesTheBusWhenStopped)
{
    QorinNodeUtilWrapper& wrapper = connectWith(std::nullopt);
    // The test's session owns the wrapper; the bus session only borrows it.
    BusSession session(std::shared_ptr<QorinNodeUtilWrapper>(std::shared_ptr<void>(), &wrapper));
    BusMonitorSettings settings;
    settings.board = kCanBoard;
    settings.channel = 1;
    settings.ringSize = 2;
    ASSERT_TRUE(session.start(settings, std::chrono::milliseconds(1)));
    EXPECT_FALSE(session.start(settings)) << "one run at a time";
    for (std::uint32_t id = 1; id <= 5; ++id)
        session.send(sendOf(0, id, {}));
    // Due again only after a minute: the run sends it once.
    BusSend slow = sendOf(0, 0x7FF, {});
    slow.everyMs = 60000;
    slow.count = 0;
    session.send(slow);
    ASSERT_TRUE(
        test::eventually([&] { return session.status() && session.status()->shown >= 6; }, std::chrono::seconds(10)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // time for a send not yet due
    std::uint64_t dropped = 0;
    std::vector<BusRecord> taken;
    session.take(taken, dropped);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].id, 5u);
    EXPECT_EQ(taken[1].id, 0x7FFu);
    EXPECT_EQ(dropped, 4u);
    session.take(taken, dropped);
    EXPECT_TRUE(taken.empty());
    EXPECT_FALSE(session.finished()) << "still running";

    session.stop();
    session.wait();
    const std::optional<BusMonitorResult> result = session.finished();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->error, "");
    EXPECT_EQ(result->sent, 6u);
    EXPECT_TRUE(result->cancelled);
    EXPECT_FALSE(session.finished()) << "told once";
    expectClosed(wrapper, BusKind::Can, kCanBoard);
}

TEST_F(BusMonitorTest, CancelAndFailuresStillCloseTheBus)
{
    QorinNodeUtilWrapper& wrapper = connectWith(std::nullopt);
    BusMonitorSettings settings;
    settings.board = kCanBoard;
    const std::atomic<bool> cancelled{true};
    EXPECT_TRUE(BusMonitor(wrapper).run(settings, cancelled).cancelled);
    expectClosed(wrapper, BusKind::Can, kCanBoard);

    settings.send = sendOf(9, 0x1, {});
    BusMonitorResult result = BusMonitor(wrapper).run(settings, kGo);
    EXPECT_EQ(result.error, "CAN channel 9 does not exist on board 3; it has channels 0 to 3");
    expectClosed(wrapper, BusKind::Can, kCanBoard);

    settings.board = 0;
    result = BusMonitor(wrapper).run(settings, kGo);
    EXPECT_EQ(result.result, 100018);
    EXPECT_NE(result.error.find("would not open its CAN channels"), std::string::npos) << result.error;
}

TEST_F(BusMonitorTest, UartBytesComeBackAndNoiseShows)
{
    QorinNodeUtilWrapper& wrapper = connectWith("uart-noise-every=2");
    BusMonitorSettings settings;
    settings.kind = BusKind::Uart;
    settings.board = kUartBoard;
    settings.stopAfter = 1;
    settings.send = sendOf(1, 0, {'H', 'i', '!', '?'});
    settings.readRates = true;
    const BusMonitorResult result = BusMonitor(wrapper).run(settings, kGo);
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.records.size(), 1u);
    EXPECT_EQ(result.records.front().channel, 1);
    EXPECT_EQ(BusFrameText::printable(result.records.front().data), "H.!.");
    EXPECT_TRUE(result.errorCounters.empty());
    // Ten bits a byte, out and back on the one channel running.
    EXPECT_EQ(result.wireBits, (BusWireBits{0, 80, 0, 0}));
    EXPECT_EQ(result.rates, (BusRates{115200, 115200, 0, 0}));
    expectClosed(wrapper, BusKind::Uart, kUartBoard);
}

using BusMonitorScripted = ScriptedToolsTest;

TEST_F(BusMonitorScripted, ACountBeyondTheReadIsRefusedAndTheBusStillCloses)
{
    connectReady(4);
    test::fakeDriver().transferred = 999;
    BusMonitorSettings settings;
    settings.board = 2;
    const BusMonitorResult result = BusMonitor(m_wrapper).run(settings, kGo);
    EXPECT_EQ(result.error,
              "the driver answered 999 CAN frames to a read of at most 64; what it read cannot be trusted");
    EXPECT_TRUE(result.records.empty());
    std::vector<std::string> ends;
    for (const FakeCall& call : test::fakeDriver().calls) {
        if (call.name == "StopCAN" || call.name == "CloseCAN")
            ends.push_back(call.name + std::to_string(call.command));
    }
    EXPECT_EQ(ends, (std::vector<std::string>{"StopCAN0", "StopCAN1", "StopCAN2", "StopCAN3", "CloseCAN0"}));
    EXPECT_FALSE(result.lost) << "a local board has no data path that could drop frames";
}

// A node hands over frames in batches; the run still ends at the count asked for.
TEST_F(BusMonitorScripted, TheCountEndsTheRunInsideABatch)
{
    connectReady(4);
    test::fakeDriver().transferred = 5;
    BusMonitorSettings settings;
    settings.board = 2;
    settings.stopAfter = 2;
    const BusMonitorResult result = BusMonitor(m_wrapper).run(settings, kGo);
    EXPECT_EQ(result.shown, 2u) << result.error;
    EXPECT_EQ(result.records.size(), 2u);
}

// A board as a network node serves it: the scripted driver's, with a data path that drops more
// CAN frames and UART blocks each time it is asked.
class StreamedNode : public qorinet_api::QORINetLocalClientNode {
public:
    using QORINetLocalClientNode::QORINetLocalClientNode;
    bool isLocal() const override { return false; }
    std::int32_t GetParam_i64(std::int32_t board, std::int32_t command, std::int64_t& value) override
    {
        using Data = qorinet_api::QORINetDataClient;
        if (command != Data::kCmdCanLost && command != Data::kCmdUartLost)
            return QORINetLocalClientNode::GetParam_i64(board, command, value);
        std::int64_t& count = lost[command];
        value = count;
        count += command == Data::kCmdCanLost ? 3 : 5;
        return 0;
    }

    std::map<std::int32_t, std::int64_t> lost;
};

using BusMonitorStreamed = test::FakeDriverTest;

TEST_F(BusMonitorStreamed, WhatTheNodesDataPathDroppedDuringTheRunIsReportedPerBus)
{
    StreamedNode remote(8);
    test::fakeDriver().boardCount = 4;
    ASSERT_EQ(remote.connect(), 0);
    QorinNodeUtilWrapper wrapper(std::shared_ptr<qorinet_api::QORINetIfClientNode>(&remote, [](auto*) {}));
    wrapper.setReady(true);
    test::fakeDriver().transferred = 1;
    BusMonitorSettings settings;
    settings.board = 1;
    settings.listen = false;
    settings.send = BusSend{0, 0x10, false, {0x41}};
    const BusMonitorResult can = BusMonitor(wrapper).run(settings, kGo);
    ASSERT_TRUE(can.error.empty()) << can.error;
    EXPECT_EQ(can.lost, std::optional<std::uint64_t>(3));
    settings.kind = BusKind::Uart;
    const BusMonitorResult uart = BusMonitor(wrapper).run(settings, kGo);
    ASSERT_TRUE(uart.error.empty()) << uart.error;
    EXPECT_EQ(uart.lost, std::optional<std::uint64_t>(5));
}

TEST(BusFrameTextTest, IdsAndDataAreCheckedInWords)
{
    std::uint32_t id = 0;
    bool extended = true;
    std::string error;
    EXPECT_TRUE(BusFrameText::parseId("7FF", id, extended, error));
    EXPECT_FALSE(extended);
    EXPECT_TRUE(BusFrameText::parseId("0x800", id, extended, error));
    EXPECT_TRUE(extended);
    EXPECT_TRUE(BusFrameText::parseId("1FFFFFFF", id, extended, error));
    EXPECT_FALSE(BusFrameText::parseId("20000000", id, extended, error));
    EXPECT_NE(error.find("1FFFFFFF"), std::string::npos);

    std::vector<std::uint8_t> data;
    EXPECT_TRUE(BusFrameText::parseData("de:ad 01", 8, data, error));
    EXPECT_EQ(BusFrameText::hex(data), "DE AD 01");
    EXPECT_TRUE(BusFrameText::parseData("-", 8, data, error));
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(BusFrameText::parseData("0102030405060708 09", 8, data, error));
    EXPECT_EQ(error, "the data has 9 bytes; at most 8 fit");
    EXPECT_FALSE(BusFrameText::parseData("ABC", 8, data, error));
    EXPECT_FALSE(BusFrameText::parseData("0x12", 8, data, error));
    EXPECT_FALSE(BusFrameText::parseData("zz", 8, data, error));
}

TEST(BusBytesTest, FramesAndLongBlocksKeepTheirBytesThroughCopiesAndMoves)
{
    std::vector<std::uint8_t> block(300);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 7);
    for (const std::size_t size : {std::size_t{0}, std::size_t{8}, std::size_t{9}, block.size()}) {
        const std::vector<std::uint8_t> bytes(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(size));
        const BusBytes original(bytes);
        BusBytes copy = original;
        ASSERT_EQ(copy.size(), size);
        EXPECT_TRUE(std::equal(copy.begin(), copy.end(), bytes.begin(), bytes.end())) << size;
        BusBytes moved = std::move(copy);
        EXPECT_EQ(moved, original) << size;
        EXPECT_TRUE(copy.empty()) << "a moved-from block owns nothing";
        // Assigning over a long block and a short one alike frees what was there.
        BusBytes target(block);
        target = original;
        EXPECT_EQ(target, original) << size;
        target = BusBytes{1, 2};
        EXPECT_EQ(BusFrameText::hex(target), "01 02");
        target = BusBytes(block);
        EXPECT_EQ(target, BusBytes(block));
    }
    EXPECT_NE(BusBytes({1, 2, 3}), BusBytes({1, 2, 4}));
    EXPECT_NE(BusBytes({1, 2}), BusBytes({1, 2, 0}));
}

} // namespace
} // namespace testing_tools
} // namespace z2e
