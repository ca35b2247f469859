#include "bench_demo_system.h"

#include "core/description_parser.h"
#include "core/enclosure_node.h"
#include "core/slot_node.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace bench_demo {

namespace {

std::string hex8(unsigned value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string enclosureDescription(int number)
{
    return "<Properties EnclosureID=\"" + std::to_string(number) +
           "\"><EnclosureInfo><Name>QE-R16</Name>"
           "<SerialNumber>" +
           hex8(0xB1E000u + number) +
           "</SerialNumber><UserData>bench rack</UserData>"
           "<UserSlotCnt>" +
           std::to_string(kSlots) +
           "</UserSlotCnt><SlotNoOffset>2</SlotNoOffset>"
           "<SubVersion>1</SubVersion><StarHubSlot>10</StarHubSlot><EncName>0000E116</EncName><EncType>2</EncType>"
           "<EncVersion>1</EncVersion><Kind>Rack</Kind><Writable>true</Writable>"
           "<Options><FanMode>2</FanMode><SyncMaster>1</SyncMaster></Options>"
           "<SystemInfo><EnclosureNo>" +
           std::to_string(number) + "</EnclosureNo><BoardCount>" + std::to_string(kSlots) +
           "</BoardCount></SystemInfo></EnclosureInfo></Properties>";
}

std::string boardDescription(int enclosure, int slot)
{
    const int board = enclosure * kSlots + slot;
    const std::string serial = hex8(0x10A80000u + board);
    std::string text =
        "<Properties BoardID=\"" + std::to_string(board) +
        "\"><BoardInfo>"
        "<BoardName>QA-4032-TEMP</BoardName><DisplayName>QA-4032-TEMP</DisplayName><FamilyName>QA</FamilyName>"
        "<Type>4032-TEMP</Type><SerialNumber>" +
        serial +
        "</SerialNumber><TypeCode>22</TypeCode>"
        "<FWRevision>0300</FWRevision>"
        "<BaseBoard><BaseModel>QBA-32T</BaseModel><BaseVersion>1</BaseVersion><BaseId>22320101</BaseId>"
        "<SerialNumber>" +
        serial +
        "</SerialNumber><BaseBoardTemp Unit=\"degC\">31.5</BaseBoardTemp>"
        "<BaseCal><Date>2024-06-12</Date><BaseBoardTemp>23.7</BaseBoardTemp></BaseCal>"
        "<BaseTest><Passed>true</Passed><Date>2024-06-12</Date><BaseBoardTemp>23.7</BaseBoardTemp></BaseTest>"
        "<SelfCal><FeatureSet>00000001</FeatureSet></SelfCal></BaseBoard>"
        "<ConPanel><ConModel>QPA-32-TC</ConModel><ConVersion>1</ConVersion><SerialNumber>" +
        hex8(0x10C80000u + board) +
        "</SerialNumber><ConPanelTemp Unit=\"degC\">30.1</ConPanelTemp>"
        "<ConCal><Date>2023-05-08</Date><ConPanelTemp>22.5</ConPanelTemp></ConCal>"
        "<ConTest><Passed>true</Passed><Date>2023-05-08</Date><ConPanelTemp>22.5</ConPanelTemp></ConTest></ConPanel>"
        "<E2PromStatus><BaseE2Prom><Status>OK</Status><HeaderStatus>OK</HeaderStatus>"
        "<AutoBackupFile>backup/hw_" +
        serial +
        "_base.xml</AutoBackupFile></BaseE2Prom>"
        "<ConE2Prom><Status>OK</Status><HeaderStatus>OK</HeaderStatus>"
        "<AutoBackupFile>backup/hw_" +
        serial +
        "_con.xml</AutoBackupFile></ConE2Prom></E2PromStatus>"
        "<FeatureList>"
        "<FeatureItem Name=\"Sample rate\" Mask=\"00000003\" Visible=\"true\">"
        "<FeatureValue Value=\"00000000\" Visible=\"true\">20 kS/s</FeatureValue>"
        "<FeatureValue Value=\"00000001\" Visible=\"true\">50 kS/s</FeatureValue>"
        "<FeatureValue Value=\"00000002\" Visible=\"true\">100 kS/s</FeatureValue></FeatureItem>"
        "<FeatureItem Name=\"Anti-alias filter\" Mask=\"00000004\" Visible=\"true\">"
        "<FeatureValue Value=\"00000000\" Visible=\"true\">Off</FeatureValue>"
        "<FeatureValue Value=\"00000004\" Visible=\"true\">On</FeatureValue></FeatureItem>"
        "<FeatureItem Name=\"Service mode\" Mask=\"80000000\" Visible=\"false\">"
        "<FeatureValue Value=\"00000000\" Visible=\"true\">Off</FeatureValue></FeatureItem>"
        "</FeatureList></BoardInfo>"
        "<BoardFeatures><Family>Analog input</Family><Description>32 thermocouple inputs</Description>"
        "<AnalogInputs>32</AnalogInputs><SampleRate>50 kS/s</SampleRate><AntiAliasFilter>Off</AntiAliasFilter>"
        "<ServiceMode Visible=\"false\">Off</ServiceMode></BoardFeatures>"
        "<SystemInfo><EnclosureNo>" +
        std::to_string(enclosure) + "</EnclosureNo><SlotNo>" + std::to_string(slot + 2) + "</SlotNo><ChnNoStart>" +
        std::to_string(board * kChannels) +
        "</ChnNoStart>"
        "<PCIInfo><BusNo>" +
        std::to_string(enclosure + 3) + "</BusNo><DevNo>" + std::to_string(slot) +
        "</DevNo><VendorId>1F3A</VendorId><DeviceId>1F22</DeviceId></PCIInfo></SystemInfo><ChannelProperties>";
    for (int c = 0; c < kChannels; ++c) {
        text += "<AI" + std::to_string(c) +
                "><Mode Mode=\"Thermocouple K\"/><Range Unit=\"V\">0.08</Range>"
                "<Coupling>DC</Coupling><ColdJunction Unit=\"degC\">23.4</ColdJunction>"
                "<ChannelNo>" +
                std::to_string(board * kChannels + c) + "</ChannelNo></AI" + std::to_string(c) + ">";
    }
    return text + "</ChannelProperties></Properties>";
}

struct DemoTexts {
    std::vector<std::string> enclosures;
    std::vector<std::string> boards; // enclosure-major
};

const DemoTexts& demoTexts()
{
    static const DemoTexts texts = [] {
        DemoTexts t;
        for (int e = 0; e < kEnclosures; ++e) {
            t.enclosures.push_back(enclosureDescription(e));
            for (int s = 0; s < kSlots; ++s)
                t.boards.push_back(boardDescription(e, s));
        }
        return t;
    }();
    return texts;
}

const std::string& encNameDocument()
{
    static const std::string text = "<KEY EncName=\"0000E116\"><EncName>0000E116</EncName></KEY>";
    return text;
}

} // namespace

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "zamo2_bench";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
}

std::unique_ptr<z2e::RootNode> parseDemoSystem()
{
    const DemoTexts& texts = demoTexts();
    auto root = std::make_unique<z2e::RootNode>(z2e::SystemKind::Demo);
    std::string caption;
    for (int e = 0; e < kEnclosures; ++e) {
        auto* enclosure = static_cast<z2e::EnclosureNode*>(
            root->addChild(std::make_unique<z2e::EnclosureNode>(z2e::SystemKind::Demo)));
        z2e::DescriptionParser::parseEnclosureDescription(enclosure, e, texts.enclosures[e], encNameDocument(), false);
        for (int s = 0; s < kSlots; ++s)
            z2e::DescriptionParser::parseBoardDescription(enclosure->slotAt(s), texts.boards[e * kSlots + s], caption);
    }
    return root;
}

} // namespace bench_demo
