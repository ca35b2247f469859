// zamo2ctl versions, logging, report-package and overview on the example hardware.

#include "tools_fixture.h"

#include "support/report_archive.h"

#include "core/slot_node.h"
#include "core/system_model.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <set>

namespace z2e {
namespace {

using namespace testing_tools;
using test::readArchive;
using test::validUtf8Text;
namespace pt = boost::property_tree;

using Zamo2ctlReport = Zamo2ctlTest;

// Board serials by system name, as the inventory lists them.
std::map<std::string, std::set<std::string>> inventorySerials(const pt::ptree& inventory)
{
    std::map<std::string, std::set<std::string>> serials;
    for (const auto& [unused, system] : inventory.get_child("systems")) {
        std::set<std::string>& found = serials[system.get<std::string>("name")];
        for (const auto& [unused2, enclosure] : system.get_child("enclosures")) {
            for (const auto& [unused3, board] : enclosure.get_child("boards"))
                found.insert(board.get<std::string>("serial"));
        }
    }
    return serials;
}

std::set<std::string> treeSerials(const RootNode& root)
{
    std::set<std::string> serials;
    for (const auto& enclosure : root.children()) {
        for (const auto& child : enclosure->children()) {
            const auto* slot = dynamic_cast<const SlotNode*>(child.get());
            if (slot && slot->holdsBoard())
                serials.insert(slot->serialNumber);
        }
    }
    return serials;
}

TEST_F(Zamo2ctlReport, PackageHoldsTheLogsTheJournalAndAnInventoryOfTheTrees)
{
    std::string out;
    std::string err;
    EXPECT_EQ(run("selftest --board 1", out), 65); // a journal with a failed verdict
    const std::string package = m_site / "report.zip";
    ASSERT_EQ(run("report-package " + package, out, &err), 0) << err;

    const auto entries = readArchive(package);
    for (const char* name : {"inventory.json", "inventory.html", "maintenance/history.jsonl"})
        EXPECT_EQ(entries.count(name), 1u) << name << "\n" << out;
    bool driverLog = false;
    for (const auto& file : fs::recursive_directory_iterator(m_site.configFolder() + "/log"))
        driverLog = driverLog || entries.count(fs::relative(file.path(), m_site.configFolder() + "/log").string()) == 1;
    EXPECT_TRUE(driverLog) << out;
    EXPECT_NE(out.find("  inventory.json  "), std::string::npos) << out;

    const std::string json = entries.at("inventory.json").content;
    EXPECT_TRUE(validUtf8Text(json));
    pt::ptree inventory;
    std::istringstream text(json);
    ASSERT_NO_THROW(pt::read_json(text, inventory)) << json;
    SystemModel model(false);
    ASSERT_EQ(model.initializeSystem(), 0);
    const auto serials = inventorySerials(inventory);
    EXPECT_EQ(serials.at("local"), treeSerials(model.localRoot()));
    EXPECT_EQ(serials.at("demo"), treeSerials(model.demoRoot()));
    EXPECT_EQ(serials.at("local").size(), 8u);
    EXPECT_NE(json.find("\"serial\":\"10A80002\",\"conSerial\":\"10C80002\",\"firmware\":{\"installed\":\"0274\","
                        "\"latest\":\"0274\"}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"operation\":\"selftest\",\"result\":0,\"verdict\":\" FAILED!!\""), std::string::npos)
        << json;
    EXPECT_EQ(inventory.get_child("versions").front().second.get<std::string>("component"), "ZAMO2Explorer");

    const std::string html = entries.at("inventory.html").content;
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("10A80002"), std::string::npos);
    for (const char* external : {"<script", "src=", "href=", "@import", "url("})
        EXPECT_EQ(html.find(external), std::string::npos) << external;
}

TEST_F(Zamo2ctlReport, LoggingSettingsAndAPackageWithNothingToCollect)
{
    std::string out;
    std::string err;
    ASSERT_EQ(run("logging set --file trace --level LogOff", out, &err), 0) << err;
    EXPECT_NE(out.find("file:      trace.log\n"), std::string::npos) << out;
    const std::string config = test::readFile(m_site.configFile());
    EXPECT_NE(config.find("<LogLevel>LogOff</LogLevel>"), std::string::npos) << config;
    EXPECT_NE(config.find("<CmdLogFile>trace.log</CmdLogFile>"), std::string::npos) << config;
    EXPECT_NE(config.find("<LogFile>trace_Dev.log</LogFile>"), std::string::npos) << config;
    EXPECT_EQ(run("logging set --level LogLoud", out, &err), 64);
    EXPECT_EQ(test::readFile(m_site.configFile()), config);

    // The driver logs nothing now; its folder holds only its lock.
    const std::string logs = m_site.configFolder() + "/log";
    fs::remove_all(logs);
    fs::create_directories(logs);
    test::writeFile(logs + "/lock_file", "");
    const std::string package = m_site / "report.zip";
    EXPECT_EQ(run("report-package " + package, out, &err), 9);
    EXPECT_NE(err.find("Warning! No files to collect for report package!"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(package));

    test::writeFile(logs + "/ZaMoQorin.log", "line\n");
    EXPECT_EQ(run("report-package " + (m_site / "missing/report.zip"), out, &err), 73);
    EXPECT_NE(err.find("Error! Cannot create package file in requested directory!"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(m_site / "missing"));
}

TEST_F(Zamo2ctlReport, VersionsAndOverview)
{
    std::string out;
    ASSERT_EQ(run("versions --json", out), 0);
    EXPECT_EQ(out.rfind("{\"versions\":[{\"component\":\"ZAMO2Explorer\",\"fileName\":\"\",\"version\":\"2.5.48441.00\","
                        "\"comment\":\"Revision: ",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find("{\"component\":\"Acquisition API\",\"fileName\":\"libzmpxi_api_x64.so\""), std::string::npos)
        << out;
    ASSERT_EQ(run("--driver /nonexistent/libnone.so versions --json", out), 0);
    EXPECT_NE(out.find("\"version\":\"Driver Not Loaded\""), std::string::npos) << out;

    // The report as saved: each board's enclosure and slot (as the tree numbers them) first.
    ASSERT_EQ(run("overview --csv", out), 0);
    EXPECT_EQ(out.substr(0, out.find('\n') + 1), "Enclosure,Slot,Board Name,Base Serial,Base Cal Date,Con Serial\r\n");
    EXPECT_NE(out.find("\r\n0,3,QA-4116-STRAIN,"), std::string::npos) << out;
    EXPECT_NE(out.find("\r\n1,3,QC-3104,"), std::string::npos) << out;
    ASSERT_EQ(run("overview --extended --json --system demo", out), 0);
    pt::ptree overview;
    std::istringstream text(out);
    ASSERT_NO_THROW(pt::read_json(text, overview)) << out;
    EXPECT_EQ(overview.get_child("columns").size(), 19u);
    EXPECT_EQ(overview.get_child("columns").front().second.get_value<std::string>(), "Enclosure");
    EXPECT_EQ(overview.get_child("rows").front().second.front().second.get_value<std::string>(), "0");
    EXPECT_EQ((++overview.get_child("rows").front().second.begin())->second.get_value<std::string>(), "2");
    EXPECT_EQ(overview.get_child("columns").back().second.get_value<std::string>(), "Con Test Result");
    EXPECT_EQ(overview.get_child("rows").size(), 6u);
    EXPECT_EQ(run("overview --json --csv", out), 64);
}

} // namespace
} // namespace z2e
