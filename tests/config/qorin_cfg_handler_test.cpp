// Loading, log settings, demo system mirroring, demo files and safe writing of the
// driver configuration.

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "config/qorin_cfg_check.h"
#include "config/qorin_cfg_handler.h"
#include "support/site.h"
#include "xpugi/element.h"
#include "xpugi/untrusted_parse.h"

namespace {

using z2e::QorinCfgHandler;
using z2e::SimulatedBoardEntry;
using z2e::SimulatedEnclosureEntry;
using z2e::SimulatedSystem;
using z2e::test::filesIn;
using z2e::test::readFile;
using z2e::test::writeFile;

const std::string kBoards = "Configuration/Simulation/SimulatedBoards/";
const std::string kEnclosures = "Configuration/Simulation/SimulatedEnclosures/";
const std::string kLogger = "Configuration/Logger/";

std::string textAt(const pugi::xml_document& document, const std::string& xpath)
{
    return xpugi::elementText(xpugi::selectFirst(document.document_element(), xpath));
}

bool has(const pugi::xml_document& document, const std::string& xpath)
{
    return xpugi::selectFirst(document.document_element(), xpath);
}

// Each path below the document's root has its text.
// The texts at the paths, each followed by '|'.
std::string texts(const pugi::xml_document& document, std::initializer_list<std::string> paths)
{
    std::string joined;
    for (const std::string& path : paths)
        joined += textAt(document, path) + "|";
    return joined;
}

std::string repeated(const std::string& text, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

// A document nested `depth` deep in <b>, inside <a>.
std::string nested(std::size_t depth)
{
    return "<a>" + repeated("<b>", depth) + "x" + repeated("</b>", depth) + "</a>";
}

std::string boardKey(const std::string& baseModel, const std::string& display = "Board")
{
    return "<KEY BaseModel=\"" + baseModel + "\" BaseVersion=\"1\" ConModel=\"QPX-" + baseModel +
           "\" ConVersion=\"1\" FeatureSet=\"00000000\"><FamilyName>QX</FamilyName><Type>" + baseModel +
           "</Type><ConBv/><DisplayName>" + display + "</DisplayName></KEY>";
}

SimulatedEnclosureEntry enclosure(std::uint32_t code, int slots)
{
    SimulatedEnclosureEntry e;
    e.nameCode = code;
    char name[16];
    std::snprintf(name, sizeof name, "%08X", code);
    e.key = std::string("<KEY EncName=\"") + name +
            "\"><Name>QE</Name><SubVersion>0</SubVersion><UserSlotCnt>4</UserSlotCnt><SlotNoOffset>2</SlotNoOffset>"
            "<StarHubSlot>0</StarHubSlot><SystemInfo/></KEY>";
    e.serialNumber = "00D0" + std::string(name).substr(4);
    e.encType = 1;
    e.encVersion = 2;
    e.options = {{"FanMode", "1"}};
    for (int i = 0; i < slots; ++i) {
        z2e::SimulatedSlotEntry slot;
        slot.slotNumber = 2 + i;
        e.slots.push_back(slot);
    }
    return e;
}

void putBoard(SimulatedEnclosureEntry& e, int slotNumber, const std::string& model, const std::string& serial)
{
    auto& slot = e.slots.at(static_cast<std::size_t>(slotNumber - 2));
    slot.hasBoard = true;
    slot.board = SimulatedBoardEntry();
    slot.board.key = boardKey(model);
    slot.board.firmwareRevision = "0100";
    slot.board.serialNumber = serial;
}

// One enclosure, boards A, B, C in slots 2..4; C has no serial number.
SimulatedSystem threeBoards()
{
    SimulatedSystem system;
    system.enclosures.push_back(enclosure(0xE104, 4));
    putBoard(system.enclosures[0], 2, "QBA", "000000A1");
    putBoard(system.enclosures[0], 3, "QBB", "000000B1");
    putBoard(system.enclosures[0], 4, "QBC", "");
    return system;
}

std::string printed(const QorinCfgHandler& handler)
{
    return xpugi::printNode(handler.document());
}

bool documentValid(const QorinCfgHandler& handler)
{
    z2e::QorinCfgCheck check;
    return check.checkDocument(handler.document());
}

class QorinCfgHandlerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(handler.loadConfig(dir / "missing.xml")); }

