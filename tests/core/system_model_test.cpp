#include "support/process.h"
#include "support/site.h"

#include "core/application_status.h"
#include "core/enclosure_node.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "core/tree_row_list.h"
#include "zmpxi/driver_api.h"
#include "qorinet_api/client/qorinet_local_client_node.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace z2e {
namespace {

namespace fs = std::filesystem;

// Every test gets its own driver folders, the example configuration and hardware.
class SystemModelTest : public ::testing::Test {
protected:
    void SetUp() override { m_site.enter(); }
    void TearDown() override { unloadDriverApi(); }

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

    test::SimSite m_site;
};

TEST_F(SystemModelTest, StartUpBuildsLocalAndDemoTreesFromTheExamples)
{
    SystemModel model(false, impatientNode());
    ASSERT_EQ(model.initializeSystem(), AppStatus::Ok);

    const std::vector<std::string> local = rows(model.localRoot());
    for (const char* expected :
         {"Local System", "Enclosure 0:   QE-R16", "!Slot 2:   QA-4008.BNC  [WARNING: Firmware old.]",
          "Slot 3:   QA-4116-STRAIN", "!Slot 5:   E2PROM-ERROR", "Slot 17:   Empty", "Enclosure 1:   Host PC",
          "!Slot 3:   QC-3104  [WARNING: Firmware newer.]", "Enclosure 2:   QORINet QN-N6",
          "!Slot 3:   QN-6202-UART E2PROM-ERROR  [WARNING: Firmware old.]",
          "!BaseBoard:   78.5degC  [WARNING: Temperature high.]", "PCIVendorId:   1F3A"})
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
    EXPECT_EQ(model.demoRoot().boardOverview.size(), 7u);

    EXPECT_EQ(fs::path(model.configFilePath()), fs::path(m_site.configFile()));
    EXPECT_EQ(model.logSettings().fileName, "ZaMoQorin.log");
    ASSERT_FALSE(model.softwareVersions().empty());
    EXPECT_EQ(model.softwareVersions().front().description, "Acquisition API");
    EXPECT_EQ(model.root(3), &model.remoteRoot());
    EXPECT_EQ(model.root(4), nullptr);
}

TEST_F(SystemModelTest, HardwareHeldByAnotherProgramGivesStatus10)
{
    test::BackgroundProcess holder;
    ASSERT_TRUE(holder.start(test::besideMe("core_hardware_holder"), {}, m_site.environment()));
    ASSERT_TRUE(holder.waitForOutput("held\n", std::chrono::seconds(30))) << holder.output();

    std::int32_t status = -1;
    {
        SystemModel model(false, impatientNode());
        status = model.initializeSystem();
        EXPECT_TRUE(hasRow(rows(model.demoRoot()), "Enclosure 0:   QE-R8"));
        EXPECT_EQ(model.localRoot().childCount(), 0u);
    }
    EXPECT_EQ(status, AppStatus::HardwareInUse);

    EXPECT_EQ(holder.finish(), 0) << holder.output();

    // Once the other program is gone the hardware is ours again.
    SystemModel model(false, impatientNode());
    EXPECT_EQ(model.initializeSystem(), AppStatus::Ok);
}

TEST_F(SystemModelTest, MissingDriverLibrary)
{
    setDriverLibraryPath(m_site / "no_such_driver.so");
    SystemModel model(false, impatientNode());
    const std::int32_t status = model.initializeSystem();
    setDriverLibraryPath(std::string());
    EXPECT_EQ(status, AppStatus::DriverNotLoadable);
    EXPECT_EQ(model.localRoot().childCount(), 0u);
}

} // namespace
} // namespace z2e
