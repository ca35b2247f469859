#include "driver/command/driver_target.h"

namespace z2e {

namespace {

std::string target(const char* prefix, std::uint32_t index, const std::string& suffix)
{
    std::string text = prefix + std::to_string(index);
    if (!suffix.empty())
        text += "/" + suffix;
    return text;
}

} // namespace

std::string boardTarget(std::uint32_t board, const std::string& suffix)
{
    return target("BoardID", board, suffix);
}

std::string enclosureTarget(std::uint32_t enclosure, const std::string& suffix)
{
    return target("EnclosureId", enclosure, suffix);
}

} // namespace z2e
