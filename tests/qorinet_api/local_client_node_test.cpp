#include "support/local_node_fixture.h"
#include "support/log_capture.h"

#include <thread>
#include <tuple>

namespace {

using namespace std::chrono_literals;
using qorinet_api::QORINetLocalClientNode;
using z2e::test::fakeDriver;
using z2e::test::FakeDriverTest;

using LocalNodeConnect = FakeDriverTest;

struct InitCase {
    std::deque<std::int32_t> answers;
    std::int32_t result;
    std::size_t waits;
    std::size_t inits;
};

TEST_F(LocalNodeConnect, InitAnswersAreRetriedAsTheDriverAsks)
{
    const InitCase cases[] = {
        {{1, 1, 1}, 1, 3, 3},    // in use three times: wait after each, then give up
        {{1, 0}, 0, 1, 2},       // freed after one wait
        {{7, 7, 7}, 7, 0, 3},    // other errors are retried at once
        {{-3, -3, -3}, 0, 0, 3}, // a warning is retried but then accepted, not passed on
    };
    const z2e::test::LogCapture log("qorinetapi");
    for (const InitCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.answers));
        fakeDriver().reset();
        fakeDriver().initAnswers = c.answers;
        waits.clear();
        EXPECT_EQ(c.result, node.connect());
        EXPECT_EQ(c.waits, waits.size());
        for (auto wait : waits)
            EXPECT_EQ(1000ms, wait);
        EXPECT_EQ(c.inits, fakeDriver().callsNamed("DriverInit").size());
        EXPECT_EQ(c.result == 0, node.isConnected());
        EXPECT_EQ(c.result == 0, z2e::driverApi().loadLevel > 0) << "a failed init unloads the driver";
        node.disconnect();
    }
    EXPECT_EQ(4, log.count("warning [qorinetapi] Hardware already in use. Will try again in 1 second."));
    EXPECT_EQ(1, log.count("error [qorinetapi] Error 1 in ZaMoDriverInit"));
    EXPECT_EQ(1, log.count("error [qorinetapi] Error 7 in ZaMoDriverInit"));
    EXPECT_EQ(1, log.count("error [qorinetapi] Warning -3 in ZaMoDriverInit"));
}

TEST_F(LocalNodeConnect, BoardCountSignTellsSimulation)
{
    const z2e::test::LogCapture log("qorinetapi");
    fakeDriver().boardCount = -4;
    fakeDriver().setText("System", "EnclosureCount", "+2");
    ASSERT_EQ(0, node.connect());
    EXPECT_EQ(4u, node.getBoardCount());
    EXPECT_TRUE(node.isSimulation());
    EXPECT_EQ(2u, node.getEnclosureCount());

    fakeDriver().boardCount = 5;
    ASSERT_EQ(0, node.connect()) << "connect on a connected node runs again";
    EXPECT_EQ(5u, node.getBoardCount());
    EXPECT_FALSE(node.isSimulation());

    fakeDriver().boardCount = 0;
    ASSERT_EQ(0, node.connect());
    EXPECT_EQ(0u, node.getBoardCount());
    EXPECT_EQ(1, log.count("warning [qorinetapi] Warning no QORIN boards detected"));
}

TEST_F(LocalNodeConnect, EnclosureCountThatIsNoNumberUndoesTheConnect)
{
    for (const char* text : {"", "two", " 2", "2 ", "+", "0x2", "99999999999"}) {
        SCOPED_TRACE(text);
        fakeDriver().reset();
        fakeDriver().boardCount = 3;
        fakeDriver().setText("System", "EnclosureCount", text);
        EXPECT_EQ(100010, node.connect());
        EXPECT_FALSE(node.isConnected());
        EXPECT_EQ(0u, node.getBoardCount());
        EXPECT_EQ(0, z2e::driverApi().loadLevel);
        EXPECT_FALSE(fakeDriver().callsNamed("DriverDeInit").empty());
    }
    fakeDriver().reset();
    fakeDriver().setText("System", "EnclosureCount", "", 100008);
    EXPECT_EQ(100008, node.connect()) << "the driver's own failure is passed on";

    fakeDriver().reset();
    fakeDriver().setText("System", "EnclosureCount", "-0", -17);
    EXPECT_EQ(0, node.connect()) << "a warning answer still counts";
    EXPECT_EQ(0u, node.getEnclosureCount());
}

TEST_F(LocalNodeConnect, MissingLibraryAnswers2AndLogsTheDisplayName)
{
    const z2e::test::LogCapture log("qorinetapi");
    z2e::setDriverLibraryPath("/nonexistent/libnothing.so");
    EXPECT_EQ(2, node.connect());
    EXPECT_FALSE(node.isConnected());
    EXPECT_EQ(1, log.count("error [qorinetapi] Unable to load zmpxi_api_x64.dll"));
}

TEST_F(LocalNodeConnect, DisconnectDeInitialisesAndUnloads)
{
    connectWith(2);
    node.disconnect();
    EXPECT_FALSE(node.isConnected());
    EXPECT_EQ(0u, node.getBoardCount());
    EXPECT_EQ(0, z2e::driverApi().loadLevel);
    EXPECT_FALSE(fakeDriver().callsNamed("DriverDeInit").empty());
}

using LocalNodeTextGetter = FakeDriverTest;

