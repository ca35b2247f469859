#pragma once
// A scratch folder per test with the driver's folders, a hardware description written by the
// test, and the local node connected to it.

#include "core/local_node_session.h"
#include "zmpxi/driver_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace z2e {
namespace testing_tools {

namespace fs = std::filesystem;

/// One board entry of a hardware description; `extra` goes inside the entry (Faults, Literals).
inline std::string boardEntry(int id, const std::string& model, int slot, const std::string& firmware,
                              const std::string& serial, const std::string& extra = "")
{
    std::ostringstream out;
    out << "<ID" << id << "><Model>" << model << "</Model><EncNumber>0</EncNumber><SlotNumber>" << slot
        << "</SlotNumber><FWRevision>" << firmware << "</FWRevision><SerialNumber>" << serial
        << "</SerialNumber>" << extra << "</ID" << id << ">";
    return out.str();
}

inline std::string firmwareCheckLiteral(const std::string& installed, const std::string& latest)
{
    return "<Literals><Document Suffix=\"Base\" Item=\"FWCheck\"><FWCheck><InstalledVersion>" + installed +
           "</InstalledVersion><LatestVersion>" + latest + "</LatestVersion><FileName>x.zfw</FileName>"
           "</FWCheck></Document></Literals>";
}

class ToolsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tools_tests_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        for (const char* sub : {"config", "state", "runtime", "docs"})
            fs::create_directories(m_dir / sub);
        fs::copy_file(fs::path(ZMPXI_SIM_EXAMPLES_DIR) / "zmpxi_api_config.xml", m_dir / "config/zmpxi_api_config.xml");
        ::setenv("ZMPXI_API_CONFIG_DIR", (m_dir / "config").c_str(), 1);
        ::setenv("ZMPXI_SIM_STATE_DIR", (m_dir / "state").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (m_dir / "runtime").c_str(), 1);
        ::setenv("ZAMO2_COMMON_DOCUMENTS", (m_dir / "docs").c_str(), 1);
        ::setenv("ZMPXI_SIM_SPEED", "100000", 1);
        ::unsetenv("ZMPXI_SIM_HARDWARE");
    }

    void TearDown() override
    {
        m_session.reset();
        unloadDriverApi();
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    /// Connects to hardware made of `boards` (entries of boardEntry) in one 16-slot rack.
    QorinNodeUtilWrapper& connectHardware(const std::string& boards)
    {
        const fs::path file = m_dir / "hardware.xml";
        std::ofstream(file) << "<SimulatedHardware><SimulatedEnclosures><ID0><Model>QE-R16</Model>"
                               "<SerialNumber>00B1E116</SerialNumber><UserData/><EncType>2</EncType><EncVersion>1</EncVersion>"
                               "</ID0></SimulatedEnclosures>"
                               "<SimulatedBoards>"
                            << boards << "</SimulatedBoards></SimulatedHardware>";
        ::setenv("ZMPXI_SIM_HARDWARE", file.c_str(), 1);
        return connect("SIMMODE_OFF");
    }

    QorinNodeUtilWrapper& connect(const std::string& mode)
    {
        m_session = std::make_unique<LocalNodeSession>("", mode);
        EXPECT_TRUE(m_session->connected()) << m_session->result();
        return m_session->wrapper();
    }

    std::string maintenance() const { return (m_dir / "docs/maintenance").string(); }

    static std::string fileText(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    fs::path m_dir;
    std::unique_ptr<LocalNodeSession> m_session;
};

} // namespace testing_tools
} // namespace z2e