    z2e::test::ScratchFolder dir;
    QorinCfgHandler handler;
};

TEST_F(QorinCfgHandlerTest, UnusableFilesAreReplacedInMemoryOnly)
{
    EXPECT_TRUE(documentValid(handler));
    EXPECT_EQ(textAt(handler.document(), kBoards + "AIScale"), "80");
    EXPECT_FALSE(handler.pendingInvalidFile()); // nothing on disk to protect

    const std::string path = dir / QorinCfgHandler::kConfigFileName;
    const std::string noDefinition = "<zmpxi_api_config><Configuration/></zmpxi_api_config>";
    writeFile(path, noDefinition);
    ASSERT_TRUE(handler.loadConfig(path));
    EXPECT_EQ(handler.configPath(), path);
    EXPECT_EQ(textAt(handler.document(), kLogger + "LogLevel"), "LogOnError");
    EXPECT_EQ(readFile(path), noDefinition);
    EXPECT_TRUE(handler.pendingInvalidFile());
    EXPECT_EQ(handler.invalidReason().rfind("fails validation: ", 0), 0u) << handler.invalidReason();

    // Values outside the documented lists are the driver's business, not a reason to reject.
    std::string custom = QorinCfgHandler::templateText();
    const std::string level = "<LogLevel>LogOnError</LogLevel>";
    custom.replace(custom.find(level), level.size(), "<LogLevel>Chatty</LogLevel>");
    writeFile(path, custom);
    ASSERT_TRUE(handler.loadConfig(path));
    EXPECT_EQ(textAt(handler.document(), kLogger + "LogLevel"), "Chatty");
    EXPECT_FALSE(handler.pendingInvalidFile());

    EXPECT_EQ(handler.invalidReason(), "");

    writeFile(path, "<zmpxi_api_config>\n<Definition>\n  </Configuration>");
    ASSERT_TRUE(handler.loadConfig(path));
    EXPECT_EQ(textAt(handler.document(), kLogger + "LogLevel"), "LogOnError");
    EXPECT_EQ(handler.invalidReason(), "not XML: Start-end tags mismatch at line 3, column 5");
}

TEST_F(QorinCfgHandlerTest, LoggerSettings)
{
    z2e::DriverLogSettings settings;
    EXPECT_FALSE(handler.readLoggerSettings(nullptr));
    ASSERT_TRUE(handler.readLoggerSettings(&settings));
    EXPECT_EQ(settings.levelOptions.size(), 6u);
    EXPECT_EQ(settings.levelOptions.front(), "LogDeveloperDebug");
    EXPECT_EQ(settings.typeOptions, (std::vector<std::string>{"Normal", "FailSafe", "CrashSafe"}));
    EXPECT_EQ(settings.appendOptions, (std::vector<std::string>{"Append", "Overwrite"}));
    EXPECT_EQ(settings.fileName, "ZaMoQorin.log"); // the command log, not LogFile
    EXPECT_EQ(settings.level, "LogOnError");

    settings.level = "LogFuncCalls";
    settings.append = "Overwrite";
    EXPECT_FALSE(handler.writeLoggerSettings(nullptr));
    // A name without the extension gets it; an empty level leaves the element as it is.
    for (const char* name : {"trace.txt", "trace"}) {
        settings.fileName = name;
        ASSERT_TRUE(handler.writeLoggerSettings(&settings));
        EXPECT_EQ(texts(handler.document(),
                        {kLogger + "LogFile", kLogger + "CmdLogFile", kLogger + "LogLevel", kLogger + "LogAppend"}),
                  "trace_Dev.txt|trace.txt|LogFuncCalls|Overwrite|");
        settings.level.clear();
    }
}