TEST_F(LocalNodeTextGetter, GrowsToTheLengthTheDriverNames)
{
    connectWith(1);
    const std::string big(5000, 'q');
    fakeDriver().setText("BoardID0", "big", big);
    std::string out = "prev";
    const std::uint32_t firstSize = static_cast<std::uint32_t>(out.capacity() + 1);
    ASSERT_EQ(0, node.GetParamStruct_str("BoardID0", "big", out));
    EXPECT_EQ(big, out);
    const auto gets = fakeDriver().callsNamed("GetParamStruct_str");
    ASSERT_EQ(2u, gets.size());
    EXPECT_EQ("prev", gets[0].value) << "the driver sees the caller's previous text";
    EXPECT_EQ(firstSize, gets[0].number);
    EXPECT_EQ(5001, gets[1].number);
    EXPECT_EQ(1u, fakeDriver().callsNamed("GetParamStruct_strLEN").size());
    EXPECT_EQ(5001u, node.scratchSize());

    out.clear();
    ASSERT_EQ(0, node.GetParamStruct_str("BoardID0", "big", out));
    EXPECT_EQ(3u, fakeDriver().callsNamed("GetParamStruct_str").size()) << "the buffer never shrinks";
}

TEST_F(LocalNodeTextGetter, OutTextChangesOnlyOnSuccessOrWarning)
{
    connectWith(1);
    std::string out = "old";
    fakeDriver().setText("t", "error", "", 100009);
    EXPECT_EQ(100009, node.GetParamStruct_str("t", "error", out));
    EXPECT_EQ("old", out);

    fakeDriver().setText("t", "big", std::string(100, 'x'));
    fakeDriver().lengthResult = 100011;
    EXPECT_EQ(100011, node.GetParamStruct_str("t", "big", out)) << "a failing LEN ends the loop";
    EXPECT_EQ("old", out);
    fakeDriver().lengthResult = 0;

    fakeDriver().setText("t", "warn", "w", -100017);
    EXPECT_EQ(-100017, node.GetParamStruct_str("t", "warn", out));
    EXPECT_EQ("w", out);

    fakeDriver().texts[FakeDriverState::key(true, "t", "x")] = {0, "<xml/>"};
    EXPECT_EQ(0, node.GetParamXML_str("t", "x", out)) << "the XML getter reads the XML tree";
    EXPECT_EQ("<xml/>", out);
}

TEST_F(LocalNodeTextGetter, ConcurrentCallersEachGetTheirOwnText)
{
    connectWith(1);
    fakeDriver().record = false;
    const std::string a(3000, 'a'), b(7000, 'b');
    fakeDriver().setText("t", "a", a);
    fakeDriver().setText("t", "b", b);
    auto reader = [this](const char* item, const std::string& expected, int& mismatches) {
        for (int i = 0; i < 200; ++i) {
            std::string out;
            if (node.GetParamStruct_str("t", item, out) != 0 || out != expected)
                ++mismatches;
        }
    };
    int badA = 0, badB = 0;
    std::thread ta(reader, "a", std::cref(a), std::ref(badA));
    std::thread tb(reader, "b", std::cref(b), std::ref(badB));
    ta.join();
    tb.join();
    EXPECT_EQ(0, badA);
    EXPECT_EQ(0, badB);
}

using LocalNodeForwarding = FakeDriverTest;

// One of each kind: plain forwarding, the growing text getters, the error text.
TEST_F(LocalNodeForwarding, DriverOperationsAnswer2WhileNotLoaded)
{
    QORINetLocalClientNode n(1);
    std::int32_t count = 1;
    std::string text;
    ZaMoCanFrame* canFrames = nullptr;
    EXPECT_EQ(2, n.ReadCAN(0, canFrames, count));
    EXPECT_EQ(2, n.GetParamStruct_str("t", "i", text));
    EXPECT_EQ(2, n.GetParamXML_str("t", "i", text));
    EXPECT_EQ(2, n.ErrorConstantToString(1, text));
    EXPECT_EQ(1, count);
    EXPECT_TRUE(fakeDriver().calls.empty());
}

TEST_F(LocalNodeForwarding, ArgumentsAndCountsPassThrough)
{
    connectWith(4);
    fakeDriver().transferred = 2;
    fakeDriver().otherResult = -5;
    ZaMoCanFrame frames[5] = {};
    std::int32_t count = 5;
    EXPECT_EQ(-5, node.ReadCAN(3, frames, count));
    EXPECT_EQ(2, count) << "the in/out count comes back";
    count = 4;
    EXPECT_EQ(-5, node.WriteDmaUart(1, reinterpret_cast<std::uint8_t*>(frames), count));
    EXPECT_EQ(2, count);
    std::uint32_t errors = 0;
    EXPECT_EQ(-5, node.ErrorCntCAN(2, 3, errors));
    EXPECT_EQ(7u, errors);
    // The command field holds the maximum count, the number to write and the channel.
    std::vector<std::tuple<std::string, std::int64_t, std::int64_t>> calls;
    for (const auto& call : fakeDriver().calls)
        calls.emplace_back(call.name, call.board, call.command);
    EXPECT_EQ(calls, (decltype(calls){{"ReadCAN", 3, 5}, {"WriteDmaUart", 1, 4}, {"ErrorCntCAN", 2, 3}}));

    std::int64_t wide = 0;
    EXPECT_EQ(-5, node.GetParam_i64(0, 9, wide));
    EXPECT_EQ((std::int64_t{1} << 40) + 9, wide);

    std::string text = "stale";
    EXPECT_EQ(0, node.ErrorConstantToString(12, text));
    EXPECT_EQ("FAKE_TEXT_12", text);
    EXPECT_EQ(0, node.ErrorConstantToString(0, text));
    EXPECT_EQ("", text) << "no driver text gives an empty text";
}

} // namespace
