#include "eeprom_documents.h"

#include <cstdio>
#include <ctime>

#include <pugixml.hpp>

#include "xml_util.h"

namespace zmpxi_sim {
namespace {

using xml_util::fixed;
using xml_util::unitHash;

std::string revision(const std::string& seed)
{
    return std::to_string(3000 + static_cast<int>(unitHash(seed) * 2000.0));
}

void appendText(pugi::xml_node parent, const char* name, const std::string& value)
{
    parent.append_child(name).text() = value.c_str();
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

} // namespace

std::string EepromDocuments::defaultBase(const BoardModel& model, const std::string& baseVersion,
                                         const std::string& serialNumber, std::uint32_t featureSet)
{
    const std::string seed = serialNumber + model.baseModel;
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("BaseEEPROM");
    root.append_attribute("Name") = model.name.c_str();
    root.append_attribute("Format") = "3";
    pugi::xml_node info = root.append_child("BoardInfo");
    appendText(info, "BaseModel", model.baseModel);
    appendText(info, "BaseVersion", baseVersion);
    appendText(info, "BaseId", ProductCatalog::baseId(model, baseVersion));
    appendText(info, "SerialNumber", serialNumber);
    appendText(info, "TypeCode", std::to_string(model.typeCode));
    appendText(info, "ProductionDate", seededDate(seed + "made", 2022));
    appendText(root, "SVNRevision", revision(seed));
    const std::string calTemp = fixed(22.5 + unitHash(seed + "calT") * 2.0, 1);
    pugi::xml_node factory = root.append_child("FactoryCal");
    appendText(factory, "Date", seededDate(seed + "cal", 2023));
    appendText(factory, "BaseBoardTemp", calTemp);
    appendCal(factory, model.aiChannels, seed);
    pugi::xml_node test = root.append_child("FactoryTest");
    appendText(test, "Passed", "true");
    appendText(test, "Date", seededDate(seed + "cal", 2023));
    appendText(test, "BaseBoardTemp", calTemp);
    pugi::xml_node self = root.append_child("SelfCal");
    appendText(self, "FeatureSet", xml_util::hex8(featureSet));
    appendText(self, "Date", seededDate(seed + "cal", 2023));
    appendCal(self, model.aiChannels, seed);
    return xml_util::print(doc);
}

std::string EepromDocuments::defaultCon(const BoardModel& model, const std::string& serialNumber)
{
    const std::string seed = serialNumber + model.conModel;
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("ConEEPROM");
    root.append_attribute("Name") = model.name.c_str();
    root.append_attribute("Format") = "2";
    pugi::xml_node info = root.append_child("BoardInfo");
    appendText(info, "ConModel", model.conModel);
    appendText(info, "ConVersion", model.conVersion);
    appendText(info, "SerialNumber", serialNumber);
    appendText(root, "SVNRevision", revision(seed));
    const std::string temp = fixed(22.5 + unitHash(seed + "calT") * 2.0, 1);
    pugi::xml_node cal = root.append_child("ConCal");
    appendText(cal, "Date", seededDate(seed + "cal", 2023));
    appendText(cal, "ConPanelTemp", temp);
    pugi::xml_node test = root.append_child("ConTest");
    appendText(test, "Passed", "true");
    appendText(test, "Date", seededDate(seed + "cal", 2023));
    appendText(test, "ConPanelTemp", temp);
    return xml_util::print(doc);
}

bool EepromDocuments::readBase(const std::string& text, BaseFacts& facts)
{
    pugi::xml_document doc;
    if (!load(text, doc))
        return false;
    const pugi::xml_node root = doc.child("BaseEEPROM");
    if (!root.child("BoardInfo"))
        return false;
    BaseFacts read;
    read.name = root.attribute("Name").value();
    read.baseModel = xml_util::text(root, "BoardInfo/BaseModel");
    read.baseVersion = xml_util::text(root, "BoardInfo/BaseVersion");
    read.serialNumber = xml_util::text(root, "BoardInfo/SerialNumber");
    xml_util::parseHex32(xml_util::text(root, "SelfCal/FeatureSet"), read.featureSet);
    read.calDate = xml_util::text(root, "FactoryCal/Date");
    read.calTemp = xml_util::text(root, "FactoryCal/BaseBoardTemp");
    read.testPassed = xml_util::text(root, "FactoryTest/Passed");
    read.testDate = xml_util::text(root, "FactoryTest/Date");
    read.selfCal = readCal(root.child("SelfCal"));
    read.factoryCal = readCal(root.child("FactoryCal"));
    facts = std::move(read);
    return true;
}

bool EepromDocuments::readCon(const std::string& text, ConFacts& facts)
{
    pugi::xml_document doc;
    if (!load(text, doc))
        return false;
    const pugi::xml_node root = doc.child("ConEEPROM");
    if (!root.child("BoardInfo"))
        return false;
    ConFacts read;
    read.name = root.attribute("Name").value();
    read.conModel = xml_util::text(root, "BoardInfo/ConModel");
    read.conVersion = xml_util::text(root, "BoardInfo/ConVersion");
    read.serialNumber = xml_util::text(root, "BoardInfo/SerialNumber");
    read.calDate = xml_util::text(root, "ConCal/Date");
    read.calTemp = xml_util::text(root, "ConCal/ConPanelTemp");
    read.testPassed = xml_util::text(root, "ConTest/Passed");
    read.testDate = xml_util::text(root, "ConTest/Date");
    facts = std::move(read);
    return true;
}

bool EepromDocuments::setFeatureSet(std::string& text, std::uint32_t featureSet)
{
    pugi::xml_document doc;
    if (!load(text, doc) || !doc.child("BaseEEPROM"))
        return false;
    pugi::xml_node self = doc.child("BaseEEPROM").child("SelfCal");
    if (!self)
        self = doc.child("BaseEEPROM").append_child("SelfCal");
    pugi::xml_node set = self.child("FeatureSet");
    if (!set)
        set = self.prepend_child("FeatureSet");
    set.text() = xml_util::hex8(featureSet).c_str();
    text = xml_util::print(doc);
    return true;
}

bool EepromDocuments::setSelfCal(std::string& text, const std::vector<ChannelCal>& cal, const std::string& date)
{
    pugi::xml_document doc;
    if (!load(text, doc) || !doc.child("BaseEEPROM"))
        return false;
    pugi::xml_node self = doc.child("BaseEEPROM").child("SelfCal");
    if (!self)
        self = doc.child("BaseEEPROM").append_child("SelfCal");
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
    text = xml_util::print(doc);
    return true;
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
