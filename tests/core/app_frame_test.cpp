#include "core/app_paths.h"
#include "core/application_log.h"
#include "core/application_status.h"
#include "core/unexpected_end.h"

#include "uni/log.h"

#include "support/site.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace z2e {
namespace {

using z2e::test::EnvOverride;
using z2e::test::ScratchFolder;

TEST(StatusMessageTest, FullTextsAndFormattedTextsRebuiltPerLookup)
{
    EXPECT_EQ(statusMessage(10).rfind("QORIN hardware is used by another application.", 0), 0u);
    // Start-up's "driver not loadable" status has no text of its own.
    EXPECT_EQ(statusMessage(100004), "Unknown error encountered!\r\nError code 100004.");
    EXPECT_EQ(statusMessage(-7), "Unknown error encountered!\r\nError code -7.");
}

TEST(AppPathsTest, OwnCommonFolderIsUsedAndCreated)
{
    ScratchFolder scratch;
    EnvOverride own("ZAMO2_COMMON_DOCUMENTS", scratch / "docs");

    EXPECT_EQ(commonDocumentsFolder(), scratch / "docs");
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "docs"));
    EXPECT_EQ(expandedAppPath(AppPathKind::LogFolder), scratch / "docs/Norvale/zamo2explorer/log");
    EXPECT_EQ(expandedAppPath(AppPathKind::DataFolder), scratch / "docs/Norvale/zamo2explorer");
    EXPECT_EQ(expandPathTemplate("%COMMON_DOCUMENTS%/a/../b/%COMMON_DOCUMENTS%"),
              scratch / "docs/b" + scratch.path() + "/docs");
}

TEST(AppPathsTest, UnusableFoldersFallBackToXdgThenTemporary)
{
    ScratchFolder scratch;
    z2e::test::writeFile(scratch / "a-file", "x");
    EnvOverride own("ZAMO2_COMMON_DOCUMENTS", scratch / "a-file");
    EnvOverride tmp("TMPDIR", scratch.path());
    {
        EnvOverride xdg("XDG_DATA_HOME", scratch / "xdg");
        EXPECT_EQ(commonDocumentsFolder(), scratch / "xdg");
    }
    EnvOverride relativeXdg("XDG_DATA_HOME", std::string("relative/xdg"));
    EnvOverride home("HOME", scratch / "a-file/home");
    EXPECT_EQ(commonDocumentsFolder(), scratch.path());
    EXPECT_EQ(expandedAppPath(AppPathKind::LogFolder), scratch / "Norvale/zamo2explorer/log");
}

TEST(AppPathsTest, EnsureDirectoryAcceptsOnlyDirectories)
{
    ScratchFolder scratch;
    z2e::test::writeFile(scratch / "plain", "x");

    EXPECT_TRUE(ensureDirectory(scratch / "new/deeper/deepest"));
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "new/deeper/deepest"));
    EXPECT_TRUE(ensureDirectory(scratch / "new"));
    EXPECT_FALSE(ensureDirectory(scratch / "plain"));
    EXPECT_FALSE(ensureDirectory(scratch / "plain/below"));
    EXPECT_FALSE(ensureDirectory(""));
}

class ApplicationLogTest : public ::testing::Test {
protected:
    void TearDown() override { uni::log::removeAllSinks(); }
};

TEST_F(ApplicationLogTest, LogFileIsWrittenFromInfoUp)
{
    ScratchFolder scratch;
    EnvOverride own("ZAMO2_COMMON_DOCUMENTS", scratch.path());

    const std::string path = startApplicationLog();
    ASSERT_EQ(path, scratch / "Norvale/zamo2explorer/log/zamo2explorer.log");
    UNI_LOG("frametest", uni::log::info) << "first line";
    UNI_LOG("frametest", uni::log::debug) << "below the threshold";
    uni::log::flush();

    const std::string text = z2e::test::readFile(path);
    EXPECT_NE(text.find("[frametest] first line"), std::string::npos) << text;
    EXPECT_EQ(text.find("below the threshold"), std::string::npos);
}

TEST_F(ApplicationLogTest, FileInPlaceOfLogFolderMeansNoLogFile)
{
    ScratchFolder scratch;
    EnvOverride own("ZAMO2_COMMON_DOCUMENTS", scratch.path());
    ASSERT_TRUE(ensureDirectory(scratch / "Norvale/zamo2explorer"));
    z2e::test::writeFile(scratch / "Norvale/zamo2explorer/log", "not a folder");

    EXPECT_EQ(startApplicationLog(), "");
}

// An exception that ends the window is told, in the log and in words, with what it said.
TEST_F(ApplicationLogTest, AnExceptionLeavingTheWindowIsToldNotSwallowed)
{
    bool ran = false;
    EXPECT_EQ(runCatching([&ran] { ran = true; }), "");
    EXPECT_TRUE(ran);
    EXPECT_EQ(runCatching([] { throw std::runtime_error("the tree lost its model"); }), "the tree lost its model");
    EXPECT_EQ(runCatching([] { throw std::runtime_error(""); }), "an unknown error");
    EXPECT_EQ(runCatching([] { throw 42; }), "an unknown error");

    const std::string told = unexpectedEndText("bad_alloc", "/var/log/z.log");
    EXPECT_EQ(told.rfind("ZAMO2Explorer ended after an unexpected error: bad_alloc. Its log /var/log/z.log", 0), 0u)
        << told;
    EXPECT_EQ(unexpectedEndText("bad_alloc", "").find("Its log"), std::string::npos);

    ScratchFolder scratch;
    EnvOverride own("ZAMO2_COMMON_DOCUMENTS", scratch.path());
    const std::string path = startApplicationLog();
    reportUnexpectedEnd("the tree lost its model", path);
    uni::log::flush();
    EXPECT_NE(z2e::test::readFile(path).find("the window ended after an exception: the tree lost its model"),
              std::string::npos);
}

} // namespace
} // namespace z2e
