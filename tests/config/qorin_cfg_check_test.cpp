// Validation rules of the driver configuration document.

#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "config/check_diagnostics.h"
#include "config/qorin_cfg_check.h"
#include "config/qorin_cfg_handler.h"
#include "config/simulated_placement_check.h"
#include "xpugi/element.h"

namespace {

using z2e::CheckDiagnostics;
using z2e::QorinCfgCheck;

// The template plus one complete enclosure entry and one complete board entry.
pugi::xml_document baseDocument()
{
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(z2e::QorinCfgHandler::templateText(), pugi::parse_default | pugi::parse_comments));
    pugi::xml_node enclosures =
        xpugi::selectFirst(document.document_element(), "Configuration/Simulation/SimulatedEnclosures");
    pugi::xml_document entry;
    entry.load_string(R"(<ID0><KEY EncName="0000E108"><Name>QE-R8</Name><SubVersion>0</SubVersion>
        <UserSlotCnt>8</UserSlotCnt><SlotNoOffset>2</SlotNoOffset><StarHubSlot>0</StarHubSlot><SystemInfo/></KEY>
        <SerialNumber>00D0E108</SerialNumber><UserData>bench</UserData><EncType>1</EncType><EncVersion>2</EncVersion>
        <FanMode>0</FanMode></ID0>)");
    enclosures.append_copy(entry.document_element());
    pugi::xml_node boards = xpugi::selectFirst(document.document_element(), "Configuration/Simulation/SimulatedBoards");
    entry.load_string(
        R"(<ID0><KEY BaseModel="QBA-16" BaseVersion="3" ConModel="QPA-16-D37" ConVersion="2" FeatureSet="1">
        <FamilyName>QA</FamilyName><Type>4016</Type><ConBv/><DisplayName>QA-4016</DisplayName></KEY>
        <EncNumber>0</EncNumber><SlotNumber>2</SlotNumber><FWRevision>0254</FWRevision><SerialNumber>00A40001</SerialNumber></ID0>)");
    boards.append_copy(entry.document_element());
    return document;
}

pugi::xml_node at(pugi::xml_document& document, const std::string& xpath)
{
    pugi::xml_node node = xpugi::selectFirst(document.document_element(), xpath);
    EXPECT_TRUE(node) << xpath;
    return node;
}

void setText(pugi::xml_document& document, const std::string& xpath, const std::string& text)
{
    pugi::xml_node node = at(document, xpath);
    node.remove_children();
    node.append_child(pugi::node_pcdata).set_value(text.c_str());
}

// Validity of the base document after one edit; findings go to the optional sink.
bool validAfter(const std::function<void(pugi::xml_document&)>& edit, CheckDiagnostics* diagnostics = nullptr)
{
    pugi::xml_document document = baseDocument();
    edit(document);
    QorinCfgCheck check;
    return check.checkDocument(document, diagnostics);
}

const char* const kEnc = "Configuration/Simulation/SimulatedEnclosures";
const char* const kBoards = "Configuration/Simulation/SimulatedBoards";

TEST(QorinCfgCheck, StructureOfTheSections)
{
    // No admitted name anywhere: nothing to object to.
    pugi::xml_document unrelated;
    unrelated.load_string("<settings><Logging/><Definition/></settings>");
    QorinCfgCheck check;
    EXPECT_TRUE(check.checkDocument(unrelated));

    // Logger is documentation under Definition and held to the rules only under Configuration.
    EXPECT_TRUE(validAfter([](pugi::xml_document& d) { at(d, "Definition/Logger").append_child("LogFile"); }));
    CheckDiagnostics diagnostics;
    EXPECT_FALSE(
        validAfter([](pugi::xml_document& d) { at(d, "Configuration/Logger").remove_child("LogFile"); }, &diagnostics));
    ASSERT_EQ(diagnostics.findings().size(), 1u);
    EXPECT_EQ(diagnostics.findings()[0].path, "/zmpxi_api_config/Configuration/Logger");
    EXPECT_NE(diagnostics.findings()[0].reason.find("LogFile"), std::string::npos);

    EXPECT_FALSE(validAfter([](pugi::xml_document& d) { d.document_element().remove_child("Definition"); }));
    EXPECT_FALSE(validAfter([](pugi::xml_document& d) { at(d, "Configuration/Misc").remove_child("ResultType"); }));
    EXPECT_FALSE(
        validAfter([](pugi::xml_document& d) { at(d, "Configuration/Simulation").remove_child("SimulatedBoards"); }));
    // The same names elsewhere are not the configuration's.
    EXPECT_TRUE(validAfter([](pugi::xml_document& d) { at(d, "Definition").append_child("Misc"); }));
}

