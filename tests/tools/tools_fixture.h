#pragma once
// A site per test without hardware, a hardware description written by the test, and the
// local node connected to it.

#include "support/hardware_description.h"
#include "support/local_node_fixture.h"
#include "support/process.h"
#include "support/site.h"
#include "support/zamo2ctl_run.h"

#include "core/local_node_session.h"
#include "tools/maintenance_journal.h"
#include "zmpxi/driver_api.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace z2e {
namespace testing_tools {

namespace fs = std::filesystem;

using test::boardEntry;
using test::ctl;
using test::expectRun;
using test::firmwareCheckLiteral;
using test::holds;

using Strings = std::vector<std::string>;

/// A cancel flag that is never raised.
inline const std::atomic<bool> kGo{false};

/// Field `name` of each of the journal's `lines`.
inline Strings fieldOf(const Strings& lines, const std::string& name)
{
    Strings values;
    for (const std::string& line : lines)
        values.push_back(MaintenanceJournal::field(line, name));
    return values;
}

/// A journal entry of `operation` on the board with `serial`.
inline JournalEntry entryOf(const std::string& serial, const std::string& operation, std::int32_t result = 0)
{
    JournalEntry entry;
    entry.serial = serial;
    entry.operation = operation;
    entry.result = result;
    return entry;
}

/// A literal document `item` of a board, for boardEntry's `extra`.
inline std::string literal(const std::string& item, const std::string& document)
{
    return "<Literals><Document Item=\"" + item + "\"><![CDATA[" + document + "]]></Document></Literals>";
}

class ToolsTest : public ::testing::Test {
protected:
    void SetUp() override { m_site.enter(); }

    void TearDown() override
    {
        m_session.reset();
        unloadDriverApi();
    }

    /// Connects to hardware made of `boards` (entries of boardEntry) in one 16-slot rack.
    QorinNodeUtilWrapper& connectHardware(const std::string& boards)
    {
        useHardware(boards);
        return connect("SIMMODE_OFF");
    }

    /// Hardware made of `boards` for this process and the processes it starts.
    void useHardware(const std::string& boards)
    {
        m_hardware.reset(); // its value back before the new one is set
        const std::string file = m_site / "hardware.xml";
        test::writeFile(file, test::rackHardware(boards));
        m_hardware = std::make_unique<test::EnvOverride>("ZMPXI_SIM_HARDWARE", file);
    }

    /// Board `board`'s base (or connector) EEPROM as the connected driver reads it.
    std::string eeprom(std::uint32_t board, bool base = true)
    {
        std::string document;
        QorinNodeUtilWrapper& wrapper = m_session->wrapper();
        EXPECT_EQ(base ? wrapper.getBaseEeprom(board, document) : wrapper.getConEeprom(board, document), 0);
        return document;
    }

    QorinNodeUtilWrapper& connect(const std::string& mode)
    {
        m_session = std::make_unique<LocalNodeSession>("", mode);
        EXPECT_TRUE(m_session->connected()) << m_session->result();
        return m_session->wrapper();
    }

    std::string maintenance() const { return m_site / "documents/maintenance"; }
    /// The maintenance folder zamo2ctl and the window use (below the site's documents folder).
    std::string journalFolder() const { return m_site / "documents/Norvale/zamo2explorer/maintenance"; }
    /// The example hardware, in place of none.
    void useExampleHardware()
    {
        m_hardware =
            std::make_unique<test::EnvOverride>("ZMPXI_SIM_HARDWARE", test::simExamplesDir() + "/hardware.xml");
    }

    test::SimSite m_site{test::SiteOptions{false, true}};
    fs::path m_dir{m_site.root()};
    std::unique_ptr<test::EnvOverride> m_hardware;
    std::unique_ptr<LocalNodeSession> m_session;
};

/// The scripted driver behind a ready wrapper, a scratch folder and a journal in it.
class ScriptedToolsTest : public test::FakeDriverTest {
protected:
    /// Connects with `boards` reported by the driver.
    void connectReady(std::int32_t boards)
    {
        connectWith(boards);
        m_wrapper.setReady(true);
    }

    /// A file of the scratch folder holding `content`; its path.
    std::string file(const std::string& name, const std::string& content) const
    {
        const std::string path = m_scratch / name;
        test::writeFile(path, content);
        return path;
    }

    test::ScratchFolder m_scratch{"z2e-scripted"};
    MaintenanceJournal m_journal{m_scratch / "maintenance", "local"};
    QorinNodeUtilWrapper m_wrapper{std::shared_ptr<qorinet_api::QORINetIfClientNode>(&node, [](auto*) {})};
};

/// zamo2ctl as a child process on the example hardware, stdin not a terminal.
class Zamo2ctlTest : public ToolsTest {
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        useExampleHardware();
    }
};

} // namespace testing_tools
} // namespace z2e
