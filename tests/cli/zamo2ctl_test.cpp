// zamo2ctl as a program: its command line, exit status and output, on the scripted driver and
// on the driver stand-in.

#include "cli_run.h"

#include "support/fake_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using z2e::test::fakeDriverPath;
using z2e::test::ProcessResult;

// Exit status and standard output: what scripts would parse.
std::string shown(const ProcessResult& run)
{
    return std::to_string(run.exitCode) + " " + run.out;
}

TEST(Zamo2ctl, BadCommandLinesExit64)
{
    const Args lines[] = {{}, {"frobnicate"}, {"get", "System"}, {"set-i32", "0", "1"}, {"--simulation", "maybe", "local"},
                          {"--driver"}, {"--bogus", "local"}, {"driver-text", "twelve"}};
    for (const Args& args : lines)
        EXPECT_EQ(64, zamo2ctl(args).exitCode) << (args.empty() ? "" : args[0]);
    const ProcessResult help = zamo2ctl({"--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_NE(std::string::npos, help.out.find("Usage: zamo2ctl"));
}

TEST(Zamo2ctl, DriverTextNeedsNoDriver)
{
    EXPECT_EQ("0 ERR_HARDWARE_ALREADY_IN_USE (0x0001)\n", shown(zamo2ctl({"--driver", "/nonexistent.so", "driver-text", "1"})));
    EXPECT_EQ("0 ERR_UNI_OSAL_ERROR\n", shown(zamo2ctl({"driver-text", "0xAAE69"})));
    EXPECT_EQ("1 ", shown(zamo2ctl({"driver-text", "1028"})));
    EXPECT_EQ("0 {\"code\":-400000,\"known\":true,\"text\":\"WARNING_LAST_CONFIG_NOT_FOUND (- 400000)\"}\n",
              shown(zamo2ctl({"driver-text", "--json", "-400000"})));
}

TEST(Zamo2ctl, LocalReportsTheConnectedSystem)
{
    EXPECT_EQ("0 {\"boardCount\":3,\"enclosureCount\":1,\"simulation\":true,\"driverVersion\":\"9.9.9-fake\","
              "\"result\":0,\"resultText\":\"ERR_NONE (0)\"}\n",
              shown(zamo2ctl({"--driver", fakeDriverPath(), "--json", "local"}, {"QORINET_FAKE_BOARDS=-3"})));
    EXPECT_EQ(2, zamo2ctl({"--driver", "/nonexistent/libnothing.so", "local"}).exitCode);
}

TEST(Zamo2ctl, SimulationModeIsSetBeforeTheDriverStarts)
{
    EXPECT_EQ("0 SIMMODE_OFF\n", shown(zamo2ctl({"--driver", fakeDriverPath(), "--simulation", "off", "get", "fake", "modeAtInit"})));
    EXPECT_EQ("0 unset\n", shown(zamo2ctl({"--driver", fakeDriverPath(), "get", "fake", "modeAtInit"})));
}

TEST(Zamo2ctl, RawAccessExitsWithTheDriverResult)
{
    const std::string fake = fakeDriverPath();
    EXPECT_EQ(63, zamo2ctl({"--driver", fake, "get", "NoSuchTarget", "item"}).exitCode)
        << "100008 does not fit an exit status";
    EXPECT_EQ("0 {\"argument1\":\"BoardID0\",\"argument2\":\"x\",\"argument3\":\"a\\\"b\",\"result\":0,"
              "\"resultText\":\"ERR_NONE (0)\"}\n",
              shown(zamo2ctl({"--driver", fake, "--json", "set", "BoardID0", "x", "a\"b"})));
    EXPECT_EQ(0, zamo2ctl({"--driver", fake, "set-i32", "0", "773", "-1"}).exitCode);
    EXPECT_EQ(64, zamo2ctl({"--driver", fake, "set-i32", "zero", "773", "0"}).exitCode);
}

// The number after "name": in a flat JSON object, or -1.
long field(const std::string& json, const std::string& name)
{
    const std::string key = "\"" + name + "\":";
    const std::size_t at = json.find(key);
    if (at == std::string::npos)
        return -1;
    const char* start = json.c_str() + at + key.size();
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    return end == start ? -1 : value;
}

TEST(Zamo2ctlOnSimulator, ShowsTheHardwareAndTheDemoSystem)
{
    const z2e::test::SimSite site;
    const ProcessResult hardware = zamo2ctl({"--json", "local"}, site.environment());
    ASSERT_EQ(0, hardware.exitCode) << hardware.out;
    EXPECT_NE(std::string::npos, hardware.out.find("\"simulation\":false"));
    EXPECT_GT(field(hardware.out, "boardCount"), 0);
    EXPECT_GT(field(hardware.out, "enclosureCount"), 0);

    const ProcessResult demo = zamo2ctl({"--simulation", "force", "--json", "local"}, site.environment());
    ASSERT_EQ(0, demo.exitCode) << demo.out;
    EXPECT_NE(std::string::npos, demo.out.find("\"simulation\":true"));
    EXPECT_GT(field(demo.out, "boardCount"), 0);

    EXPECT_EQ("0 " + site.configFolder() + "\n", shown(zamo2ctl({"get", "System/Config", "Path"}, site.environment())));
    EXPECT_EQ(std::to_string(field(hardware.out, "enclosureCount")) + "\n",
              zamo2ctl({"get", "System", "EnclosureCount"}, site.environment()).out);
}

} // namespace
