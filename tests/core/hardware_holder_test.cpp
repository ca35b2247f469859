// Naming the process that holds the hardware's lock file, from the kernel's lock table.

#include "support/site.h"

#include "core/hardware_holder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace z2e {
namespace {

TEST(HardwareHolderTest, TheLockTableNamesTheHolderAndACopyOfTheProgramIsSaidToShowTheNodes)
{
    test::ScratchFolder folder;
    const std::string lockFile = folder / "hardware.lock";
    const std::string other = folder / "other.lock";
    test::writeFile(lockFile, "");
    test::writeFile(other, "");
    // A lock on another file only: the table is searched for this file.
    const int otherFd = ::open(other.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(otherFd, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(HardwareHolderLookup::holderOf(lockFile));

    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    const std::optional<HardwareHolder> holder = HardwareHolderLookup::holderOf(lockFile);
    ::close(fd);
    ::close(otherFd);
    ASSERT_TRUE(holder);
    EXPECT_EQ(HardwareHolderLookup::describe(holder),
              "Held by process " + std::to_string(::getpid()) + " (core_tests).");
    EXPECT_FALSE(HardwareHolderLookup::holderOf(lockFile)); // let go

    EXPECT_EQ(HardwareHolderLookup::describe(HardwareHolder{42, "zamo2explorer"}),
              "Held by process 42 (zamo2explorer).\n"
              "That first copy of ZAMO2Explorer shows the local boards and the network nodes.");
    EXPECT_EQ(HardwareHolderLookup::describe(std::nullopt), "The program holding it could not be determined.");

    test::EnvOverride runtime("XDG_RUNTIME_DIR", folder.path());
    EXPECT_EQ(HardwareHolderLookup::lockFilePath(), folder / "zmpxi_api/hardware.lock");
}

} // namespace
} // namespace z2e
