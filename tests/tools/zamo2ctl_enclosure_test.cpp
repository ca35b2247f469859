#include "tools_fixture.h"

#include "support/process.h"

#include <vector>

namespace z2e {
namespace {

using namespace testing_tools;

// zamo2ctl's enclosure and board identity commands as a child process on the example hardware.
class Zamo2ctlEnclosure : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        useExampleHardware();
    }

    static test::ProcessResult run(const std::vector<std::string>& args)
    {
        return test::runProcess(test::besideMe("zamo2ctl"), args);
    }
};

TEST_F(Zamo2ctlEnclosure, SerialWrittenAsEncNameAndJournalled)
{
    test::ProcessResult result = run({"enclosure", "write", "0", "--serial", "0000001f", "--option", "FanMode=none"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Successfully updated the enclosure data.  Restart ZAMO2Explorer to apply new values!\n"
                          "read back: verified\n");
    result = run({"get", "EnclosureId0", "EncName"});
    EXPECT_EQ(result.out, "0000001F\n");
    result = run({"enclosure", "show", "0", "--json"});
    EXPECT_NE(result.out.find("\"serial\":\"0000001F\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("{\"name\":\"FanMode\",\"value\":null,\"valueText\":\"None\""), std::string::npos);
    EXPECT_NE(result.out.find("\"userData\":\"Engine test cell 3\""), std::string::npos);
    result = run({"history", "--serial", "00B1E116"});
    EXPECT_NE(result.out.find("  local  enclosure 0  QE-R16 00B1E116  enclosure-write  1000 "), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("[verified]\n"), std::string::npos);
}

TEST_F(Zamo2ctlEnclosure, RefusalsLeaveEverythingAsItWas)
{
    test::ProcessResult result = run({"enclosure", "write", "0", "--serial", "1F"});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.err.find("1101 Invalid serial number!"), std::string::npos) << result.err;
    result = run({"enclosure", "write", "0", "--option", "FanMode=Turbo"});
    EXPECT_NE(result.err.find("1101 Invalid serial number!"), std::string::npos) << result.err;
    result = run({"enclosure", "write", "1", "--type", "3"});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.err.find("Writing data not supported for this enclosure type!"), std::string::npos);
    result = run({"crossgrade", "--board", "0", "--yes"});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.err.find("4002 Cross Grade not supported for this board type."), std::string::npos) << result.err;
    result = run({"features", "--board", "5", "Counter width=64 bit"});
    EXPECT_EQ(result.exitCode, 64);
    EXPECT_FALSE(fs::exists(journalFolder())); // nothing ran, nothing journalled
    result = run({"get", "EnclosureId0", "EncName"});
    EXPECT_EQ(result.out, "0000E116\n");

    result = run({"features", "--board", "5", "Time stamping=On", "--json"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(
        result.out.find("\"verification\":\"verified\",\"featureSet\":\"00000002\",\"displayName\":\"QC-3104-TS\""),
        std::string::npos)
        << result.out;
}

} // namespace
} // namespace z2e
