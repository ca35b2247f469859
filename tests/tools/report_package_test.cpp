// The report package: what goes into the archive and how, and that a destination holds either
// the complete package or nothing new.

#include "support/report_archive.h"
#include "support/site.h"

#include "driver/command/app_status.h"
#include "tools/report_package.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace z2e {
namespace {

namespace fs = std::filesystem;
using test::namesOf;
using test::readArchive;
using test::readFile;
using test::writeFile;

std::string logText(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += "2026-01-01T00:00:" + std::to_string(i % 60) + " [zmpxi_api] command: read board " +
                std::to_string(i % 7) + "\n";
    return text;
}

class ReportPackageTest : public ::testing::Test {
protected:
    std::string logs() const { return m_scratch / "logs"; }
    std::string build() const { return m_scratch / "build"; }

    void SetUp() override
    {
        fs::create_directories(logs());
        fs::create_directories(build());
    }

    test::ScratchFolder m_scratch{"z2e-report"};
};

TEST_F(ReportPackageTest, NothingButLocksIsNothingToCollect)
{
    ReportPackage missing(m_scratch / "nowhere");
    EXPECT_EQ(missing.collect(build()), AppStatus::NothingToCollect);
    writeFile(logs() + "/lock_file", "");
    fs::create_directories(logs() + "/sub");
    writeFile(logs() + "/sub/zmpxi.lock_file", "1234");
    ReportPackage package(logs());
    package.addDocument("inventory.json", "{}");
    EXPECT_EQ(package.collect(build()), AppStatus::NothingToCollect);
    EXPECT_TRUE(fs::is_empty(build()));
}

TEST_F(ReportPackageTest, PacksTheFolderByRelativeNamesAtLevelNine)
{
    const std::string text = logText(2000);
    writeFile(logs() + "/ZaMoQorin.log", text);
    fs::create_directories(logs() + "/old/2025");
    writeFile(logs() + "/old/2025/ZaMoQorin_Dev.log", "dev\n");
    fs::permissions(logs() + "/old/2025/ZaMoQorin_Dev.log", fs::perms::owner_read | fs::perms::owner_write);
    writeFile(logs() + "/lock_file", "");
    writeFile(m_scratch / "secret.txt", "not a log");
    fs::create_symlink(m_scratch / "secret.txt", logs() + "/outside.log");
    fs::create_symlink(m_scratch.path(), logs() + "/up");
    fs::create_symlink(logs() + "/ZaMoQorin.log", logs() + "/current.log");
    const std::string journal = m_scratch / "maintenance";
    fs::create_directories(journal + "/10A80001");
    writeFile(journal + "/history.jsonl", "{\"serial\":\"10A80001\"}\n");
    writeFile(journal + "/10A80001/base.xml", "<BaseEEPROM/>");

    // What a killed build left in the build folder goes with this one.
    writeFile(build() + "/.z2e-tmp-999999999-1-0000abcd.Xy12Zz", "half an archive");
    ReportPackage package(logs());
    package.addDocument("inventory.json", "{\"systems\":[]}");
    package.addFolder("maintenance/", journal);
    ASSERT_EQ(package.collect(build()), AppStatus::Ok);
    const std::string destination = m_scratch / "package.zip";
    ASSERT_EQ(package.place(destination), ReportPackage::Placement::Placed);

    const auto entries = readArchive(destination);
    EXPECT_EQ(namesOf(entries), (std::vector<std::string>{"ZaMoQorin.log", "current.log", "inventory.json",
                                                          "maintenance/10A80001/base.xml", "maintenance/history.jsonl",
                                                          "manifest.txt", "old/2025/ZaMoQorin_Dev.log"}));
    for (const auto& [name, entry] : entries) {
        EXPECT_EQ(entry.method, ZIP_CM_DEFLATE) << name;
        EXPECT_EQ(entry.flags & 6, 2) << name << ": not packed at the maximum level";
        EXPECT_EQ(entry.mode, 0100644u) << name; // readable by whoever unpacks it
    }
    EXPECT_EQ(entries.at("ZaMoQorin.log").content, text);
    EXPECT_EQ(entries.at("current.log").content, text);
    EXPECT_EQ(entries.at("maintenance/history.jsonl").content, "{\"serial\":\"10A80001\"}\n");
    // Neither link leading out of the folder is followed.
    const std::vector<std::string>& skipped = package.skipped();
    ASSERT_EQ(skipped.size(), 2u);
    EXPECT_EQ(skipped[0].rfind("outside.log: ", 0) + skipped[1].rfind("up: ", 0), 0u) << skipped[0] << skipped[1];
    EXPECT_TRUE(fs::is_empty(build()));
}

TEST_F(ReportPackageTest, LogsGrowingOrUnreadableDoNotSpoilThePackage)
{
    const std::string text = logText(500);
    writeFile(logs() + "/growing.log", text);
    writeFile(logs() + "/closed.log", "x\n");
    if (::geteuid() != 0)
        fs::permissions(logs() + "/closed.log", fs::perms::none);
    ReportPackage package(logs());
    // The driver writes on while the archive is being written.
    const ToolProgress appendWhilePacking = [&](const std::string&, double, double) {
        std::ofstream(logs() + "/growing.log", std::ios::app) << "later line\n";
    };
    ASSERT_EQ(package.collect(build(), appendWhilePacking), AppStatus::Ok);
    ASSERT_EQ(package.place(m_scratch / "p.zip"), ReportPackage::Placement::Placed);
    const auto entries = readArchive(m_scratch / "p.zip");
    EXPECT_EQ(entries.at("growing.log").content, text);
    EXPECT_NE(readFile(logs() + "/growing.log"), text);
    EXPECT_EQ(entries.count("closed.log"), ::geteuid() != 0 ? 0u : 1u);
}

TEST_F(ReportPackageTest, LogRemovedWhilePackedIsLeftOutAndNamedInTheManifest)
{
    writeFile(logs() + "/a.log", "a\n");
    writeFile(logs() + "/rotated.log", "old lines\n");
    writeFile(logs() + "/cut.log", "old lines\n");
    ReportPackage package(logs());
    package.addDocument("inventory.json", "{}");
    // Log rotation removes or empties a file after the folder was listed, before its bytes are read.
    const ToolProgress rotate = [&](const std::string&, double, double) {
        if (fs::exists(logs() + "/rotated.log"))
            fs::resize_file(logs() + "/cut.log", 0);
        fs::remove(logs() + "/rotated.log");
    };
    ASSERT_EQ(package.collect(build(), rotate), AppStatus::Ok);
    ASSERT_EQ(package.place(m_scratch / "p.zip"), ReportPackage::Placement::Placed);
    const auto entries = readArchive(m_scratch / "p.zip");
    EXPECT_EQ(namesOf(entries), (std::vector<std::string>{"a.log", "inventory.json", "manifest.txt"}));
    EXPECT_EQ(entries.at("manifest.txt").content, "Left out of this package:\ncut.log: vanished or shrank while it "
                                                  "was packed\nrotated.log: vanished or shrank while it was packed\n");
    EXPECT_EQ(package.skipped().size(), 2u);
    EXPECT_EQ(package.entries().back().size, entries.at("manifest.txt").content.size());
    EXPECT_TRUE(fs::is_empty(build()));
}

TEST_F(ReportPackageTest, DestinationGetsTheWholePackageOrNothing)
{
    writeFile(logs() + "/a.log", "a\n");
    const std::string existing = m_scratch / "existing.zip";
    writeFile(existing, "old package");
    fs::create_directories(m_scratch / "folder.zip/inside");
    {
        ReportPackage package(logs());
        ASSERT_EQ(package.collect(build()), AppStatus::Ok);
        EXPECT_EQ(package.place(m_scratch / "missing/p.zip"), ReportPackage::Placement::CannotCreate);
        EXPECT_EQ(package.place(m_scratch / "folder.zip", true), ReportPackage::Placement::Refused);
        EXPECT_NE(package.placeError().find("folder.zip is a folder"), std::string::npos) << package.placeError();
        EXPECT_TRUE(fs::is_directory(m_scratch / "folder.zip/inside"));
        EXPECT_FALSE(fs::exists(m_scratch / "missing"));
        // An existing package is replaced only when asked to.
        EXPECT_EQ(package.place(existing), ReportPackage::Placement::Refused);
        EXPECT_EQ(readFile(existing), "old package");
        EXPECT_EQ(package.place(existing, true), ReportPackage::Placement::Placed);
        EXPECT_EQ(package.place(m_scratch / "again.zip"), ReportPackage::Placement::CannotCollect);
    }
    EXPECT_EQ(namesOf(readArchive(existing)), std::vector<std::string>{"a.log"});
    EXPECT_TRUE(fs::is_empty(build()));
    // A package never placed goes with its object.
    {
        ReportPackage package(logs());
        ASSERT_EQ(package.collect(build()), AppStatus::Ok);
        EXPECT_FALSE(fs::is_empty(build()));
    }
    EXPECT_TRUE(fs::is_empty(build()));
}

} // namespace
} // namespace z2e
