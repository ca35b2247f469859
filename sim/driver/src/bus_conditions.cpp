#include "bus_conditions.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace zmpxi_sim {
namespace {

bool number(const std::string& text, unsigned long maximum, unsigned long& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    value = std::strtoul(text.c_str(), nullptr, 10);
    return errno == 0 && value <= maximum;
}

} // namespace

BusConditions BusConditions::parse(const std::string& text, std::string& error)
{
    BusConditions conditions;
    std::istringstream pairs(text);
    std::string pair;
    while (std::getline(pairs, pair, ',')) {
        if (pair.empty())
            continue;
        const std::size_t equals = pair.find('=');
        const std::string key = pair.substr(0, equals);
        const std::string text = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
        unsigned long value = 0;
        const bool isLoad = key == "can-load";
        const bool isTraffic = key == "can-traffic";
        if (!number(text, isLoad ? 90 : isTraffic ? 50000 : 1000000, value)) {
            error = "bad value in \"" + pair + "\"";
            return BusConditions();
        }
        if (isLoad)
            conditions.canLoadPercent = static_cast<int>(value);
        else if (key == "can-error-every")
            conditions.canErrorEvery = static_cast<std::uint32_t>(value);
        else if (key == "uart-noise-every")
            conditions.uartNoiseEvery = static_cast<std::uint32_t>(value);
        else if (isTraffic)
            conditions.canTrafficPerSecond = static_cast<std::uint32_t>(value);
        else {
            error = "unknown setting \"" + key + "\"";
            return BusConditions();
        }
    }
    return conditions;
}

} // namespace zmpxi_sim
