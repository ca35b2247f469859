// One program at a time changes a system: the lock file, its holder's words, a dead holder,
// and zamo2ctl waiting for a holder and giving up after --timeout.

#include "tools_fixture.h"

#include "tools/maintenance_journal.h"
#include "tools/system_lock.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace z2e {
namespace {

using namespace testing_tools;

class SystemLockTest : public Zamo2ctlTest {
protected:
    std::string folder() const { return m_site / "locks"; }
    static std::chrono::steady_clock::time_point now() { return std::chrono::steady_clock::now(); }
};

TEST_F(SystemLockTest, SecondHolderSeesTheFirstsWordsAndGetsTheLockOnlyAfterIt)
{
    SystemLock first(folder(), SystemLock::localSystem());
    SystemLock second(folder(), SystemLock::localSystem());
    SystemLock node(folder(), SystemLock::nodeSystem("127.0.0.2"));
    ASSERT_EQ(first.tryAcquire("zamo2explorer", "updating firmware"), SystemLock::Outcome::Held) << first.error();
    // Within one process too: the window's second tool waits for its first.
    std::vector<std::string> told;
    EXPECT_EQ(second.acquire("zamo2ctl", "erasing an EEPROM", now(),
                             [&](const std::string& words) { told.push_back(words); }),
              SystemLock::Outcome::Busy);
    const std::string words = "busy: zamo2explorer pid " + std::to_string(::getpid()) + " is updating firmware";
    EXPECT_EQ(told, std::vector<std::string>{words});
    EXPECT_EQ(node.tryAcquire("zamo2ctl", "rebooting the node"), SystemLock::Outcome::Held);

    first.release();
    EXPECT_EQ(second.tryAcquire("zamo2ctl", "erasing an EEPROM"), SystemLock::Outcome::Held);
    EXPECT_EQ(first.busyText(), "busy: zamo2ctl pid " + std::to_string(::getpid()) + " is erasing an EEPROM");
    second.release();
    EXPECT_EQ(second.busyText(), "busy: another program is changing local");
}

TEST_F(SystemLockTest, DeadHolderNeverBlocksAndPlantedLinksAreNotFollowed)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SystemLock lock(folder(), SystemLock::localSystem());
        ::_exit(lock.tryAcquire("zamo2ctl", "updating firmware") == SystemLock::Outcome::Held ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(status, 0);
    SystemLock after(folder(), SystemLock::localSystem());
    EXPECT_EQ(after.tryAcquire("zamo2ctl", "updating firmware"), SystemLock::Outcome::Held) << after.error();

    const std::string target = m_site / "precious.txt";
    test::writeFile(target, "keep me");
    fs::create_symlink(target, folder() + "/node-127.0.0.5.lock");
    SystemLock planted(folder(), SystemLock::nodeSystem("127.0.0.5"));
    EXPECT_EQ(planted.tryAcquire("zamo2ctl", "rebooting the node"), SystemLock::Outcome::Failed);
    EXPECT_NE(planted.error().find("a link stands there"), std::string::npos) << planted.error();
    EXPECT_EQ(test::readFile(target), "keep me");

    // A FIFO would take the holder's words and lock nothing another program sees.
    ASSERT_EQ(::mkfifo((folder() + "/node-127.0.0.6.lock").c_str(), 0600), 0);
    SystemLock fifo(folder(), SystemLock::nodeSystem("127.0.0.6"));
    EXPECT_EQ(fifo.tryAcquire("zamo2ctl", "rebooting the node"), SystemLock::Outcome::Failed);
    EXPECT_NE(fifo.error().find("is not a regular file"), std::string::npos) << fifo.error();
}

TEST_F(SystemLockTest, Zamo2ctlWaitsForTheHolderAndGivesUpAfterItsTimeout)
{
    SystemLock holder(SystemLock::defaultFolder(), SystemLock::localSystem());
    ASSERT_EQ(holder.tryAcquire("zamo2explorer", "updating firmware"), SystemLock::Outcome::Held) << holder.error();
    const std::string words = "busy: zamo2explorer pid " + std::to_string(::getpid()) + " is updating firmware";
    const std::string waited =
        expectRun(75, "firmware update --board 0 --timeout 1", words + "; waiting up to 1 s").err;
    EXPECT_TRUE(holds(waited, "nothing was changed: " + words));
    EXPECT_TRUE(holds(expectRun(75, "eeprom erase --board 0 --yes --timeout 1 --json").out, "\"error\":\"busy\""));
    EXPECT_FALSE(fs::exists(MaintenanceJournal::defaultFolder() + "/history.jsonl")) << "nothing ran";
    // Reads take no lock, and another system's lock is another's.
    expectRun(0, "firmware check --board 0 --timeout 5");
    expectRun(0, "demo list-models --timeout 5");
    SystemLock node(SystemLock::defaultFolder(), SystemLock::nodeSystem("127.0.0.9"));
    ASSERT_EQ(node.tryAcquire("zamo2ctl", "rebooting the node"), SystemLock::Outcome::Held);
    expectRun(75, "node reboot --node 127.0.0.9 --yes --timeout 1", "is rebooting the node");
    // The demo system is this computer's, also when it is copied from a node.
    expectRun(75, "demo import-node --node 127.0.0.9 --timeout 1", words);

    holder.release();
    EXPECT_EQ(expectRun(0, "calibrate reset-defaults --board 0 --yes --timeout 30").err.find("busy"),
              std::string::npos);
}

} // namespace
} // namespace z2e
