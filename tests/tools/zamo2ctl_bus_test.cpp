// zamo2ctl can and uart on the example hardware: 0/5 is the four-channel CAN board, 2/3 the
// UART board.
#include "tools_fixture.h"

#include "tools/bus_trace_file.h"

#include <csignal>

namespace z2e {
namespace {

using namespace testing_tools;
using test::expectRun;
using test::holds;

using Zamo2ctlBus = Zamo2ctlTest;

TEST_F(Zamo2ctlBus, FrameSentOnChannelZeroIsShownOnItsPartner)
{
    const std::string out =
        expectRun(0, "--simulation off --board 0/5 can monitor --channel 1 --count 1 --send 123 DE:AD:01").out;
    EXPECT_TRUE(holds(out, "  ch1  123  [3]  DE AD 01\n"));
    EXPECT_TRUE(holds(out, "errorCounters: channel 0 0, channel 1 0, channel 2 0, channel 3 0"));

    const std::string json =
        expectRun(0, "--simulation off --json --board 10A80004 can monitor --count 1 --send-channel 1 --send "
                     "18FF0001 -")
            .out;
    EXPECT_TRUE(holds(json, "\"frames\":[{\"channel\":0,\"timestampUs\":"));
    EXPECT_TRUE(holds(json, "\"id\":\"18FF0001\",\"extended\":true,\"errorFrame\":false,\"data\":\"\""));
    EXPECT_TRUE(holds(json, "\"sent\":1"));

    const std::string uart = expectRun(0, "--simulation off --board 2/3 uart monitor --count 1 --send 48:69:21").out;
    EXPECT_TRUE(holds(uart, "ch0  48 69 21  |Hi!|\n"));
}

TEST_F(Zamo2ctlBus, InjectedErrorsShowAsErrorFramesAndRisingCounters)
{
    const test::ProcessResult run =
        test::ctl("--simulation off --board 0/5 can monitor --count 2 --send 7FF 01 --every 1",
                  {"ZMPXI_SIM_BUS=can-error-every=1"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(test::occurrences(run.out, "ch1  ERROR FRAME\n"), 2u) << run.out;
    EXPECT_TRUE(holds(run.out, "errorFrames:   2"));
    EXPECT_TRUE(holds(run.out, "errorCounters: channel 0 16, channel 1 0"));
}

TEST_F(Zamo2ctlBus, ATraceIsSavedAndAnExistingFileOnlyReplacedWithForce)
{
    const std::string trace = (m_dir / "trace.csv").string();
    const std::string monitor = "--simulation off --board 0/5 can monitor --channel 1 --count 1 --send 123 DE:AD:01 "
                                "--trace " +
                                trace;
    EXPECT_TRUE(holds(expectRun(0, monitor).err, "1 frame saved to " + trace));
    BusKind kind = BusKind::Uart;
    std::vector<BusRecord> read;
    std::string error;
    ASSERT_TRUE(BusTraceFile::read(trace, kind, read, error)) << error;
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].id, 0x123u);
    EXPECT_EQ(read[0].channel, 1);

    test::writeFile(trace, "keep me");
    EXPECT_EQ(expectRun(73, monitor, "refused").out, "") << "refused before the bus was opened";
    std::ifstream kept(trace);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()), "keep me");
    EXPECT_TRUE(holds(expectRun(0, monitor + " --force").err, "1 frame saved"));
    expectRun(73, "--simulation off --board 0/5 can monitor --count 1 --trace " + m_dir.string(), "refused");
    expectRun(73, "--simulation off --board 0/5 can monitor --count 1 --trace " + (m_dir / "none" / "t.csv").string(),
              "does not exist");
    expectRun(64, "--board 0/5 can send 123 01 --trace " + trace, "can monitor takes");

    // The driver's own files, though the monitor never reads the system as the window does.
    const std::string sending = "--simulation off --board 0/5 can monitor --count 1 --send 123 01 --trace ";
    const std::string config = test::readFile(m_site.configFile());
    expectRun(73, sending + m_site.configFile() + " --force", "is the driver configuration");
    EXPECT_EQ(test::readFile(m_site.configFile()), config);
    expectRun(73, sending + m_site.configFolder() + "/log/t.csv", "driver's log folder");
}

TEST_F(Zamo2ctlBus, WrongBoardsIdsAndDataAreRefusedInWords)
{
    expectRun(65, "--simulation off --board 0/2 can monitor", "board 0 would not open its CAN channels");
    expectRun(65, "--simulation off --board 0/5 uart send 41", "would not open its UART channels");
    expectRun(65, "--simulation off --board 2/3 uart send --channel 3 41", "UART channel 3 of board 7 would not start");
    expectRun(64, "--board 0/5 can send 20000000 01", "up to 1FFFFFFF (extended)");
    expectRun(64, "--board 0/5 can send 123 010203040506070809", "the data has 9 bytes; at most 8 fit");
    expectRun(64, "--board 0/5 can send 123 0G", "is not bytes in hexadecimal");
    expectRun(64, "--board all can monitor", "can works on one board");
    expectRun(64, "can monitor", "can needs --board");
    expectRun(64, "--board 0/5 can listen", "can takes monitor or send");
    expectRun(64, "--board 0/5 can monitor --every 10", "can monitor takes");
    expectRun(64, "--channel 1 tree", "apply to can and uart");
    expectRun(64, "--board 0/5 can monitor --channel 4", "--channel needs a channel number, 0 to 3");
    expectRun(64, "--board 0/5 can monitor --ids 200-100", "has its low end above its high end");
}

TEST_F(Zamo2ctlBus, CtrlCEndsTheMonitorWithItsSummary)
{
    test::BackgroundProcess run;
    ASSERT_TRUE(run.start(test::besideMe("zamo2ctl"), {"--simulation", "off", "--board", "0/5", "can", "monitor",
                                                       "--send", "123", "01", "--every", "20"}));
    ASSERT_TRUE(run.waitForOutput("ch1  123  [1]  01\n", std::chrono::seconds(30))) << run.errors();
    run.signal(SIGINT);
    ASSERT_TRUE(run.waitForEnd(std::chrono::seconds(30)));
    EXPECT_EQ(run.finish(), 130) << run.output() << run.errors();
    EXPECT_TRUE(holds(run.output(), "errorCounters: channel 0 0"));

    const test::ProcessResult late = test::ctl("--simulation off --timeout 1 --board 0/5 can monitor");
    EXPECT_EQ(late.exitCode, 75) << late.out << late.err;
    EXPECT_TRUE(holds(late.out, "shown:         0"));
}

} // namespace
} // namespace z2e
