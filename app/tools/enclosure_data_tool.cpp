#include "tools/enclosure_data_tool.h"

#include "core/application_status.h"
#include "core/enclosure_model_name.h"
#include "driver/command/app_status.h"
#include "tools/journalled_change.h"
#include "uni/number_text.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <cctype>

namespace z2e {

namespace {

bool sameWord(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

std::string optionalText(const std::optional<std::int32_t>& value)
{
    return value ? std::to_string(*value) : std::string("None");
}

std::string difference(const char* what, const std::string& wrote, const std::string& read)
{
    return std::string(what) + ": wrote " + wrote + ", read " + read;
}

std::string parametersOf(const EnclosureRecord& record)
{
    std::string text = "EncName=" + uni::text::hex8(record.serialNumber, true) +
                       " EncType=" + std::to_string(record.type) + " EncVersion=" + std::to_string(record.version);
    for (const EnclosureOptionState& option : record.options)
        text += " " + option.name + "=" + optionalText(option.value);
    return text;
}

} // namespace

std::string EnclosureOptionState::valueText() const
{
    if (!value)
        return "None";
    for (const auto& [number, text] : offered) {
        if (number == *value)
            return text;
    }
    return std::to_string(*value);
}

EnclosureOptionState* EnclosureRecord::option(const std::string& optionName)
{
    for (EnclosureOptionState& state : options) {
        if (state.name == optionName)
            return &state;
    }
    return nullptr;
}

EnclosureDataTool::EnclosureDataTool(QorinNodeUtilWrapper& wrapper, MaintenanceJournal* journal)
    : m_wrapper(wrapper), m_journal(journal)
{
}

std::int32_t EnclosureDataTool::read(std::uint32_t enclosure, EnclosureRecord& record)
{
    record = EnclosureRecord();
    record.index = enclosure;
    std::string document;
    const std::int32_t result = m_wrapper.getEnclosureProperties(enclosure, document);
    pugi::xml_document xml;
    if (result >= 1 || !xpugi::parseUntrusted(xml, document))
        return AppStatus::EnclosurePropertiesFailed;
    const pugi::xml_node info = xml.child("Properties").child("EnclosureInfo");
    if (!info)
        return AppStatus::EnclosurePropertiesFailed;
    record.name = info.child_value("Name");
    record.serialText = info.child_value("SerialNumber");
    record.userData = info.child_value("UserData");
    // The serial the tree shows; the name code only where the properties hold no serial.
    if (!parseSerial(record.serialText, record.serialNumber))
        uni::text::parseHex32(info.child_value("EncName"), record.serialNumber);
    uni::text::parseSignedDecimal(info.child_value("EncType"), record.type);
    uni::text::parseSignedDecimal(info.child_value("EncVersion"), record.version);
    for (const pugi::xml_node& option : info.child("Options").children()) {
        EnclosureOptionState state;
        state.name = option.name();
        std::int32_t value = 0;
        if (uni::text::parseSignedDecimal(option.child_value(), value))
            state.value = value;
        record.options.push_back(state);
    }
    const auto& node = m_wrapper.node();
    if (EnclosureModelName::isHostComputer(record.name))
        record.kind = EnclosureKind::NotWritable;
    else if (EnclosureModelName::isNetworkNode(record.name) || (node && !node->isLocal()))
        record.kind = EnclosureKind::NetworkNode;
    readOffers(record);
    return AppStatus::Ok;
}

// The model's options come in the listing's order; options the description names beyond
// them keep their place at the end.
void EnclosureDataTool::readOffers(EnclosureRecord& record)
{
    std::string document;
    pugi::xml_document xml;
    if (m_wrapper.getEnclosureListing(document) >= 1 || !xpugi::parseUntrusted(xml, document))
        return;
    const pugi::xml_node model =
        xml.child("EnclosureListing").find_child_by_attribute("Enclosure", "Name", record.name.c_str());
    std::vector<EnclosureOptionState> ordered;
    for (const pugi::xml_node& option : model.child("Options").children("Option")) {
        EnclosureOptionState state;
        state.name = option.attribute("Name").value();
        if (const EnclosureOptionState* known = record.option(state.name))
            state.value = known->value;
        for (const pugi::xml_node& entry : option.children()) {
            std::int32_t value = 0;
            if (uni::text::parseSignedDecimal(entry.attribute("Value").value(), value))
                state.offered.emplace_back(value, entry.child_value());
        }
        ordered.push_back(state);
    }
    for (const EnclosureOptionState& state : record.options) {
        bool listed = false;
        for (const EnclosureOptionState& done : ordered)
            listed = listed || done.name == state.name;
        if (!listed)
            ordered.push_back(state);
    }
    record.options = ordered;
}

bool EnclosureDataTool::parseSerial(const std::string& text, std::uint32_t& value)
{
    if (text.size() != 8)
        return false;
    for (const char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return uni::text::parseHex32(text, value);
}

bool EnclosureDataTool::choose(EnclosureOptionState& option, const std::string& valueText)
{
    if (sameWord(valueText, "none")) {
        option.value.reset();
        return true;
    }
    std::int32_t number = 0;
    const bool numeric = uni::text::parseSignedDecimal(valueText, number);
    for (const auto& [value, text] : option.offered) {
        if (text == valueText || (numeric && value == number)) {
            option.value = value;
            return true;
        }
    }
    return false;
}

bool EnclosureDataTool::optionsValid(const EnclosureRecord& record)
{
    for (const EnclosureOptionState& option : record.options) {
        if (!option.value || option.offered.empty())
            continue;
        bool offered = false;
        for (const auto& entry : option.offered)
            offered = offered || entry.first == *option.value;
        if (!offered)
            return false;
    }
    return true;
}

EnclosureData EnclosureDataTool::dataOf(const EnclosureRecord& record)
{
    EnclosureData data;
    data.enclosureId = record.index;
    data.propertiesSerial = record.serialText;
    data.userData = record.userData;
    data.serialNumber = record.serialNumber;
    data.type = record.type;
    data.version = record.version;
    for (const EnclosureOptionState& option : record.options)
        data.options.push_back({option.name, option.value});
    return data;
}

std::string EnclosureDataTool::compare(const EnclosureRecord& written, const EnclosureRecord& now)
{
    if (written.serialNumber != now.serialNumber)
        return difference("serial number", uni::text::hex8(written.serialNumber, true),
                          uni::text::hex8(now.serialNumber, true));
    if (written.type != now.type)
        return difference("type", std::to_string(written.type), std::to_string(now.type));
    if (written.version != now.version)
        return difference("version", std::to_string(written.version), std::to_string(now.version));
    for (const EnclosureOptionState& option : written.options) {
        std::optional<std::int32_t> read;
        for (const EnclosureOptionState& state : now.options) {
            if (state.name == option.name)
                read = state.value;
        }
        if (read != option.value)
            return difference(("option " + option.name).c_str(), optionalText(option.value), optionalText(read));
    }
    return "verified";
}

std::int32_t EnclosureDataTool::write(EnclosureRecord record, const std::string& serialText)
{
    m_verification.clear();
    m_message.clear();
    if (!parseSerial(serialText, record.serialNumber)) {
        m_message = "the serial number '" + serialText + "' is not 8 hexadecimal digits";
        return AppStatus::InvalidSerialNumber;
    }
    if (!optionsValid(record)) {
        m_message = "an option holds a value its enclosure does not offer";
        return AppStatus::InvalidSerialNumber;
    }
    if (record.kind == EnclosureKind::NotWritable)
        return AppStatus::EnclosureNotWritable;
    JournalEntry entry;
    entry.enclosure = static_cast<std::int32_t>(record.index);
    entry.model = record.name;
    entry.serial = record.serialText;
    entry.operation = "enclosure-write";
    entry.parameters = parametersOf(record);
    JournalledChange change(m_journal, entry);
    const std::int32_t snapshot = change.snapshot(
        [&](MaintenanceJournal& journal, std::vector<std::string>& files) {
            return journal.snapshotEnclosure(m_wrapper, record.index, record.serialText, entry.operation, files);
        },
        m_message);
    if (snapshot != AppStatus::Ok)
        return snapshot;
    // The properties get the serial entered, so that the tree shows what was written.
    EnclosureRecord written = record;
    written.serialText = uni::text::hex8(record.serialNumber, true);
    std::int32_t result = m_wrapper.writeEnclosureData(dataOf(written));
    if (result == AppStatus::EnclosureUpdated) {
        if (record.kind == EnclosureKind::NetworkNode)
            result = AppStatus::EnclosureUpdatedNodeRestarts;
        EnclosureRecord now;
        m_verification = read(record.index, now) == AppStatus::Ok ? compare(record, now)
                                                                  : "description not readable after the write";
    }
    return change.finish(result, statusMessage(result), m_verification, m_message);
}

} // namespace z2e
