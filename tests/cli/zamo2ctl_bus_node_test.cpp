// zamo2ctl can and uart on a board of a node simulator: what is sent goes over the node's
// control connection, what its buses receive comes back over its data connection. 0/3 is the
// node's CAN/UART combination board (CAN channel 0 cabled to 1, UART wired back to itself).

#include "support/net.h"
#include "support/node_sim.h"
#include "support/process.h"
#include "support/site.h"
#include "support/zamo2ctl_run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using z2e::test::expectRun;
using z2e::test::freeClientBasePort;
using z2e::test::holds;
using z2e::test::NodeSimProcess;

// A simulator of its own per test (ctest runs the tests side by side), on `address`.
class Zamo2ctlBusNode : public ::testing::Test {
protected:
    void start(const char* address, const std::vector<std::string>& more = {})
    {
        m_address = address;
        m_port = freeClientBasePort({address});
        std::vector<std::string> args{"--simulation"};
        args.insert(args.end(), more.begin(), more.end());
        ASSERT_TRUE(m_sim.start(address, args, m_port)) << m_sim.output();
    }

    /// " --node ADDRESS --base-port PORT --board 0/3 " of the simulator.
    std::string onBoard() const
    {
        return " --node " + m_address + " --base-port " + std::to_string(m_port) + " --board 0/3 ";
    }

    /// zamo2ctl with `line` on the board of the simulator, running beside the test.
    bool startBeside(z2e::test::BackgroundProcess& run, const std::string& line) const
    {
        std::istringstream words(onBoard() + line);
        z2e::test::Args args;
        for (std::string word; words >> word;)
            args.push_back(word);
        return run.start(z2e::test::besideMe("zamo2ctl"), args);
    }

    NodeSimProcess m_sim;

private:
    std::string m_address;
    std::uint16_t m_port = 0;
};

TEST_F(Zamo2ctlBusNode, FramesSentComeBackFromThePairedChannelThroughTheNode)
{
    start("127.0.0.44");
    const std::string out =
        expectRun(0, "--timeout 20" + onBoard() + "can monitor --channel 1 --count 1 --send 123 DE:AD:01").out;
    EXPECT_TRUE(holds(out, "  ch1  123  [3]  DE AD 01\n"));
    EXPECT_TRUE(holds(out, "lost:          0\n"));
    EXPECT_TRUE(holds(out, "errorCounters: channel 0 0, channel 1 0"));

    const std::string json =
        expectRun(0, "--json --timeout 20" + onBoard() + "can monitor --count 1 --send-channel 1 --send 18FF0001 -")
            .out;
    EXPECT_TRUE(holds(json, "\"frames\":[{\"channel\":0,"));
    EXPECT_TRUE(holds(json, "\"id\":\"18FF0001\",\"extended\":true"));
    EXPECT_TRUE(holds(json, "\"lost\":0"));

    const std::string uart = expectRun(0, "--timeout 20" + onBoard() + "uart monitor --count 1 --send 48:69:21").out;
    EXPECT_TRUE(holds(uart, "ch0  48 69 21  |Hi!|\n"));
    EXPECT_TRUE(holds(uart, "lost:        0\n"));
}

// Bus errors on the node's cable reach the monitor as error frames and a rising counter. Sent
// slowly: each error costs the sender 8 counts, and the node's data connection may take a
// moment to come up, while 32 errors take the sender off the bus.
TEST_F(Zamo2ctlBusNode, InjectedErrorsOnTheNodeRaiseTheShownCounters)
{
    {
        const z2e::test::EnvOverride errors("ZMPXI_SIM_BUS", std::string("can-error-every=1"));
        start("127.0.0.48");
    }
    const std::string out =
        expectRun(0, "--timeout 20" + onBoard() + "can monitor --count 2 --send 7FF 01 --every 100").out;
    EXPECT_EQ(z2e::test::occurrences(out, "ch1  ERROR FRAME\n"), 2u) << out;
    EXPECT_TRUE(holds(out, "errorFrames:   2"));
    EXPECT_FALSE(holds(out, "errorCounters: channel 0 0,")) << "the sender's counter rose";
}

