#include "tools/eeprom_model_list.h"

#include "uni/number_text.h"
#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace z2e {

namespace {

// Product data: per board type code, the model-name suffixes a board of it may carry
// (`allow`), or those it must not (`allow` false). A plain analog input board keeps any panel
// variant but never becomes a temperature, strain or multi-function board, whose base boards
// differ in what they measure.
struct SuffixRule {
    std::int32_t typeCode;
    bool allow;
    std::initializer_list<const char*> suffixes;
};

const SuffixRule kSuffixRules[] = {
    {10, true, {""}},                            // QX-1000 base board
    {21, false, {"-TEMP", "-STRAIN", "-MULTI"}}, // QA-4008.BNC, QA-4016
    {22, true, {"-TEMP"}},                       // QA-4032-TEMP
    {23, true, {"-STRAIN"}},                     // QA-4116-STRAIN
    {24, true, {"-MULTI"}},                      // QA-2208-MULTI
    {31, false, {"-ISO"}},                       // QC-3104, QC-3108
    {41, false, {"-ISO"}},                       // QD-5032
    {42, true, {"-ISO"}},                        // QD-5064-ISO
    {51, true, {"-CAN"}},                        // QN-6204-CAN
    {52, true, {"-UART"}},                       // QN-6202-UART
    {53, true, {"-COMBO"}},                      // QN-6222-COMBO
};

const char kModel[] = "Model:";
const char kRevision[] = "          Revision:";

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

bool EepromModelList::parse(const std::string& document, std::vector<Entry>& entries)
{
    entries.clear();
    pugi::xml_document xml;
    if (!xpugi::parseUntrusted(xml, document))
        return false;
    for (const pugi::xml_node& node : xml.child("BaseEEPROMEntries").children("Entry")) {
        Entry entry;
        entry.id = node.attribute("Id").value();
        entry.name = node.attribute("Name").value();
        if (!uni::text::parseSignedDecimal(node.attribute("TypeCode").value(), entry.typeCode))
            entry.typeCode = -1;
        entry.baseModel = node.attribute("BaseModel").value();
        entry.baseVersion = node.attribute("BaseVersion").value();
        entries.push_back(entry);
    }
    return true;
}

std::string EepromModelList::suffixOf(const std::string& name)
{
    std::size_t at = name.find('-');
    if (at == std::string::npos)
        return {};
    ++at;
    while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])))
        ++at;
    return name.substr(at);
}

bool EepromModelList::offered(std::int32_t typeCode, const Entry& entry)
{
    if (entry.typeCode != typeCode)
        return false;
    const std::string suffix = suffixOf(entry.name);
    for (const SuffixRule& rule : kSuffixRules) {
        if (rule.typeCode != typeCode)
            continue;
        const bool listed =
            std::any_of(rule.suffixes.begin(), rule.suffixes.end(), [&](const char* s) { return suffix == s; });
        return listed == rule.allow;
    }
    return false;
}

std::vector<EepromModelList::Entry> EepromModelList::offeredEntries(std::int32_t typeCode,
                                                                    const std::vector<Entry>& entries)
{
    std::vector<Entry> chosen;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(chosen),
                 [&](const Entry& entry) { return offered(typeCode, entry); });
    return chosen;
}

std::vector<std::string> EepromModelList::comboTexts(const std::vector<Entry>& entries)
{
    std::size_t longest = 0;
    for (const Entry& entry : entries)
        longest = std::max(longest, entry.name.size());
    std::vector<std::string> texts;
    for (const Entry& entry : entries)
        texts.push_back(entry.name + std::string(longest + 1 - entry.name.size(), ' ') + kModel + entry.baseModel +
                        kRevision + entry.baseVersion);
    return texts;
}

bool EepromModelList::splitComboText(const std::string& text, std::string& name, std::string& model,
                                     std::string& revision)
{
    const auto modelAt = text.find(kModel);
    const auto revisionAt = text.find(kRevision, modelAt == std::string::npos ? 0 : modelAt);
    if (modelAt == std::string::npos || revisionAt == std::string::npos)
        return false;
    name = trimmed(text.substr(0, modelAt));
    model = trimmed(text.substr(modelAt + sizeof kModel - 1, revisionAt - modelAt - (sizeof kModel - 1)));
    revision = trimmed(text.substr(revisionAt + sizeof kRevision - 1));
    return !model.empty() && !revision.empty();
}

} // namespace z2e