TEST(QorinCfgCheck, SimulationModeIsCaseSensitive)
{
    EXPECT_TRUE(validAfter(
        [](pugi::xml_document& d) { setText(d, "Configuration/Simulation/SimulationMode", "SIMMODE_OFF"); }));
    EXPECT_FALSE(validAfter(
        [](pugi::xml_document& d) { setText(d, "Configuration/Simulation/SimulationMode", "simmode_off"); }));
    EXPECT_FALSE(
        validAfter([](pugi::xml_document& d) { at(d, "Configuration/Simulation/SimulationMode").remove_children(); }));
}

TEST(QorinCfgCheck, ForeignElementsInTheSimulationSections)
{
    EXPECT_TRUE(
        validAfter([](pugi::xml_document& d) { at(d, kEnc).append_child(pugi::node_comment).set_value("note"); }));
    EXPECT_FALSE(validAfter([](pugi::xml_document& d) { at(d, kEnc).append_child("Extra"); }));
    EXPECT_TRUE(validAfter([](pugi::xml_document& d) { at(d, kBoards).append_child("Extra"); }));
}

TEST(QorinCfgCheck, IntegerTexts)
{
    const std::string enclosureKey = std::string(kEnc) + "/ID0/KEY/";
    const std::string board = std::string(kBoards) + "/ID0/";
    const std::string fields[] = {
        std::string(kBoards) + "/AIScale", board + "EncNumber",          board + "SlotNumber",
        enclosureKey + "SubVersion",       enclosureKey + "UserSlotCnt", enclosureKey + "SlotNoOffset",
        enclosureKey + "StarHubSlot"};
    for (const std::string& field : fields) {
        const auto valid = [&field](const std::string& text) {
            return validAfter([&](pugi::xml_document& d) { setText(d, field, text); });
        };
        // Element texts are trimmed before conversion, as the handler and the driver read them.
        for (const char* good : {"80", "-5", "+7", "-2147483648", " 1"})
            EXPECT_TRUE(valid(good)) << field << " '" << good << "'";
        for (const char* bad : {"3a", "80%", "1 2", "", "+", "-", "8.0", "2147483648", "99999999999"})
            EXPECT_FALSE(valid(bad)) << field << " '" << bad << "'";
    }
}

TEST(QorinCfgCheck, EnclosureEntries)
{
    const std::string entry = std::string(kEnc) + "/ID0";
    EXPECT_TRUE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/UserData").remove_children(); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/EncType").remove_children(); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry).remove_child("UserData"); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/SerialNumber").remove_children(); }));
    // An entry without KEY only needs its own four children.
    EXPECT_TRUE(validAfter([&](pugi::xml_document& d) { at(d, entry).remove_child("KEY"); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/KEY").attribute("EncName").set_value(""); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/KEY").remove_child("SystemInfo"); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/KEY/Name").remove_children(); }));
}

TEST(QorinCfgCheck, BoardEntries)
{
    const std::string entry = std::string(kBoards) + "/ID0";
    EXPECT_TRUE(validAfter([&](pugi::xml_document& d) { at(d, entry).remove_child("KEY"); }));
    EXPECT_TRUE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/SerialNumber").remove_children(); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry).remove_child("SerialNumber"); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/FWRevision").remove_children(); }));
    EXPECT_TRUE(validAfter(
        [&](pugi::xml_document& d) { at(d, entry + "/KEY/ConBv").append_child(pugi::node_pcdata).set_value(""); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/KEY").remove_child("ConBv"); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/KEY/DisplayName").remove_children(); }));
    EXPECT_FALSE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/KEY").remove_attribute("ConModel"); }));
    // FeatureSet is compared when writing but not required.
    EXPECT_TRUE(validAfter([&](pugi::xml_document& d) { at(d, entry + "/KEY").remove_attribute("FeatureSet"); }));
}

