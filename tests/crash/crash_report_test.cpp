#include "crash/backtrace_symbolizer.h"
#include "crash/crash_channel.h"
#include "crash/crash_watchdog.h"
#include "crash/process_maps.h"

#include "support/site.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <future>

extern "C" __attribute__((noinline)) int zamo2SymbolProbe(int value)
{
    return value * 3 + 1;
}

namespace crash_monitor {
namespace {

TEST(ProcessMapsTest, AddressesAreTakenAgainstTheLoadOfTheirFile)
{
    const ProcessMaps maps =
        ProcessMaps::parse("5600a000-5600b000 r--p 00000000 fd:01 100 /opt/app/bin/tool\n"
                           "5600b000-5600f000 r-xp 00001000 fd:01 100 /opt/app/bin/tool\n"
                           "garbage line\n"
                           "7f0000000000-7f0000002000 r--p 00000000 fd:01 200 /usr/lib/libgap.so\n"
                           "7f0000003000-7f0000005000 r-xp 00002000 fd:01 200 /usr/lib/libgap.so\n"
                           "7f0000010000-7f0000011000 rw-p 00000000 00:00 0 \n"
                           "7f0000020000-7f0000021000 r-xp 00000000 fd:01 300 /tmp/old.so (deleted)\n"
                           "7ffd00000000-7ffd00001000 r-xp 00000000 00:00 0 [vdso]\n");
    ASSERT_EQ(maps.mappings().size(), 7u);
    EXPECT_TRUE(maps.mappings()[1].executable);
    EXPECT_FALSE(maps.mappings()[0].executable);

    ModuleAddress where;
    ASSERT_TRUE(maps.locate(0x5600c234, where));
    EXPECT_EQ(where.module, "/opt/app/bin/tool");
    EXPECT_EQ(where.loadBase, 0x5600a000u);
    EXPECT_EQ(where.offset, 0x2234u);
    // Segments need not sit at their file offset: the header mapping gives the base.
    ASSERT_TRUE(maps.locate(0x7f0000003010, where));
    EXPECT_EQ(where.module, "/usr/lib/libgap.so");
    EXPECT_EQ(where.offset, 0x3010u);

    EXPECT_FALSE(maps.locate(0x7f0000010010, where));
    EXPECT_FALSE(maps.locate(0x7f0000020010, where));
    EXPECT_FALSE(maps.locate(0x7ffd00000010, where));
    EXPECT_FALSE(maps.locate(0x5600f000, where));
}

TEST(BacktraceSymbolizerTest, NamesFunctionsOfTheProgramAndOfLibrariesAndModulesWithoutTheTool)
{
    const ProcessMaps maps = ProcessMaps::parse(z2e::test::readFile("/proc/self/maps"));
    // Return addresses: one byte into the function stands for a call made from it.
    const std::uintptr_t own = reinterpret_cast<std::uintptr_t>(&zamo2SymbolProbe) + 1;
    const std::uintptr_t library = reinterpret_cast<std::uintptr_t>(&zip_open) + 1;
    const auto lines = BacktraceSymbolizer().describe({own, library, 0}, maps);

    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("#0 0x", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(" in zamo2SymbolProbe"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("crash_tests+0x"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(" in zip_open"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("libzip"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2], "#2 0x0");

    // Without the tool a line still names the module and the offset.
    const auto bare = BacktraceSymbolizer("zamo2-no-such-tool").describe({own}, maps);
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_NE(bare[0].find("crash_tests+0x"), std::string::npos) << bare[0];
}

class WatchdogChannelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, m_ends), 0); }
    void TearDown() override
    {
        ::close(m_ends[0]);
        if (m_ends[1] >= 0)
            ::close(m_ends[1]);
    }
    std::future<int> serve(const std::string& folder)
    {
        return std::async(std::launch::async,
                          [this, folder] { return CrashWatchdog::serve(m_ends[0], folder, "Test"); });
    }
    void hangUp()
    {
        ::close(m_ends[1]);
        m_ends[1] = -1;
    }

    int m_ends[2] = {-1, -1};
    z2e::test::ScratchFolder m_scratch;
};

TEST_F(WatchdogChannelTest, ClosedChannelWithoutCrashWritesNothing)
{
    auto served = serve(m_scratch.path());
    ASSERT_TRUE(sendCrashMessage(m_ends[1], CrashMessage::AddFile, "a\0b", 3));
    hangUp();
    EXPECT_EQ(served.get(), 0);
    EXPECT_TRUE(z2e::test::filesIn(m_scratch.path()).empty());
}

TEST_F(WatchdogChannelTest, CorruptStreamIsRefused)
{
    auto served = serve(m_scratch.path());
    const CrashMessageHeader tooLong{static_cast<std::uint32_t>(CrashMessage::Screenshot), kMaxCrashMessagePayload + 1};
    ASSERT_EQ(::write(m_ends[1], &tooLong, sizeof tooLong), static_cast<ssize_t>(sizeof tooLong));
    EXPECT_EQ(served.get(), 2);
    EXPECT_FALSE(sendCrashMessage(m_ends[1], CrashMessage::AddFile, "x", kMaxCrashMessagePayload + 1));
}

TEST_F(WatchdogChannelTest, CrashCutShortIsStillReported)
{
    auto served = serve(m_scratch.path());
    const CrashBeginPayload begin{7, 2, 0xdead, 4242, 4243, 0};
    const std::uintptr_t frames[] = {reinterpret_cast<std::uintptr_t>(&zamo2SymbolProbe) + 1};
    ASSERT_TRUE(sendCrashMessage(m_ends[1], CrashMessage::CrashBegin, &begin, sizeof begin));
    ASSERT_TRUE(sendCrashMessage(m_ends[1], CrashMessage::Frames, frames, sizeof frames));
    ::shutdown(m_ends[1], SHUT_WR);
    EXPECT_EQ(served.get(), 0);
    char answer = 0;
    EXPECT_EQ(::read(m_ends[1], &answer, 1), 1);
    EXPECT_EQ(answer, 1);
    const auto names = z2e::test::filesIn(m_scratch.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(names[0].find("_4242.zip"), std::string::npos) << names[0];
}

} // namespace
} // namespace crash_monitor
