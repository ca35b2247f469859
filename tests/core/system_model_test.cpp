#include "core/application_status.h"
#include "core/enclosure_node.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "core/tree_row_list.h"
#include "zmpxi/driver_api.h"
#include "qorinet_api/client/qorinet_local_client_node.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace z2e {
namespace {

namespace fs = std::filesystem;

// Every test gets its own driver folders, the example configuration and hardware.
class SystemModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/core_tests_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        for (const char* sub : {"config", "state", "runtime"})
            fs::create_directories(m_dir / sub);
        fs::copy_file(fs::path(ZMPXI_SIM_EXAMPLES_DIR) / "zmpxi_api_config.xml", m_dir / "config/zmpxi_api_config.xml");
        ::setenv("ZMPXI_API_CONFIG_DIR", (m_dir / "config").c_str(), 1);
        ::setenv("ZMPXI_SIM_STATE_DIR", (m_dir / "state").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (m_dir / "runtime").c_str(), 1);
        ::setenv("ZMPXI_SIM_HARDWARE", ZMPXI_SIM_EXAMPLES_DIR "/hardware.xml", 1);
        ::setenv("ZMPXI_SIM_SPEED", "100000", 1);
    }

    void TearDown() override
    {
        unloadDriverApi();
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    // A local node that does not sleep between the retries of a busy driver.
    static SystemModel::NodePtr impatientNode()
    {
        auto node = std::make_shared<qorinet_api::QORINetLocalClientNode>(0);
        node->setRetryWait([](std::chrono::milliseconds) {});
        return node;
    }

    static std::vector<std::string> rows(const RootNode& root)
    {
        std::vector<std::string> texts;
        for (const TreeRow& row : TreeRowList::collect(root))
            texts.push_back((row.row.red ? "!" : "") + row.row.text);
        return texts;
    }

    static bool hasRow(const std::vector<std::string>& texts, const std::string& text)
    {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    static const SlotNode* slotOf(RootNode& root, std::size_t enclosure, std::size_t slot)
    {
        auto* node = dynamic_cast<EnclosureNode*>(root.childAt(enclosure));
        return node ? node->slotAt(slot) : nullptr;
    }

    fs::path m_dir;
};

TEST_F(SystemModelTest, StartUpBuildsLocalAndDemoTreesFromTheExamples)
{
    SystemModel model(false, impatientNode());
    ASSERT_EQ(model.initializeSystem(), AppStatus::Ok);

    const std::vector<std::string> local = rows(model.localRoot());
    for (const char* expected : {"Local System", "Enclosure 0:   QE-R16", "!Slot 2:   QA-4008.BNC  [WARNING: Firmware old.]",
                                 "Slot 3:   QA-4116-STRAIN", "!Slot 5:   E2PROM-ERROR", "Slot 17:   Empty",
                                 "Enclosure 1:   Host PC", "!Slot 3:   QC-3104  [WARNING: Firmware newer.]",
                                 "Enclosure 2:   QORINet QN-N6",
                                 "!Slot 3:   QN-6202-UART E2PROM-ERROR  [WARNING: Firmware old.]",
                                 "BaseBoard:   78.5degC", "PCIVendorId:   1F3A"})
        EXPECT_TRUE(hasRow(local, expected)) << expected;
    EXPECT_FALSE(hasRow(local, "Slot 18:   Empty"));
    EXPECT_EQ(model.localRoot().boardOverview.size(), 9u); // titles and eight boards
    EXPECT_TRUE(model.localHardwarePresent());

    const SlotNode* corrupt = slotOf(model.localRoot(), 0, 3);
    ASSERT_NE(corrupt, nullptr);
    EXPECT_EQ(corrupt->baseEepromState, EepromBackupState::Restorable);
    EXPECT_EQ(corrupt->boardId, "0003");
    const SlotNode* blankPanel = slotOf(model.localRoot(), 2, 1);
    ASSERT_NE(blankPanel, nullptr);
    EXPECT_EQ(blankPanel->baseEepromState, EepromBackupState::Healthy);
    EXPECT_EQ(blankPanel->conEepromState, EepromBackupState::NoBackup);

    const std::vector<std::string> demo = rows(model.demoRoot());
    for (const char* expected : {"Demo System", "Enclosure 0:   QE-R8", "Slot 2:   QA-4016", "Enclosure 1:   QE-P4",
                                 "Slot 3:   QX-1000", "Slot 5:   Empty"})
        EXPECT_TRUE(hasRow(demo, expected)) << expected;
    for (const std::string& text : demo) {
        EXPECT_EQ(text.find("BaseBoard:"), std::string::npos) << "demo boards have no temperatures";
        EXPECT_EQ(text.find("[WARNING: Firmware"), std::string::npos) << text;
    }
    EXPECT_EQ(model.demoRoot().boardOverview.size(), 7u);

    EXPECT_EQ(fs::path(model.configFilePath()), m_dir / "config/zmpxi_api_config.xml");
    EXPECT_EQ(model.logSettings().levelOptions.size(), 6u);
    EXPECT_EQ(model.logSettings().fileName, "ZaMoQorin.log");
    ASSERT_FALSE(model.softwareVersions().empty());
    EXPECT_EQ(model.softwareVersions().front().description, "Acquisition API");
    EXPECT_EQ(model.root(3), &model.remoteRoot());
    EXPECT_EQ(model.root(4), nullptr);
}

TEST_F(SystemModelTest, HardwareHeldByAnotherProgramGivesStatus10)
{
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string holder = (fs::path(self).parent_path() / "core_hardware_holder").string();
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        ::execl(holder.c_str(), holder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    char answer[32] = {};
    const ssize_t got = ::read(fromChild[0], answer, sizeof answer - 1);
    ASSERT_GT(got, 0);
    ASSERT_EQ(std::string(answer, 5), "held\n");

    std::int32_t status = -1;
    {
        SystemModel model(false, impatientNode());
        status = model.initializeSystem();
        EXPECT_TRUE(hasRow(rows(model.demoRoot()), "Enclosure 0:   QE-R8"));
        EXPECT_EQ(model.localRoot().childCount(), 0u);
    }
    EXPECT_EQ(status, AppStatus::HardwareInUse);

    ::close(toChild[1]);
    ::close(fromChild[0]);
    int exitStatus = 0;
    ASSERT_EQ(::waitpid(child, &exitStatus, 0), child);
    EXPECT_TRUE(WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == 0);

    // Once the other program is gone the hardware is ours again.
    SystemModel model(false, impatientNode());
    EXPECT_EQ(model.initializeSystem(), AppStatus::Ok);
}

TEST_F(SystemModelTest, MissingDriverLibrary)
{
    setDriverLibraryPath((m_dir / "no_such_driver.so").string());
    SystemModel model(false, impatientNode());
    const std::int32_t status = model.initializeSystem();
    setDriverLibraryPath(std::string());
    EXPECT_EQ(status, AppStatus::DriverNotLoadable);
    EXPECT_EQ(model.localRoot().childCount(), 0u);
    EXPECT_EQ(model.demoRoot().name, "Demo System");
}

// The command line prints the rows the window shows, red ones marked in a pipe.
TEST_F(SystemModelTest, CommandLineTreePrintsTheSameRows)
{
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const fs::path ctl = fs::path(self).parent_path() / "zamo2ctl";
    if (!fs::exists(ctl))
        GTEST_SKIP() << "zamo2ctl is not built";
    const std::string command = ctl.string() + " tree --system local 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line = buffer;
        lines.push_back(line.substr(0, line.find_last_not_of('\n') + 1));
    }
    EXPECT_EQ(::pclose(pipe), 0);

    SystemModel model(false, impatientNode());
    ASSERT_EQ(model.initializeSystem(), AppStatus::Ok);
    std::vector<std::string> expected;
    for (const TreeRow& row : TreeRowList::collect(model.localRoot())) {
        if (row.row.text.find('\n') == std::string::npos)
            expected.push_back((row.row.red ? "! " : "  ") + std::string(2 * row.depth, ' ') + row.row.text);
    }
    for (const std::string& line : expected)
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    EXPECT_EQ(lines.size(), expected.size());
}

} // namespace
} // namespace z2e
