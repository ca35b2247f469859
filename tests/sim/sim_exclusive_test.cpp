// Exclusive use of the stand-in hardware across processes, and a board kept busy by a long
// operation while other calls go on.

#include <atomic>
#include <chrono>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "sim_driver_fixture.h"

namespace sim_test {
namespace {

class ExclusiveTest : public SimDriverTest {
protected:
    std::string installedFirmware() { return at(doc("BoardID0/Base", "FWCheck"), "InstalledVersion"); }
};

TEST_F(ExclusiveTest, SecondProcessIsRefusedWhileHardwareIsHeld)
{
    useExampleConfig();
    useExampleHardware();
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int32_t count = 0;
        api->ZaMoSetParamStruct_str("driver/api/config/simulation", "mode", "SIMMODE_OFF");
        const char held = api->ZaMoDriverInit(&count) == 0 && count == 8 ? 'y' : 'n';
        (void)!write(toParent[1], &held, 1);
        char release = 0;
        (void)!read(toChild[0], &release, 1);
        api->ZaMoDriverDeInit();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(toParent[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');

    int32_t count = 0;
    EXPECT_EQ(init("SIMMODE_OFF", count), 1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(init("SIMMODE_NORMAL", count), 1) << "hardware is present, so it is wanted";
    EXPECT_EQ(init("SIMMODE_FORCE", count), 0) << "the simulated system needs no hardware";
    EXPECT_EQ(count, -6);

    const char release = 'r';
    ASSERT_EQ(write(toChild[1], &release, 1), 1);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(started("SIMMODE_OFF"), 8);
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]})
        close(fd);
}

TEST_F(ExclusiveTest, LongOperationLetsOtherCallsRunWhenThreadsAreEnabled)
{
    useExampleHardware();
    setenv("ZMPXI_SIM_SPEED", "2", 1); // a firmware update now lasts two seconds
    started("SIMMODE_OFF");
    ASSERT_EQ(set("driver/api/config/thread", "Enabled", "true"), 0);
    const std::string before = installedFirmware();

    std::atomic<bool> done{false};
    int32_t updateResult = -1;
    std::thread update([&] {
        updateResult = set("BoardID0/Base", "FWUpdate", "");
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Had the update kept the driver locked, this read would wait for it and see the new release.
    EXPECT_EQ(installedFirmware(), before);
    EXPECT_FALSE(done);
    update.join();
    EXPECT_EQ(updateResult, 0);
    EXPECT_NE(installedFirmware(), before);
}

} // namespace
} // namespace sim_test
