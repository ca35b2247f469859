#include "cli_output.h"

#include "driver/command/driver_result.h"

#include <iostream>

#include <algorithm>
#include <cstdio>

namespace z2e {
namespace cli {

int exitStatusOf(std::int32_t result)
{
    if (DriverResult::succeeded(result))
        return EXIT_OK;
    return result < EXIT_LARGE_RESULT ? static_cast<int>(result) : EXIT_LARGE_RESULT;
}

namespace {

bool jsonUsageErrors = false;

} // namespace

void setJsonUsageErrors(bool json)
{
    jsonUsageErrors = json;
}

int refusedDestination(const OutputDestination::Result& result)
{
    std::cerr << "zamo2ctl: refused: " << oneLine(result.message) << "\n";
    return EXIT_CANNOT_CREATE;
}

std::string alignedColumns(const std::vector<std::vector<std::string>>& shown)
{
    // Cells hold names and texts of boards, files and nodes.
    std::vector<std::vector<std::string>> rows = shown;
    for (std::vector<std::string>& row : rows)
        std::transform(row.begin(), row.end(), row.begin(), oneLine);
    // UTF-8 continuation bytes take no column of their own.
    const auto width = [](const std::string& text) {
        std::size_t characters = 0;
        for (const char c : text)
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return characters;
    };
    std::vector<std::size_t> widths;
    for (const std::vector<std::string>& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    std::string text;
    for (const std::vector<std::string>& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += row[c] + (c + 1 < row.size() ? std::string(widths[c] - width(row[c]) + 2, ' ') : "");
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line + "\n";
    }
    return text;
}

int usageError(const std::string& message)
{
    std::cerr << "zamo2ctl: " << oneLine(message) << " - see zamo2ctl --help\n";
    if (jsonUsageErrors) {
        Report report;
        report.add("error", std::string("usage"));
        report.add("message", oneLine(message));
        report.add("exitStatus", static_cast<std::int64_t>(EXIT_USAGE));
        std::cout << report.render(true);
    }
    return EXIT_USAGE;
}

void Report::add(const std::string& key, const std::string& text)
{
    m_fields.push_back({key, text, true});
}

void Report::add(const std::string& key, std::int64_t number)
{
    m_fields.push_back({key, std::to_string(number), false});
}

void Report::addFlag(const std::string& key, bool flag)
{
    m_fields.push_back({key, flag ? "true" : "false", false});
}

void Report::addJson(const std::string& key, const std::string& json)
{
    m_fields.push_back({key, json, false});
}

std::string Report::render(bool json) const
{
    std::string out;
    if (json) {
        out = "{";
        for (const Field& f : m_fields) {
            out += (out.size() > 1 ? "," : "") + jsonString(f.key) + ":";
            out += f.quoted ? jsonString(f.value) : f.value;
        }
        return out + "}\n";
    }
    std::size_t width = 0;
    for (const Field& f : m_fields)
        width = std::max(width, f.key.size());
    // Values are read from files, the driver and nodes.
    for (const Field& f : m_fields)
        out += f.key + ":" + std::string(width - f.key.size() + 1, ' ') + oneLine(f.value) + "\n";
    return out;
}

} // namespace cli
} // namespace z2e