TEST_F(QorinCfgHandlerTest, WritesEntriesInTreeOrder)
{
    SimulatedSystem system = threeBoards();
    system.enclosures[0].slots[0].board.channelModules = {{"AI0", "QM-IEPE"}, {"bad name", "x"}};
    ASSERT_TRUE(handler.writeSimulatedSystem(system));
    EXPECT_TRUE(documentValid(handler));
    const auto& doc = handler.document();
    EXPECT_EQ(xpugi::attributeValue(xpugi::selectFirst(doc.document_element(), kEnclosures + "ID0/KEY"), "EncName"),
              "0000E104");
    EXPECT_EQ(texts(doc, {kEnclosures + "ID0/FanMode", kBoards + "ID1/SlotNumber", kBoards + "ID2/SerialNumber",
                          kBoards + "ID2/ConSerialNumber", kBoards + "ID0/ChannelModules/AI0", kBoards + "AIScale"}),
              "1|3|00000002|00000000|QM-IEPE|80|");
    EXPECT_FALSE(has(doc, kBoards + "ID1/ChannelModules"));
}

TEST_F(QorinCfgHandlerTest, KeepsUnchangedEntriesAndRenumbersAfterARemoval)
{
    ASSERT_TRUE(handler.writeSimulatedSystem(threeBoards()));
    const std::string once = printed(handler);
    ASSERT_TRUE(handler.writeSimulatedSystem(threeBoards()));
    EXPECT_EQ(printed(handler), once);

    // A hand edit of a kept entry survives: unchanged entries are not rewritten.
    xpugi::setElementText(xpugi::selectFirst(handler.document().document_element(), kBoards + "ID1/FWRevision"),
                          "0999");
    SimulatedSystem system = threeBoards();
    system.enclosures[0].slots[0].hasBoard = false;
    ASSERT_TRUE(handler.writeSimulatedSystem(system));
    const auto& doc = handler.document();
    EXPECT_EQ(texts(doc, {kBoards + "ID0/SerialNumber", kBoards + "ID0/FWRevision", kBoards + "ID1/SerialNumber"}),
              "000000B1|0999|00000002|");
    EXPECT_FALSE(has(doc, kBoards + "ID2"));

    // A different model in a slot, or a different enclosure type, rewrites the entry.
    system.enclosures[0] = enclosure(0xE108, 4);
    putBoard(system.enclosures[0], 3, "QBZ", "000000Z1");
    putBoard(system.enclosures[0], 4, "QBC", "");
    ASSERT_TRUE(handler.writeSimulatedSystem(system));
    EXPECT_EQ(texts(doc, {kBoards + "ID0/SerialNumber", kBoards + "ID0/FWRevision", kEnclosures + "ID0/SerialNumber"}),
              "000000Z1|0100|00D0E108|");

    // An empty system clears the entries and nothing else.
    ASSERT_TRUE(handler.writeSimulatedSystem(SimulatedSystem()));
    EXPECT_FALSE(has(doc, kBoards + "ID0") || has(doc, kEnclosures + "ID0"));
    EXPECT_EQ(textAt(doc, kBoards + "AIScale"), "80");
    EXPECT_TRUE(documentValid(handler));
}

TEST_F(QorinCfgHandlerTest, ReadsBackWhatWasWritten)
{
    SimulatedSystem system = threeBoards();
    system.enclosures.push_back(enclosure(0xE204, 2));
    putBoard(system.enclosures[1], 3, "QBD", "000000D1");
    system.enclosures[1].slots[1].board.key = boardKey("QBD", "Shown Name");
    system.enclosures[1].userData = "rack 2";
    ASSERT_TRUE(handler.writeSimulatedSystem(system));

    std::vector<SimulatedEnclosureEntry> enclosures;
    ASSERT_TRUE(handler.readSimulatedEnclosures(enclosures));
    ASSERT_EQ(enclosures.size(), 2u);
    const SimulatedEnclosureEntry& second = enclosures[1];
    EXPECT_EQ(std::tie(second.index, second.nameCode, second.userData, second.encVersion),
              std::make_tuple(1, 0xE204u, std::string("rack 2"), 2));
    ASSERT_EQ(second.options.size(), 1u);
    EXPECT_EQ(second.options[0].name, "FanMode");
    EXPECT_EQ(second.key.rfind("<KEY EncName=\"0000E204\">", 0), 0u);

    std::vector<SimulatedBoardEntry> boards;
    ASSERT_TRUE(handler.readSimulatedBoards(boards));
    ASSERT_EQ(boards.size(), 4u);
    EXPECT_EQ(boards[0].boardName, "Board");
    EXPECT_EQ(std::tie(boards[3].boardName, boards[3].encNumber, boards[3].slotNumber, boards[3].boardIndex),
              std::make_tuple(std::string("Shown Name"), 1, 3, 3));
}

