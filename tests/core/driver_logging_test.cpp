// The logging settings rules shared by the logging dialog and zamo2ctl.

#include "core/driver_logging.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

DriverLogSettings exampleSettings()
{
    DriverLogSettings settings;
    settings.fileName = "ZaMoQorin.log";
    settings.level = "LogOnError";
    settings.type = "Normal";
    settings.append = "Append";
    settings.levelOptions = {"LogDeveloperDebug", "LogCommand", "LogOnError", "LogOff"};
    settings.typeOptions = {"Normal", "FailSafe", "CrashSafe"};
    settings.appendOptions = {"Append", "Overwrite"};
    return settings;
}

TEST(DriverLogging, NameWithoutADotGetsTheLogExtension)
{
    EXPECT_EQ(withLogExtension("trace"), "trace.log");
    EXPECT_EQ(withLogExtension("trace.txt"), "trace.txt");
    EXPECT_EQ(withLogExtension("/var/log.d/trace"), "/var/log.d/trace.log");
    EXPECT_EQ(withLogExtension(""), "");

    DriverLogSettings settings = exampleSettings();
    std::string error;
    ASSERT_TRUE(applyLogChange({"bench", "", "", "Overwrite"}, settings, error)) << error;
    EXPECT_EQ(settings.fileName, "bench.log");
    EXPECT_EQ(settings.level, "LogOnError");
    EXPECT_EQ(settings.append, "Overwrite");
}

TEST(DriverLogging, ValuesOutsideTheConfigurationsListsAreRefusedWhole)
{
    DriverLogSettings settings = exampleSettings();
    std::string error;
    EXPECT_FALSE(applyLogChange({"other", "LogEverything", "", ""}, settings, error));
    EXPECT_NE(error.find("LogEverything"), std::string::npos) << error;
    EXPECT_NE(error.find("LogOff"), std::string::npos) << error;
    EXPECT_EQ(settings.fileName, "ZaMoQorin.log");
    EXPECT_FALSE(applyLogChange({"", "", "Sometimes", ""}, settings, error));
    // A configuration that lists no values restricts none.
    settings.levelOptions.clear();
    EXPECT_TRUE(applyLogChange({"", "LogEverything", "", ""}, settings, error));
    EXPECT_EQ(settings.level, "LogEverything");
}

TEST(DriverLogging, LogFolderFollowsAnAbsoluteCommandLogElseBesideTheConfiguration)
{
    DriverLogSettings settings = exampleSettings();
    EXPECT_EQ(driverLogFolder("/etc/zmpxi/zmpxi_api_config.xml", settings), "/etc/zmpxi/log");
    settings.fileName = "/var/log/zmpxi/cmd.log";
    EXPECT_EQ(driverLogFolder("/etc/zmpxi/zmpxi_api_config.xml", settings), "/var/log/zmpxi");
    settings.fileName = "/var/log/zmpxi/";
    EXPECT_EQ(driverLogFolder("/etc/zmpxi/zmpxi_api_config.xml", settings), "/var/log/zmpxi");
}

} // namespace
} // namespace z2e
