#pragma once
// Target texts of the driver's parameter tree.

#include <cstdint>
#include <string>

namespace z2e {

/// "BoardID<index>", plus "/<suffix>" when the suffix is not empty.
std::string boardTarget(std::uint32_t board, const std::string& suffix = {});

/// "EnclosureId<id>", plus "/<suffix>" when the suffix is not empty.
std::string enclosureTarget(std::uint32_t enclosure, const std::string& suffix = {});

} // namespace z2e
