#include "tools/test_verdict.h"

#include "xpugi/untrusted_parse.h"

#include <pugixml.hpp>

#include <strings.h>

#include <cstring>

namespace z2e {

namespace {

bool startsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

const char* valueOr(const pugi::xml_attribute& attribute, const char* empty)
{
    return attribute ? attribute.value() : empty;
}

// A document holds dozens of rows: the texts are compared in place and each row is built in
// one string, as the copies would cost more than the parse.
const char* statusText(const char* passed)
{
    static const struct {
        const char* passed;
        const char* status;
    } kTable[] = {
        {"true", " PASSED"},
        {"false", " FAILED!!"},
        {"undone", " NOT PERFORMED"},
        {"overlimit", " CALIBRATION ERROR"},
        {"setuperror", " CONFIG ERROR"},
        {"hardwareerror", " HARDWARE FAILURE"},
    };
    for (const auto& entry : kTable) {
        if (::strcasecmp(passed, entry.passed) == 0)
            return entry.status;
    }
    return " NOT APPLICABLE";
}

const char* verdictOf(const pugi::xml_attribute& passed)
{
    return passed ? statusText(passed.value()) : " EmptyState";
}

// The attributes of one item row, found in one walk over them (the first of a name counts, as
// a look-up by name would find it); null where the item has none.
struct ItemAttributes {
    const char* device = nullptr;
    const char* range = nullptr;
    const char* passed = nullptr;
    const char* measGain = nullptr;
    const char* oldGain = nullptr;
    const char* value = nullptr;
    const char* unit = nullptr;
    const char* limit = nullptr;

    explicit ItemAttributes(const pugi::xml_node& item)
    {
        for (const pugi::xml_attribute& attribute : item.attributes()) {
            const char* name = attribute.name();
            const char** slot = slotFor(name);
            if (slot && !*slot)
                *slot = attribute.value();
        }
    }

private:
    const char** slotFor(const char* name)
    {
        switch (name[0]) {
        case 'D': return std::strcmp(name, "Device") == 0 ? &device : nullptr;
        case 'R': return std::strcmp(name, "Range") == 0 ? &range : nullptr;
        case 'P': return std::strcmp(name, "Passed") == 0 ? &passed : nullptr;
        case 'M': return std::strcmp(name, "Meas_Gain") == 0 ? &measGain : nullptr;
        case 'O': return std::strcmp(name, "Old_Gain") == 0 ? &oldGain : nullptr;
        case 'V': return std::strcmp(name, "Value") == 0 ? &value : nullptr;
        case 'U': return std::strcmp(name, "Unit") == 0 ? &unit : nullptr;
        case 'L': return std::strcmp(name, "Limit") == 0 ? &limit : nullptr;
        default: return nullptr;
        }
    }
};

const char* orText(const char* value, const char* empty)
{
    return value ? value : empty;
}

void addItemRows(const pugi::xml_node& check, bool gainCalibration, std::vector<std::string>& details)
{
    for (const pugi::xml_node& item : check.children()) {
        if (!startsWith(item.name(), "ID"))
            continue;
        const ItemAttributes found(item);
        const char* device = orText(found.device, "");
        std::string row;
        row.reserve(96);
        row.append("    ").append(::strcasecmp(device, "excitation") == 0 ? "EXC" : device).append("  ");
        row.append(orText(found.range, "EmptyNode"))
            .append(":")
            .append(found.passed ? statusText(found.passed) : " EmptyState");
        if (gainCalibration)
            row.append(" (Meas_Gain: ")
                .append(orText(found.measGain, "EmptyNode"))
                .append(" Prev_Gain: ")
                .append(orText(found.oldGain, "EmptyNode"))
                .append(")");
        // The measured value, so that a failed check says by how much.
        if (found.value) {
            row.append(" (Value: ").append(found.value);
            if (found.unit && *found.unit)
                row.append(" ").append(found.unit);
            row.append(")");
        }
        row.append(" (Limit: ").append(orText(found.limit, "EmptyNode")).append(")");
        details.push_back(std::move(row));
    }
}

} // namespace

std::string TestVerdict::statusOf(const std::string& passed)
{
    return statusText(passed.c_str());
}

bool TestVerdict::read(const std::string& document, std::string& status, std::vector<std::string>& details)
{
    details.clear();
    pugi::xml_document xml;
    if (!xpugi::parseUntrusted(xml, document) || !xml.document_element()) {
        status = " UNKNOWN";
        return false;
    }
    status.clear();
    for (const pugi::xml_node& board : xml.document_element().children()) {
        if (!std::strstr(board.name(), "BoardId"))
            continue;
        status = statusText(board.attribute("Passed").value());
        for (const pugi::xml_node& check : board.children("Check")) {
            const char* target = valueOr(check.attribute("Target"), "EmptyNode");
            std::string row;
            row.reserve(64);
            row.append("  ").append(target).append(":").append(verdictOf(check.attribute("Passed")));
            row.append(" (Limit: ").append(valueOr(check.attribute("Limit"), "EmptyNode")).append(")");
            details.push_back(std::move(row));
            addItemRows(check, std::strcmp(target, "SelfJustage") == 0, details);
        }
    }
    return true;
}

std::string TestVerdict::word(const std::string& status)
{
    const std::size_t first = status.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : status.substr(first);
}

} // namespace z2e