TEST(QorinCfgCheck, EveryFaultIsReportedAndNoneSticksToTheNextDocument)
{
    CheckDiagnostics diagnostics;
    pugi::xml_document bad = baseDocument();
    setText(bad, "Configuration/Simulation/SimulationMode", "on");
    setText(bad, std::string(kBoards) + "/ID0/EncNumber", "x");
    at(bad, std::string(kEnc) + "/ID0/EncType").remove_children();
    QorinCfgCheck check;
    EXPECT_FALSE(check.checkDocument(bad, &diagnostics));
    EXPECT_EQ(diagnostics.total(), 3u);
    EXPECT_EQ(diagnostics.findings()[2].path,
              "/zmpxi_api_config/Configuration/Simulation/SimulatedBoards/ID0/EncNumber");

    pugi::xml_document good = baseDocument();
    EXPECT_TRUE(check.checkDocument(good));
    EXPECT_TRUE(check.valid());
}

} // namespace

namespace {

// What the checks call valid, the program keeps: whatever the demo system cannot place is
// reported with why the next save drops it.
TEST(SimulatedPlacementCheck, EntriesTheDemoSystemCannotPlaceAreReported)
{
    using z2e::SimulatedPlacementCheck;
    pugi::xml_document document = baseDocument();
    EXPECT_TRUE(SimulatedPlacementCheck::check(document, nullptr));
    const std::string boardXpath = "Configuration/Simulation/SimulatedBoards/ID0";
    const std::pair<std::function<void(pugi::xml_document&)>, std::string> cases[] = {
        {[&](pugi::xml_document& d) { xpugi::setElementText(at(d, boardXpath + "/EncNumber"), "1"); },
         "EncNumber 1 names no enclosure (there are 1); the next save of the demo system drops it"},
        {[&](pugi::xml_document& d) { xpugi::setElementText(at(d, boardXpath + "/SlotNumber"), "10"); },
         "SlotNumber 10 lies outside the slots 2..9 of enclosure 0"},
        {[&](pugi::xml_document& d) { xpugi::setElementText(at(d, boardXpath + "/SlotNumber"), "1"); },
         "SlotNumber 1 lies outside the slots 2..9"},
        {[&](pugi::xml_document& d) {
             pugi::xml_node boards = at(d, "Configuration/Simulation/SimulatedBoards");
             boards.append_copy(at(d, boardXpath)).set_name("ID1");
         },
         "slot 2 of enclosure 0 already holds ID0"},
        {[&](pugi::xml_document& d) { at(d, boardXpath).remove_child("KEY"); }, "a board without KEY is not read"},
        {[&](pugi::xml_document& d) { at(d, "Configuration/Simulation/SimulatedEnclosures/ID0").remove_child("KEY"); },
         "an enclosure without KEY is not read"},
        {[&](pugi::xml_document& d) {
             pugi::xml_node node = at(d, "Configuration/Simulation/SimulatedEnclosures/ID0/UserData");
             for (std::size_t i = 0; i < z2e::QorinCfgHandler::kMaxNesting; ++i)
                 node = node.append_child("Deeper");
         },
         "elements nested deeper than 64 levels"},
    };
    for (const auto& [change, reason] : cases) {
        pugi::xml_document changed;
        changed.reset(document);
        change(changed);
        CheckDiagnostics diagnostics;
        EXPECT_FALSE(SimulatedPlacementCheck::check(changed, &diagnostics)) << reason;
        ASSERT_FALSE(diagnostics.findings().empty()) << reason;
        EXPECT_NE(diagnostics.findings()[0].reason.find(reason), std::string::npos) << diagnostics.findings()[0].reason;
    }
    // The last slot of the enclosure is one.
    xpugi::setElementText(at(document, boardXpath + "/SlotNumber"), "9");
    EXPECT_TRUE(SimulatedPlacementCheck::check(document, nullptr));
}

} // namespace
