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
    for (const Field& f : m_fields)
        out += f.key + ":" + std::string(width - f.key.size() + 1, ' ') + f.value + "\n";
    return out;
}

} // namespace cli
} // namespace z2e
