// CAN and UART channels: frames cross the cable between paired CAN channels, UART bytes come
// back, and the bus conditions of ZMPXI_SIM_BUS disturb both.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>
#include <vector>

#include "sim_driver_fixture.h"

namespace sim_test {
namespace {

constexpr int kCanBoard = 3;  // QN-6204-CAN of the example hardware
constexpr int kUartBoard = 7; // QN-6202-UART

class BusTest : public SimDriverTest {
protected:
    void SetUp() override
    {
        SimDriverTest::SetUp();
        useExampleHardware();
        started("SIMMODE_OFF");
    }
    void TearDown() override
    {
        SimDriverTest::TearDown();
        unsetenv("ZMPXI_SIM_BUS");
    }
    /// Initialises again with `conditions` in force and opens both buses of the boards.
    void restartWith(const char* conditions)
    {
        setenv("ZMPXI_SIM_BUS", conditions, 1);
        api->ZaMoDriverDeInit();
        started("SIMMODE_OFF");
        ASSERT_EQ(api->ZaMoOpenCAN(kCanBoard), 0);
        ASSERT_EQ(api->ZaMoStartCAN(kCanBoard, 0), 0);
        ASSERT_EQ(api->ZaMoStartCAN(kCanBoard, 1), 0);
        ASSERT_EQ(api->ZaMoOpenDmaUart(kUartBoard), 0);
        ASSERT_EQ(api->ZaMoStartDmaUart(kUartBoard, 0), 0);
    }
    int64_t canCounter(int channel, int property)
    {
        int64_t value = -1;
        EXPECT_EQ(api->ZaMoGetChannelPropCAN(kCanBoard, channel, property, &value), 0);
        return value;
    }
    std::vector<ZaMoCanFrame> readAll()
    {
        std::vector<ZaMoCanFrame> in(5000);
        int32_t count = 0;
        EXPECT_EQ(api->ZaMoReadCAN(kCanBoard, in.data(), static_cast<int32_t>(in.size()), &count), 0);
        in.resize(static_cast<std::size_t>(count));
        return in;
    }
    uint32_t errors(int channel)
    {
        uint32_t value = 0;
        EXPECT_EQ(api->ZaMoErrorCntCAN(kCanBoard, channel, &value), 0);
        return value;
    }
};

/// The sequence number other nodes put into bytes 0..3 of their frames.
uint32_t sequence(const ZaMoCanFrame& f)
{
    return static_cast<uint32_t>(f.data[0]) | static_cast<uint32_t>(f.data[1]) << 8 |
           static_cast<uint32_t>(f.data[2]) << 16 | static_cast<uint32_t>(f.data[3]) << 24;
}

/// The sequence numbers read per channel; a frame out of time order fails the test.
std::map<int, std::vector<ZaMoCanFrame>> byChannel(const std::vector<ZaMoCanFrame>& in)
{
    std::map<int, std::vector<ZaMoCanFrame>> channels;
    for (std::size_t i = 0; i < in.size(); ++i) {
        EXPECT_EQ(in[i].id, 0x7A0u);
        EXPECT_EQ(in[i].dlc, 8);
        if (i > 0) {
            EXPECT_LE(in[i - 1].timestampUs, in[i].timestampUs) << "frame " << i;
        }
        channels[in[i].channel].push_back(in[i]);
    }
    return channels;
}

/// Sequence numbers follow each other from `first`, each frame later than the one before.
void expectConsecutive(const std::vector<ZaMoCanFrame>& frames, uint32_t first)
{
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(sequence(frames[i]), first + i) << "frame " << i;
        if (i > 0) {
            ASSERT_LT(frames[i - 1].timestampUs, frames[i].timestampUs) << "frame " << i;
        }
    }
}

ZaMoCanFrame frame(uint8_t channel, uint32_t id, uint8_t first)
{
    ZaMoCanFrame f{};
    f.channel = channel;
    f.id = id;
    f.dlc = 3;
    f.data[0] = first;
    f.data[1] = 0x55;
    f.data[2] = 0xAA;
    return f;
}

TEST_F(BusTest, CanFramesComeBackInOrder)
{
    EXPECT_EQ(api->ZaMoStartCAN(kCanBoard, 0), 0x0402) << "not open yet";
    ASSERT_EQ(api->ZaMoOpenCAN(kCanBoard), 0);
    ASSERT_EQ(api->ZaMoStartCAN(kCanBoard, 0), 0);
    ASSERT_EQ(api->ZaMoStartCAN(kCanBoard, 1), 0);
    EXPECT_EQ(api->ZaMoStartCAN(kCanBoard, 1), 0x0405);
    EXPECT_EQ(api->ZaMoStartCAN(kCanBoard, 4), 140012);

    const ZaMoCanFrame out[] = {frame(0, 0x100, 1), frame(1, 0x1FFFFFFF, 2), frame(0, 0x7FF, 3)};
    int32_t written = 0;
    ASSERT_EQ(api->ZaMoWriteCAN(kCanBoard, out, 3, &written), 0);
    EXPECT_EQ(written, 3);
    const ZaMoCanFrame stopped = frame(2, 0x10, 9);
    EXPECT_EQ(api->ZaMoWriteCAN(kCanBoard, &stopped, 1, &written), 0x0406);
    EXPECT_EQ(written, 0);

    ZaMoCanFrame in[8]{};
    int32_t count = 0;
    ASSERT_EQ(api->ZaMoReadCAN(kCanBoard, in, 2, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(in[0].id, 0x100u);
    EXPECT_EQ(in[1].id, 0x1FFFFFFFu);
    EXPECT_EQ(in[0].channel, 1) << "channel 0 is cabled to channel 1";
    EXPECT_EQ(in[1].channel, 0);
    EXPECT_EQ(std::memcmp(in[1].data, out[1].data, 3), 0);
    EXPECT_LE(in[0].timestampUs, in[1].timestampUs);

    // Raw frames are lent until freed; unfreed frames are lent again.
    ZaMoCanFrame* lent = nullptr;
    ASSERT_EQ(api->ZaMoReadCANRawFrame(kCanBoard, &lent, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(lent[0].data[0], 3);
    ASSERT_EQ(api->ZaMoReadCANRawFrame(kCanBoard, &lent, &count), 0);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(api->ZaMoFreeFramesCAN(kCanBoard, 1), 0);
    ASSERT_EQ(api->ZaMoReadCAN(kCanBoard, in, 8, &count), 0);
    EXPECT_EQ(count, 0);

    int64_t bitRate = 0;
    ASSERT_EQ(api->ZaMoSetChannelPropCAN(kCanBoard, 1, 0, 250000), 0);
    ASSERT_EQ(api->ZaMoGetChannelPropCAN(kCanBoard, 1, 0, &bitRate), 0);
    EXPECT_EQ(bitRate, 250000);
    EXPECT_EQ(api->ZaMoGetChannelPropCAN(kCanBoard, 1, 77, &bitRate), 140112);
    uint32_t errors = 99;
    ASSERT_EQ(api->ZaMoErrorCntCAN(kCanBoard, 0, &errors), 0);
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(api->ZaMoOpenCAN(0), 100018) << "an analog board has no CAN";
    ASSERT_EQ(api->ZaMoCloseCAN(kCanBoard), 0);
}

TEST_F(BusTest, UartBytesComeBackAsBytesOrBlocks)
{
    ASSERT_EQ(api->ZaMoOpenDmaUart(kUartBoard), 0);
    std::vector<uint8_t> out(300);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<uint8_t>(i * 7);
    int32_t written = 0;
    EXPECT_EQ(api->ZaMoWriteDmaUart(kUartBoard, out.data(), 300, &written), 0x040a) << "no channel started";
    ASSERT_EQ(api->ZaMoStartDmaUart(kUartBoard, 1), 0);
    ASSERT_EQ(api->ZaMoWriteDmaUart(kUartBoard, out.data(), 300, &written), 0);
    EXPECT_EQ(written, 300);

    std::vector<uint8_t> in(300);
    int32_t count = 0;
    ASSERT_EQ(api->ZaMoReadDmaUart(kUartBoard, in.data(), 10, &count), 0);
    ASSERT_EQ(count, 10);
    ZaMoUartFrame* blocks = nullptr;
    ASSERT_EQ(api->ZaMoReadDmaUartRawFrame(kUartBoard, &blocks, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(blocks[0].length, 246u) << "bytes already read are not handed out again";
    EXPECT_EQ(blocks[0].data[0], out[10]);
    EXPECT_EQ(blocks[0].channel, 1);
    EXPECT_EQ(blocks[1].length, 44u);
    ASSERT_EQ(api->ZaMoFreeDmaUartRawFrame(kUartBoard, 1), 0);
    ASSERT_EQ(api->ZaMoReadDmaUart(kUartBoard, in.data(), 300, &count), 0);
    ASSERT_EQ(count, 44);
    EXPECT_EQ(std::memcmp(in.data(), out.data() + 256, 44), 0);

    int64_t baud = 0;
    ASSERT_EQ(api->ZaMoGetChannelPropDmaUart(kUartBoard, 0, 0, &baud), 0);
    EXPECT_EQ(baud, 115200);
    EXPECT_EQ(api->ZaMoOpenDmaUart(kCanBoard), 100018);
    ASSERT_EQ(api->ZaMoCloseDmaUart(kUartBoard), 0);
}

TEST_F(BusTest, CableNeedsBothEndsAtOneBitRateAndTakesTheFramesTime)
{
    restartWith("");
    ASSERT_EQ(api->ZaMoSetChannelPropCAN(kCanBoard, 0, 0, 125000), 0);
    EXPECT_EQ(api->ZaMoSetChannelPropCAN(kCanBoard, 0, 0, 0), 140112) << "no bit rate of zero";
    EXPECT_EQ(api->ZaMoSetChannelPropCAN(kCanBoard, 0, 4, 0), 140112) << "counters are read-only";
    ZaMoCanFrame out[] = {frame(0, 0x123, 1), frame(0, 0x124, 2)};
    int32_t written = 0;
    ASSERT_EQ(api->ZaMoWriteCAN(kCanBoard, out, 1, &written), 0);
    std::vector<ZaMoCanFrame> in = readAll();
    ASSERT_EQ(in.size(), 1u) << "the other end at 500 kbit/s sees an error frame";
    EXPECT_EQ(in[0].flags, 4);
    EXPECT_EQ(errors(0), 8u);
    EXPECT_EQ(canCounter(1, 5), 1);

    ASSERT_EQ(api->ZaMoSetChannelPropCAN(kCanBoard, 1, 0, 125000), 0);
    out[0].dlc = 8;
    out[1].dlc = 8;
    ASSERT_EQ(api->ZaMoWriteCAN(kCanBoard, out, 2, &written), 0);
    in = readAll();
    ASSERT_EQ(in.size(), 2u);
    EXPECT_EQ(in[1].id, 0x124u);
    EXPECT_EQ(in[1].timestampUs - in[0].timestampUs, 888u) << "111 bits at 125 kbit/s";
    EXPECT_EQ(errors(0), 6u) << "each success gives one back";

    ASSERT_EQ(api->ZaMoStopCAN(kCanBoard, 1), 0);
    ASSERT_EQ(api->ZaMoWriteCAN(kCanBoard, out, 1, &written), 0);
    EXPECT_TRUE(readAll().empty()) << "a stopped end hears nothing";
    EXPECT_EQ(errors(0), 14u) << "and acknowledges nothing";
}

TEST_F(BusTest, InjectedErrorsDriveTheSenderOffTheBusUntilRestarted)
{
    restartWith("can-error-every=2,can-load=50");
    std::vector<ZaMoCanFrame> out(80, frame(1, 0x7FF, 7));
    int32_t written = 0;
    EXPECT_EQ(api->ZaMoWriteCAN(kCanBoard, out.data(), 80, &written), 0x0403) << "bus-off";
    EXPECT_EQ(written, 74) << "+8 per error, -1 per success: off after 37 errors";
    EXPECT_GE(errors(1), 256u);
    const std::vector<ZaMoCanFrame> in = readAll();
    ASSERT_EQ(in.size(), 74u);
    EXPECT_EQ(in[0].flags, 0);
    EXPECT_EQ(in[1].flags, 4) << "every second frame destroyed";
    EXPECT_EQ(in[1].channel, 0);
    EXPECT_EQ(canCounter(0, 5), 37);
    EXPECT_EQ(in[2].timestampUs - in[1].timestampUs, 284u) << "71 bits at 500 kbit/s, half the bus taken by others";

    ASSERT_EQ(api->ZaMoStopCAN(kCanBoard, 1), 0);
    ASSERT_EQ(api->ZaMoStartCAN(kCanBoard, 1), 0);
    EXPECT_EQ(errors(1), 0u);
    EXPECT_EQ(api->ZaMoWriteCAN(kCanBoard, out.data(), 1, &written), 0);
}

TEST_F(BusTest, SlowReaderLosesCountedFramesAndUartNoiseIsCounted)
{
    restartWith("uart-noise-every=3");
    std::vector<ZaMoCanFrame> out(4100, frame(0, 0x10, 1));
    int32_t written = 0;
    ASSERT_EQ(api->ZaMoWriteCAN(kCanBoard, out.data(), 4100, &written), 0);
    EXPECT_EQ(written, 4100);
    EXPECT_EQ(readAll().size(), 4096u);
    EXPECT_EQ(canCounter(1, 4), 4);
    EXPECT_EQ(canCounter(0, 4), 0);

    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(api->ZaMoWriteDmaUart(kUartBoard, bytes, 7, &written), 0);
    uint8_t in[16]{};
    int32_t count = 0;
    ASSERT_EQ(api->ZaMoReadDmaUart(kUartBoard, in, 16, &count), 0);
    ASSERT_EQ(count, 7);
    const uint8_t expected[] = {1, 2, 3 ^ 0xFF, 4, 5, 6 ^ 0xFF, 7};
    EXPECT_EQ(std::memcmp(in, expected, 7), 0);
    int64_t corrupted = 0;
    ASSERT_EQ(api->ZaMoGetChannelPropDmaUart(kUartBoard, 0, 5, &corrupted), 0);
    EXPECT_EQ(corrupted, 2);
}

TEST_F(BusTest, OtherNodesTrafficReachesEveryStartedChannelInSequence)
{
    restartWith("can-traffic=1000");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::map<int, std::vector<ZaMoCanFrame>> heard = byChannel(readAll());
    ASSERT_EQ(heard.size(), 2u) << "channels 2 and 3 are not started";
    ASSERT_FALSE(heard[0].empty());
    ASSERT_FALSE(heard[1].empty());
    expectConsecutive(heard[0], 0);
    expectConsecutive(heard[1], 0);
    const uint64_t before = heard[1].back().timestampUs;
    const uint32_t lastBefore = sequence(heard[1].back());

    // A channel started again counts from 0 again, from its new start; what came before the
    // stop and was not read yet keeps the old numbers.
    ASSERT_EQ(api->ZaMoStopCAN(kCanBoard, 1), 0);
    ASSERT_EQ(api->ZaMoStartCAN(kCanBoard, 1), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    heard = byChannel(readAll());
    const auto restart =
        std::find_if(heard[1].begin(), heard[1].end(), [](const ZaMoCanFrame& f) { return sequence(f) == 0; });
    ASSERT_NE(restart, heard[1].end());
    expectConsecutive(std::vector<ZaMoCanFrame>(heard[1].begin(), restart), lastBefore + 1);
    expectConsecutive(std::vector<ZaMoCanFrame>(restart, heard[1].end()), 0);
    EXPECT_GT(restart->timestampUs, before);
    EXPECT_EQ(canCounter(0, 4), 0);
}

TEST_F(BusTest, SlowReaderOfOtherNodesTrafficSeesTheLossCountedAndAGap)
{
    restartWith("can-traffic=50000");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::map<int, std::vector<ZaMoCanFrame>> heard = byChannel(readAll());
    ASSERT_EQ(heard[0].size() + heard[1].size(), 4096u) << "a full queue takes no more";
    expectConsecutive(heard[0], 0);
    expectConsecutive(heard[1], 0);
    const uint32_t last = sequence(heard[0].back());

    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    heard = byChannel(readAll());
    ASSERT_FALSE(heard[0].empty());
    const uint32_t gap = sequence(heard[0].front()) - last - 1;
    EXPECT_GT(gap, 0u);
    EXPECT_GE(canCounter(0, 4), static_cast<int64_t>(gap)) << "every frame missing is counted lost";
    EXPECT_GT(canCounter(1, 4), 0);
}

TEST_F(BusTest, MalformedConditionsLeaveTheLinesUndisturbed)
{
    restartWith("can-traffic=50001");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(readAll().empty()) << "no traffic beyond 50000 frames a second";

    restartWith("can-error-every=1,can-load=95");
    const ZaMoCanFrame out = frame(0, 0x1, 1);
    int32_t written = 0;
    ASSERT_EQ(api->ZaMoWriteCAN(kCanBoard, &out, 1, &written), 0);
    const std::vector<ZaMoCanFrame> in = readAll();
    ASSERT_EQ(in.size(), 1u);
    EXPECT_EQ(in[0].flags, 0);
}

} // namespace
} // namespace sim_test