TEST_F(QorinCfgHandlerTest, ReadSkipsEntriesWithoutKeyOrPosition)
{
    const std::string demo = dir / "demo.xml";
    writeFile(demo, R"(<Anything><SimulatedEnclosures><ID0><SerialNumber>1</SerialNumber></ID0></SimulatedEnclosures>
        <SimulatedBoards><ID0><EncNumber>0</EncNumber><SlotNumber>2</SlotNumber></ID0>
        <ID1><KEY><FamilyName>QN</FamilyName><Type>6222</Type><ConBv>B</ConBv></KEY><EncNumber>0</EncNumber><SlotNumber>x</SlotNumber></ID1>
        <ID2><KEY><FamilyName>QN</FamilyName><Type/><ConBv>B</ConBv></KEY><EncNumber>7</EncNumber><SlotNumber>9</SlotNumber></ID2>
        <ID3><KEY><FamilyName>QN</FamilyName><Type>6222</Type><ConBv/><DisplayName> </DisplayName></KEY><EncNumber>0</EncNumber><SlotNumber>2</SlotNumber></ID3>
        </SimulatedBoards></Anything>)");
    ASSERT_EQ(handler.importSimulation(demo), 1);
    std::vector<SimulatedEnclosureEntry> enclosures;
    ASSERT_TRUE(handler.readSimulatedEnclosures(enclosures));
    EXPECT_TRUE(enclosures.empty());
    std::vector<SimulatedBoardEntry> boards;
    ASSERT_TRUE(handler.readSimulatedBoards(boards));
    ASSERT_EQ(boards.size(), 2u);
    EXPECT_EQ(boards[0].boardName + " " + boards[1].boardName, "QN.B QN-6222");
    EXPECT_EQ(boards[1].boardIndex, 1);
}

TEST_F(QorinCfgHandlerTest, ExportImportRoundTrip)
{
    ASSERT_TRUE(handler.writeSimulatedSystem(threeBoards()));
    const std::string demo = dir / "demo.xml";
    std::string text;
    ASSERT_TRUE(handler.exportSimulation(demo, &text));
    EXPECT_EQ(text.rfind("<Simulation><SimulatedEnclosures>", 0), 0u);

    QorinCfgHandler other;
    ASSERT_TRUE(other.loadConfig(dir / "other.xml"));
    ASSERT_EQ(other.importSimulation(demo), 1);
    EXPECT_TRUE(documentValid(other));
    std::string again;
    ASSERT_TRUE(other.exportSimulation("", &again));
    pugi::xml_document withoutComments; // demo files are read without comments
    ASSERT_TRUE(withoutComments.load_string(text.c_str()));
    EXPECT_EQ(again, xpugi::printNode(withoutComments));
    // A demo file carries no mode: importing it drops the old one.
    EXPECT_FALSE(has(other.document(), "Configuration/Simulation/SimulationMode"));

    const std::string before = printed(other);
    writeFile(dir / "broken.xml", "<Simulation>\n<SimulatedBoards>");
    std::string why;
    EXPECT_EQ(other.importSimulation(dir / "broken.xml", &why), 0);
    EXPECT_EQ(why, "not XML: Start-end tags mismatch at line 2, column 17");
    EXPECT_EQ(other.importSimulation(dir / "absent.xml"), 0);
    EXPECT_EQ(printed(other), before);

    // A whole driver configuration gives its simulated system; the mode here stays. As a demo
    // file it would replace the section by its Definition and Configuration.
    ASSERT_TRUE(handler.saveConfig(dir / "full.xml"));
    ASSERT_TRUE(other.loadConfig(dir / "other.xml"));
    ASSERT_EQ(other.importSimulationOrConfiguration(dir / "full.xml"), 1);
    ASSERT_TRUE(other.exportSimulation("", &again));
    EXPECT_EQ(again, xpugi::printNode(withoutComments));
    EXPECT_EQ(textAt(other.document(), "Configuration/Simulation/SimulationMode"), "SIMMODE_NORMAL");
    writeFile(dir / "no-simulation.xml", "<zmpxi_api_config><Configuration/></zmpxi_api_config>");
    EXPECT_EQ(other.importSimulationOrConfiguration(dir / "no-simulation.xml", &why), 0);
    EXPECT_NE(why.find("without SimulatedEnclosures"), std::string::npos) << why;
}

