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

void addItemRows(const pugi::xml_node& check, bool gainCalibration, std::vector<std::string>& details)
{
    for (const pugi::xml_node& item : check.children()) {
        if (!startsWith(item.name(), "ID"))
            continue;
        const char* device = item.attribute("Device").value();
        std::string row;
        row.reserve(96);
        row.append("    ").append(::strcasecmp(device, "excitation") == 0 ? "EXC" : device).append("  ");
        row.append(valueOr(item.attribute("Range"), "EmptyNode"))
            .append(":")
            .append(verdictOf(item.attribute("Passed")));
        if (gainCalibration)
            row.append(" (Meas_Gain: ")
                .append(valueOr(item.attribute("Meas_Gain"), "EmptyNode"))
                .append(" Prev_Gain: ")
                .append(valueOr(item.attribute("Old_Gain"), "EmptyNode"))
                .append(")");
        // The measured value, so that a failed check says by how much.
        if (const pugi::xml_attribute value = item.attribute("Value")) {
            const char* unit = item.attribute("Unit").value();
            row.append(" (Value: ").append(value.value());
            if (*unit)
                row.append(" ").append(unit);
            row.append(")");
        }
        row.append(" (Limit: ").append(valueOr(item.attribute("Limit"), "EmptyNode")).append(")");
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
