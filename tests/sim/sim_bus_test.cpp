// CAN and UART channels: frames and bytes written come back to the reader.

#include <cstring>
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
};

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
    EXPECT_EQ(in[1].channel, 1);
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

} // namespace
} // namespace sim_test