// The node keeps its buses as they were left: only a monitor that stopped its channels and
// closed the bus lets the next one start them again.
TEST_F(Zamo2ctlBusNode, CtrlCStopsTheChannelsOnTheNode)
{
    start("127.0.0.45");
    z2e::test::BackgroundProcess run;
    ASSERT_TRUE(startBeside(run, "can monitor --send 123 01 --every 20"));
    ASSERT_TRUE(run.waitForOutput("ch1  123  [1]  01\n", std::chrono::seconds(30))) << run.errors();
    run.signal(SIGINT);
    ASSERT_TRUE(run.waitForEnd(std::chrono::seconds(30)));
    EXPECT_EQ(run.finish(), 130) << run.output() << run.errors();
    EXPECT_TRUE(holds(run.output(), "lost:          0\n"));

    const std::string again =
        expectRun(0, "--timeout 20" + onBoard() + "can monitor --channel 1 --count 1 --send 321 02").out;
    EXPECT_TRUE(holds(again, "  ch1  321  [1]  02\n"));
}

/// The frames of other nodes (numbered in bytes 0..3) that `out` skips.
std::uint64_t gapsIn(const std::string& out)
{
    std::uint64_t gaps = 0;
    std::int64_t last = -1;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("  7A0  [8]  ");
        if (at == std::string::npos)
            continue;
        std::istringstream bytes(line.substr(at + 12));
        std::int64_t sequence = 0;
        for (int b = 0; b < 4; ++b) {
            unsigned value = 0;
            bytes >> std::hex >> value;
            sequence |= static_cast<std::int64_t>(value) << (8 * b);
        }
        if (last >= 0 && sequence > last + 1)
            gaps += static_cast<std::uint64_t>(sequence - last - 1);
        last = sequence;
    }
    return gaps;
}

// A node slower than its bus drops what its driver cannot hold; the monitor's count of lost
// frames includes those, so every frame missing from the sequence is accounted for.
TEST_F(Zamo2ctlBusNode, FramesASlowNodeDroppedAreCountedAsLost)
{
    {
        // Half a second between forwards: 20,000 frames a channel against room for 4,096 in all.
        const z2e::test::EnvOverride traffic("ZMPXI_SIM_BUS", std::string("can-traffic=20000"));
        start("127.0.0.49", {"--data-every-ms", "500"});
    }
    const std::string out = expectRun(0, "--timeout 20" + onBoard() + "can monitor --channel 1 --count 5000").out;
    const std::uint64_t gaps = gapsIn(out);
    ASSERT_GT(gaps, 0u) << "the node kept up after all";
    const std::size_t at = out.find("lost:");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_GE(std::stoull(out.substr(at + 5)), gaps) << out.substr(at);
}

// A node that goes away ends the monitor by itself, saying what happened and what to check.
TEST_F(Zamo2ctlBusNode, ANodeThatGoesAwayEndsTheMonitorInWords)
{
    start("127.0.0.46");
    z2e::test::BackgroundProcess run;
    ASSERT_TRUE(startBeside(run, "can monitor --channel 1 --send 123 01 --every 50"));
    ASSERT_TRUE(run.waitForOutput("ch1  123  [1]  01\n", std::chrono::seconds(30))) << run.errors();
    m_sim.stop();
    ASSERT_TRUE(run.waitForEnd(std::chrono::seconds(30))) << "the monitor waits on a node that is gone";
    EXPECT_EQ(run.finish(), 65) << run.output() << run.errors();
    EXPECT_TRUE(holds(run.errors(), "; check the node's network cable and address (zamo2ctl nodes), then try again"));
}

} // namespace
