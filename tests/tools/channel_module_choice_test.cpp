#include "tools_fixture.h"

#include "core/demo_status.h"
#include "core/demo_system_editor.h"
#include "core/slot_node.h"
#include "core/system_model.h"
#include "tools/channel_module_choice.h"

#include <pugixml.hpp>

namespace z2e {
namespace {

using namespace testing_tools;

class ChannelModuleTest : public ToolsTest {
protected:
    void TearDown() override
    {
        m_editor.reset();
        m_model.reset();
        ToolsTest::TearDown();
    }

    void start()
    {
        m_model = std::make_unique<SystemModel>(false);
        ASSERT_EQ(m_model->initializeSystem(), AppStatus::Ok);
        m_editor = std::make_unique<DemoSystemEditor>(*m_model);
    }

    // The modules of the saved configuration's board in enclosure 0, slot 3.
    std::vector<std::string> savedModules() const
    {
        pugi::xml_document config;
        EXPECT_TRUE(config.load_file(m_site.configFile().c_str()));
        std::vector<std::string> modules;
        for (const pugi::xpath_node& board : config.select_nodes("//SimulatedBoards/*")) {
            if (std::string(board.node().child_value("SlotNumber")) != "3")
                continue;
            for (const pugi::xml_node& module : board.node().child("ChannelModules").children())
                modules.push_back(std::string(module.name()) + "=" + module.child_value());
        }
        return modules;
    }

    std::unique_ptr<SystemModel> m_model;
    std::unique_ptr<DemoSystemEditor> m_editor;
};

TEST_F(ChannelModuleTest, ChosenModuleIsSavedIntoTheConfiguration)
{
    start();
    SlotNode* slot = m_editor->slotAt(0, 3);
    ASSERT_TRUE(slot && slot->holdsBoard());
    const std::vector<std::string> offered = {"QM-VOLT", "QM-IEPE", "QM-BRIDGE", "QM-TC"};
    EXPECT_EQ(ChannelModuleChoice::offered(*slot), offered);
    EXPECT_EQ(ChannelModuleChoice::current(*slot), "QM-IEPE");
    const std::vector<std::string> before = savedModules();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.front(), "AI0=QM-IEPE");

    std::string message;
    EXPECT_EQ(ChannelModuleChoice::apply(*m_model, *m_editor, *slot, "QM-XX", message), DemoStatus::NoSuchElement);
    EXPECT_FALSE(m_editor->hasUnsavedChanges());
    EXPECT_EQ(ChannelModuleChoice::current(*slot), "QM-IEPE");

    ASSERT_EQ(ChannelModuleChoice::apply(*m_model, *m_editor, *slot, "QM-TC", message), DemoStatus::Ok) << message;
    EXPECT_TRUE(m_model->hasUnsavedChanges());
    EXPECT_EQ(savedModules(), before); // nothing written before the save
    ASSERT_EQ(m_editor->saveConfiguration(), DemoStatus::Ok) << m_editor->lastError();
    const std::vector<std::string> after = savedModules();
    ASSERT_EQ(after.size(), 8u);
    EXPECT_EQ(after.front(), "AI0=QM-TC");
    EXPECT_EQ(after.back(), "AI7=QM-TC");

    // The same module again is no change.
    m_model->setUnsavedChanges(false);
    ASSERT_EQ(ChannelModuleChoice::apply(*m_model, *m_editor, *slot, "QM-TC", message), DemoStatus::Ok);
    EXPECT_FALSE(m_editor->hasUnsavedChanges());
    // A board without modules is not editable here.
    EXPECT_EQ(ChannelModuleChoice::apply(*m_model, *m_editor, *m_editor->slotAt(0, 2), "QM-TC", message),
              DemoStatus::NotEditable);
}

} // namespace
} // namespace z2e