TEST_F(QorinCfgHandlerTest, UnusableFileIsKeptBeforeTheFirstSave)
{
    const std::string path = dir / QorinCfgHandler::kConfigFileName;
    const std::string typo = "<zmpxi_api_config><Definition/><Configuration>oops</Configuration></zmpxi_api_config>";
    writeFile(path, typo);
    ASSERT_TRUE(handler.loadConfig(path));
    ASSERT_TRUE(handler.pendingInvalidFile());

    // Saving elsewhere does not touch the file, so nothing needs keeping yet.
    ASSERT_TRUE(handler.saveConfig(dir / "copy.xml"));
    EXPECT_TRUE(handler.pendingInvalidFile());

    EXPECT_EQ(handler.keptInvalidFile(), "");

    ASSERT_TRUE(handler.saveConfig(path));
    EXPECT_FALSE(handler.pendingInvalidFile());
    const std::vector<std::string> listing = filesIn(dir.path());
    const std::string prefix = std::string(QorinCfgHandler::kConfigFileName) + ".invalid-";
    const auto kept = std::find_if(listing.begin(), listing.end(),
                                   [&](const std::string& name) { return name.rfind(prefix, 0) == 0; });
    ASSERT_NE(kept, listing.end());
    EXPECT_EQ(readFile(dir / *kept), typo);
    EXPECT_EQ(handler.keptInvalidFile(), dir / *kept);

    QorinCfgHandler reloaded;
    ASSERT_TRUE(reloaded.loadConfig(path));
    EXPECT_FALSE(reloaded.pendingInvalidFile()); // what was saved is valid

    ASSERT_TRUE(handler.saveConfig(path));
    EXPECT_EQ(filesIn(dir.path()), listing); // kept once only
}

// A configuration nested 100,000 deep: refused at load, and the check itself stays linear.
TEST_F(QorinCfgHandlerTest, DeepNestingIsRefused)
{
    const std::string deep = "<zmpxi_api_config><Definition/><Configuration>" + repeated("<Logger>", 100000) +
                             repeated("</Logger>", 100000) + "</Configuration></zmpxi_api_config>";
    const std::string path = dir / QorinCfgHandler::kConfigFileName;
    writeFile(path, deep);
    ASSERT_TRUE(handler.loadConfig(path));
    EXPECT_TRUE(handler.pendingInvalidFile());
    EXPECT_EQ(textAt(handler.document(), kLogger + "LogLevel"), "LogOnError"); // the template

    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(deep.c_str()));
    EXPECT_FALSE(QorinCfgHandler::nestingAcceptable(document));
    // Its time against the depth is measured by BM_ConfigCheck_DeepNesting.
    z2e::QorinCfgCheck check;
    EXPECT_FALSE(check.checkDocument(document));

    ASSERT_TRUE(document.load_string(nested(QorinCfgHandler::kMaxNesting).c_str()));
    EXPECT_TRUE(QorinCfgHandler::nestingAcceptable(document));
    ASSERT_TRUE(document.load_string(nested(QorinCfgHandler::kMaxNesting + 1).c_str()));
    EXPECT_FALSE(QorinCfgHandler::nestingAcceptable(document));
}

