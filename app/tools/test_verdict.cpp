#include "tools/test_verdict.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace z2e {

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

std::string valueOr(const pugi::xml_attribute& attribute, const char* empty)
{
    return attribute ? std::string(attribute.value()) : std::string(empty);
}

std::string verdictOf(const pugi::xml_attribute& passed)
{
    return passed ? TestVerdict::statusOf(passed.value()) : std::string(" EmptyState");
}

std::string deviceText(const pugi::xml_node& item)
{
    const std::string device = item.attribute("Device").value();
    return lower(device) == "excitation" ? std::string("EXC") : device;
}

void addItemRows(const pugi::xml_node& check, bool gainCalibration, std::vector<std::string>& details)
{
    for (const pugi::xml_node& item : check.children()) {
        if (!startsWith(item.name(), "ID"))
            continue;
        std::string row = "    " + deviceText(item) + "  " + valueOr(item.attribute("Range"), "EmptyNode") + ":" +
                          verdictOf(item.attribute("Passed"));
        if (gainCalibration)
            row += " (Meas_Gain: " + valueOr(item.attribute("Meas_Gain"), "EmptyNode") +
                   " Prev_Gain: " + valueOr(item.attribute("Old_Gain"), "EmptyNode") + ")";
        // The measured value, so that a failed check says by how much.
        if (const pugi::xml_attribute value = item.attribute("Value")) {
            const std::string unit = item.attribute("Unit").value();
            row += " (Value: " + std::string(value.value()) + (unit.empty() ? "" : " " + unit) + ")";
        }
        row += " (Limit: " + valueOr(item.attribute("Limit"), "EmptyNode") + ")";
        details.push_back(row);
    }
}

} // namespace

std::string TestVerdict::statusOf(const std::string& passed)
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
    const std::string key = lower(passed);
    for (const auto& entry : kTable) {
        if (key == entry.passed)
            return entry.status;
    }
    return " NOT APPLICABLE";
}

bool TestVerdict::read(const std::string& document, std::string& status, std::vector<std::string>& details)
{
    details.clear();
    pugi::xml_document xml;
    if (!xml.load_string(document.c_str()) || !xml.document_element()) {
        status = " UNKNOWN";
        return false;
    }
    status.clear();
    for (const pugi::xml_node& board : xml.document_element().children()) {
        if (!std::strstr(board.name(), "BoardId"))
            continue;
        status = statusOf(board.attribute("Passed").value());
        for (const pugi::xml_node& check : board.children("Check")) {
            const std::string target = valueOr(check.attribute("Target"), "EmptyNode");
            details.push_back("  " + target + ":" + verdictOf(check.attribute("Passed")) +
                              " (Limit: " + valueOr(check.attribute("Limit"), "EmptyNode") + ")");
            addItemRows(check, target == "SelfJustage", details);
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
