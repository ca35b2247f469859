#include "eeprom_documents.h"

#include <cstdio>
#include <ctime>

#include <pugixml.hpp>

#include "xml_util.h"

namespace zmpxi_sim {
namespace {

using xml_util::appendText;
using xml_util::fixed;
using xml_util::unitHash;

std::string revision(const std::string& seed)
{
    return std::to_string(3000 + static_cast<int>(unitHash(seed) * 2000.0));
}

void appendCal(pugi::xml_node parent, int channels, const std::string& seed)
{
    for (int ch = 0; ch < channels; ++ch) {
        const std::string channel = "AI" + std::to_string(ch);
        pugi::xml_node id = parent.append_child(("ID" + std::to_string(ch)).c_str());
        id.append_attribute("Channel") = channel.c_str();
        const double gain = 1.0 + (unitHash(seed + channel + "gain") - 0.5) * 0.002;
        const double offset = (unitHash(seed + channel + "offset") - 0.5) * 0.0004;
        id.append_attribute("Gain") = fixed(gain, 6).c_str();
        id.append_attribute("Offset") = fixed(offset, 6).c_str();
    }
}

std::vector<ChannelCal> readCal(const pugi::xml_node& parent)
{
    std::vector<ChannelCal> cal;
    for (pugi::xml_node id : parent.children()) {
        if (!xml_util::startsWith(id.name(), "ID"))
            continue;
        cal.push_back({id.attribute("Gain").as_double(1.0), id.attribute("Offset").as_double(0.0)});
    }
    return cal;
}

bool load(const std::string& text, pugi::xml_document& doc)
{
    return static_cast<bool>(doc.load_buffer(text.data(), text.size()));
}

// The root of a new document, named for `model`, with an empty BoardInfo.
pugi::xml_node newDocument(pugi::xml_document& doc, const char* rootName, const char* format, const BoardModel& model)
{
    pugi::xml_node root = doc.append_child(rootName);
    root.append_attribute("Name") = model.name.c_str();
    root.append_attribute("Format") = format;
    root.append_child("BoardInfo");
    return root;
}

constexpr RecordNames kBaseRecords{"FactoryCal", "FactoryTest", "BaseBoardTemp"};
constexpr RecordNames kConRecords{"ConCal", "ConTest", "ConPanelTemp"};

// A new EEPROM was calibrated and tested on one day, at one temperature.
EepromFacts factoryRecords(const std::string& seed, const std::string& calDate)
{
    EepromFacts facts;
    facts.calDate = calDate.empty() ? EepromDocuments::seededDate(seed + "cal", 2023) : calDate;
    facts.calTemp = fixed(22.5 + unitHash(seed + "calT") * 2.0, 1);
    facts.testPassed = "true";
    facts.testDate = facts.calDate;
    return facts;
}

// Reads a document of kind `rootName`: what both kinds carry, then `readMore(root, facts)`.
// False, leaving `facts` alone, when the text does not parse or lacks the root or BoardInfo.
template <class Facts, class ReadMore>
bool readFacts(const std::string& text, const char* rootName, const RecordNames& names, Facts& facts, ReadMore readMore)
{
    pugi::xml_document doc;
    const pugi::xml_node root = load(text, doc) ? doc.child(rootName) : pugi::xml_node();
    if (!root.child("BoardInfo"))
        return false;
    const std::string cal = std::string(names.cal) + "/";
    const std::string test = std::string(names.test) + "/";
    Facts read;
    read.name = root.attribute("Name").value();
    read.serialNumber = xml_util::text(root, "BoardInfo/SerialNumber");
    read.calDate = xml_util::text(root, (cal + "Date").c_str());
    read.calTemp = xml_util::text(root, (cal + names.temperature).c_str());
    read.testPassed = xml_util::text(root, (test + "Passed").c_str());
    read.testDate = xml_util::text(root, (test + "Date").c_str());
    readMore(root, read);
    facts = std::move(read);
    return true;
}

// Edits the SelfCal record of a base EEPROM document in place; false when the text is none.
template <class Edit>
bool editSelfCal(std::string& text, Edit edit)
{
    pugi::xml_document doc;
    if (!load(text, doc) || !doc.child("BaseEEPROM"))
        return false;
    pugi::xml_node self = doc.child("BaseEEPROM").child("SelfCal");
    if (!self)
        self = doc.child("BaseEEPROM").append_child("SelfCal");
    edit(self);
    text = xml_util::print(doc);
    return true;
}

} // namespace

std::string EepromDocuments::defaultBase(const BoardModel& model, const std::string& baseVersion,
                                         const std::string& serialNumber, std::uint32_t featureSet,
                                         const std::string& calDate)
{
    const std::string seed = serialNumber + model.baseModel;
    pugi::xml_document doc;
    pugi::xml_node root = newDocument(doc, "BaseEEPROM", "3", model);
    const pugi::xml_node info = root.child("BoardInfo");
    appendText(info, "BaseModel", model.baseModel);
    appendText(info, "BaseVersion", baseVersion);
    appendText(info, "BaseId", ProductCatalog::baseId(model, baseVersion));
    appendText(info, "SerialNumber", serialNumber);
    appendText(info, "TypeCode", std::to_string(model.typeCode));
    appendText(info, "ProductionDate", seededDate(seed + "made", 2022));
    appendText(root, "SVNRevision", revision(seed));
    const EepromFacts factory = factoryRecords(seed, calDate);
    appendCal(appendRecords(root, kBaseRecords, factory), model.aiChannels, seed);
    pugi::xml_node self = root.append_child("SelfCal");
    appendText(self, "FeatureSet", xml_util::hex8(featureSet));
    appendText(self, "Date", factory.calDate);
    appendCal(self, model.aiChannels, seed);
    return xml_util::print(doc);
}

std::string EepromDocuments::defaultCon(const BoardModel& model, const std::string& serialNumber,
                                        const std::string& calDate)
{
    const std::string seed = serialNumber + model.conModel;
    pugi::xml_document doc;
    pugi::xml_node root = newDocument(doc, "ConEEPROM", "2", model);
    const pugi::xml_node info = root.child("BoardInfo");
    appendText(info, "ConModel", model.conModel);
    appendText(info, "ConVersion", model.conVersion);
    appendText(info, "SerialNumber", serialNumber);
    appendText(root, "SVNRevision", revision(seed));
    appendRecords(root, kConRecords, factoryRecords(seed, calDate));
    return xml_util::print(doc);
}

bool EepromDocuments::readBase(const std::string& text, BaseFacts& facts)
{
    return readFacts(text, "BaseEEPROM", kBaseRecords, facts, [](const pugi::xml_node& root, BaseFacts& read) {
        read.baseModel = xml_util::text(root, "BoardInfo/BaseModel");
        read.baseVersion = xml_util::text(root, "BoardInfo/BaseVersion");
        xml_util::parseHex32(xml_util::text(root, "SelfCal/FeatureSet"), read.featureSet);
        read.selfCal = readCal(root.child("SelfCal"));
        read.factoryCal = readCal(root.child("FactoryCal"));
    });
}

bool EepromDocuments::readCon(const std::string& text, ConFacts& facts)
{
    return readFacts(text, "ConEEPROM", kConRecords, facts, [](const pugi::xml_node& root, ConFacts& read) {
        read.conModel = xml_util::text(root, "BoardInfo/ConModel");
        read.conVersion = xml_util::text(root, "BoardInfo/ConVersion");
    });
}

bool EepromDocuments::setFeatureSet(std::string& text, std::uint32_t featureSet)
{
    return editSelfCal(text, [&](pugi::xml_node self) {
        pugi::xml_node set = self.child("FeatureSet");
        if (!set)
            set = self.prepend_child("FeatureSet");
        set.text() = xml_util::hex8(featureSet).c_str();
    });
}

bool EepromDocuments::setSelfCal(std::string& text, const std::vector<ChannelCal>& cal, const std::string& date)
{
    return editSelfCal(text, [&](pugi::xml_node self) {
        if (!self.child("Date"))
            self.append_child("Date");
        self.child("Date").text() = date.c_str();
        std::size_t index = 0;
        for (pugi::xml_node id : self.children()) {
            if (!xml_util::startsWith(id.name(), "ID") || index >= cal.size())
                continue;
            id.attribute("Gain").set_value(xml_util::fixed(cal[index].gain, 6).c_str());
            id.attribute("Offset").set_value(xml_util::fixed(cal[index].offset, 6).c_str());
            ++index;
        }
    });
}

pugi::xml_node EepromDocuments::appendRecords(pugi::xml_node parent, const RecordNames& names, const EepromFacts& facts)
{
    pugi::xml_node cal = parent.append_child(names.cal);
    appendText(cal, "Date", facts.calDate);
    appendText(cal, names.temperature, facts.calTemp);
    pugi::xml_node test = parent.append_child(names.test);
    appendText(test, "Passed", facts.testPassed);
    appendText(test, "Date", facts.testDate);
    appendText(test, names.temperature, facts.calTemp);
    return cal;
}

std::string EepromDocuments::seededDate(const std::string& seed, int firstYear)
{
    const std::uint32_t h = xml_util::hash(seed);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", firstYear + static_cast<int>(h % 2),
                  1 + static_cast<int>((h / 2) % 12), 1 + static_cast<int>((h / 24) % 28));
    return buffer;
}

std::string EepromDocuments::today()
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &parts);
    return buffer;
}

} // namespace zmpxi_sim
