#include "crash/crash_monitor.h"

#include "support/report_archive.h"
#include "support/site.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

// Outside any namespace and never inlined, so the report must name it.
extern "C" __attribute__((noinline)) void zamo2CrashOnPurpose(volatile int* target)
{
    *target = 42;
}

namespace crash_monitor {
namespace {

using z2e::test::ScratchFolder;

enum class Fault { Segfault, Abort };

// Runs a child that installs the monitor and then dies of `fault`; returns its wait status.
int crashChild(const ScratchFolder& scratch, Fault fault)
{
    z2e::test::writeFile(scratch / "early.log", "written before install\n");
    z2e::test::writeFile(scratch / "late.txt", "registered after install\n");
    z2e::test::writeFile(scratch / "screen.png", "\x89PNG fake picture");
    const pid_t child = ::fork();
    if (child == 0) {
        CrashMonitor::uninstall();
        CrashMonitor* monitor = CrashMonitor::CreateInstance();
        monitor->setReportFolder(scratch / "reports");
        monitor->addFile(scratch / "early.log", "Application Log File");
        monitor->addFile(scratch / "gone.txt", "Never written");
        if (!monitor->install())
            ::_exit(3);
        monitor->addFile(scratch / "late.txt", "Late File");
        monitor->setScreenshotFile(scratch / "screen.png");
        if (fault == Fault::Abort)
            std::abort();
        volatile std::uintptr_t nowhere = 16;
        zamo2CrashOnPurpose(reinterpret_cast<volatile int*>(nowhere));
        ::_exit(4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

std::string onlyReport(const ScratchFolder& scratch)
{
    const auto names = z2e::test::filesIn(scratch / "reports");
    if (names.size() != 1 || names[0].compare(0, 6, "crash_") != 0)
        return {};
    return scratch / ("reports/" + names[0]);
}

TEST(CrashMonitorTest, SegfaultLeavesAReportWithBacktraceFilesAndScreenshot)
{
    ScratchFolder scratch;
    const int status = crashChild(scratch, Fault::Segfault);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    const std::string report = onlyReport(scratch);
    ASSERT_FALSE(report.empty());
    const auto entries = z2e::test::readArchive(report);
    ASSERT_TRUE(entries.count("backtrace.txt"));
    const std::string& backtrace = entries.at("backtrace.txt").content;
    EXPECT_NE(backtrace.find("Signal: 11 SIGSEGV"), std::string::npos) << backtrace;
    EXPECT_NE(backtrace.find("fault address 0x10"), std::string::npos) << backtrace;
    EXPECT_NE(backtrace.find(" in zamo2CrashOnPurpose"), std::string::npos) << backtrace;
    EXPECT_NE(entries.at("maps.txt").content.find("crash_tests"), std::string::npos);

    EXPECT_EQ(entries.at("files/early.log").content, "written before install\n");
    EXPECT_EQ(entries.at("files/late.txt").content, "registered after install\n");
    EXPECT_EQ(entries.at("screenshot.png").content, "\x89PNG fake picture");
    const std::string& manifest = entries.at("files.txt").content;
    // Files known at install carry no description; later ones keep theirs.
    EXPECT_NE(manifest.find(scratch / "early.log" + "\t\tfiles/early.log"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(scratch / "gone.txt" + "\t\tmissing"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(scratch / "late.txt" + "\tLate File\tfiles/late.txt"), std::string::npos) << manifest;
}

TEST(CrashMonitorTest, AbortIsReportedAndStillEndsTheProcess)
{
    ScratchFolder scratch;
    const int status = crashChild(scratch, Fault::Abort);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGABRT);

    const std::string backtrace = z2e::test::readArchive(onlyReport(scratch))["backtrace.txt"].content;
    EXPECT_NE(backtrace.find("SIGABRT"), std::string::npos) << backtrace;
    EXPECT_NE(backtrace.find("abort"), std::string::npos) << backtrace;
}

TEST(CrashMonitorTest, SingletonLifecycleAndCleanEnd)
{
    ScratchFolder scratch;
    CrashMonitor::uninstall();
    CrashMonitor* monitor = CrashMonitor::CreateInstance();
    EXPECT_EQ(CrashMonitor::Instance(), monitor);
    try {
        CrashMonitor::CreateInstance();
        ADD_FAILURE() << "a second CreateInstance must throw";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "CreateInstance called more than once.");
    }

    monitor->setReportFolder(scratch / "reports");
    ASSERT_TRUE(monitor->install()) << monitor->lastError();
    EXPECT_TRUE(monitor->installed());
    monitor->setReportFolder(scratch / "elsewhere");
    EXPECT_EQ(monitor->reportFolder(), scratch / "reports");
    CrashMonitor::uninstall();

    EXPECT_TRUE(z2e::test::filesIn(scratch / "reports").empty());
    EXPECT_FALSE(CrashMonitor::Instance()->installed());
    CrashMonitor::uninstall();
}

TEST(CrashMonitorTest, InstallFailsWhenTheReportFolderCannotBeMade)
{
    ScratchFolder scratch;
    z2e::test::writeFile(scratch / "blocked", "x");
    CrashMonitor::uninstall();
    CrashMonitor* monitor = CrashMonitor::Instance();
    monitor->setReportFolder(scratch / "blocked/reports");
    EXPECT_FALSE(monitor->install());
    EXPECT_FALSE(monitor->installed());
    EXPECT_NE(monitor->lastError().find("blocked/reports"), std::string::npos);
    CrashMonitor::uninstall();
}

} // namespace
} // namespace crash_monitor