// A file of millions of tiny elements under the size cap is refused before its parse, as a
// configuration and as a demo file; the largest system the program writes lies far below.
TEST_F(QorinCfgHandlerTest, DocumentsOfTooManyElementsAreRefusedUnread)
{
    SimulatedSystem large;
    for (int e = 0; e < 16; ++e) {
        large.enclosures.push_back(enclosure(0xE116, 16));
        for (int slot = 2; slot < 18; ++slot) {
            putBoard(large.enclosures.back(), slot, "QA-4032", "");
            for (int channel = 0; channel < 32; ++channel)
                large.enclosures.back().slots[slot - 2].board.channelModules.push_back(
                    {"AI" + std::to_string(channel), "MOD-TC"});
        }
    }
    ASSERT_TRUE(handler.writeSimulatedSystem(large));
    const std::string path = dir / QorinCfgHandler::kConfigFileName;
    ASSERT_TRUE(handler.saveConfig(path));
    const std::string text = readFile(path);
    EXPECT_TRUE(xpugi::nodesWithin(text.data(), text.size(), xpugi::kMaxNodes / 30)) << text.size() << " bytes";

    const std::string crowded = "<zmpxi_api_config>" + repeated("<a/>", xpugi::kMaxNodes) + "</zmpxi_api_config>";
    writeFile(path, crowded);
    ASSERT_TRUE(handler.loadConfig(path));
    EXPECT_EQ(handler.invalidReason(), "more than " + std::to_string(xpugi::kMaxNodes) +
                                           " elements and attributes, far more than any driver configuration "
                                           "holds; not read");
    EXPECT_TRUE(handler.pendingInvalidFile());
    EXPECT_TRUE(documentValid(handler)); // the template

    const std::string before = printed(handler);
    std::string why;
    EXPECT_EQ(handler.importSimulationOrConfiguration(path, &why), 0);
    EXPECT_EQ(why, "more than " + std::to_string(xpugi::kMaxNodes) +
                       " elements and attributes, far more than any demo file holds; not read");
    EXPECT_EQ(printed(handler), before);
}

// A driver's enclosure or board key of millions of tiny elements leaves its entry without KEY,
// as a key that does not parse does.
TEST_F(QorinCfgHandlerTest, KeysOfTooManyElementsAreLeftOut)
{
    SimulatedSystem system = threeBoards();
    const std::string tiny = repeated("<a/>", xpugi::kMaxNodes);
    for (std::string* key : {&system.enclosures[0].key, &system.enclosures[0].slots[0].board.key})
        key->insert(key->find("</KEY>"), tiny);
    ASSERT_TRUE(handler.writeSimulatedSystem(system));
    const auto& doc = handler.document();
    EXPECT_FALSE(has(doc, kEnclosures + "ID0/KEY"));
    EXPECT_FALSE(has(doc, kBoards + "ID0/KEY"));
    EXPECT_TRUE(has(doc, kBoards + "ID1/KEY"));
}

// The operator's file behind a symbolic link is the one updated; a killed save's leftover is
// removed at the next load, and a failed save says why.
TEST_F(QorinCfgHandlerTest, SaveWritesThroughLinksCleansUpAndExplainsFailures)
{
    const std::string real = dir / "real.xml";
    const std::string link = dir / QorinCfgHandler::kConfigFileName;
    writeFile(real, QorinCfgHandler::templateText());
    ASSERT_EQ(::symlink("real.xml", link.c_str()), 0);
    ASSERT_TRUE(handler.loadConfig(link));
    z2e::DriverLogSettings settings;
    ASSERT_TRUE(handler.readLoggerSettings(&settings));
    settings.level = "LogAlways";
    ASSERT_TRUE(handler.writeLoggerSettings(&settings));
    ASSERT_TRUE(handler.saveConfig(link));
    struct stat info;
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_NE(readFile(real).find("LogAlways"), std::string::npos);

    const std::string stale = real + ".tmp-Ab12Cd";
    const std::string foreign = real + ".tmp-keep";
    writeFile(stale, "half a file");
    writeFile(foreign, "not ours");
    QorinCfgHandler next;
    ASSERT_TRUE(next.loadConfig(link));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(foreign));

    std::string why;
    EXPECT_FALSE(next.saveConfig(dir / "no/such/folder/config.xml", &why));
    EXPECT_NE(why.find("No such file or directory"), std::string::npos) << why;
}

TEST(QorinCfgHandlerKey, HardwareEnclosureKey)
{
    pugi::xml_document info;
    info.load_string(
        "<EnclosureInfo><UserSlotCnt>8</UserSlotCnt><Name>QE-R8</Name><Other/><SystemInfo/></EnclosureInfo>");
    EXPECT_EQ(QorinCfgHandler::hardwareEnclosureKey(info.document_element()),
              "<KEY EncName=\"UNKNOWN\"><Name>QE-R8</Name><UserSlotCnt>8</UserSlotCnt><SystemInfo/></KEY>");
}

} // namespace
