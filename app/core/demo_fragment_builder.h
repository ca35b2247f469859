#pragma once
// Requests that ask the driver to describe a board or enclosure model: a Simulation-section
// fragment holding one entry named IDDEMO, as the driver's "virtualboard" and
// "virtualenclosure" targets take it.

#include "config/simulated_system.h"

#include <cstdint>
#include <string>

namespace z2e {

class DemoFragmentBuilder {
public:
    /// Result when a KEY text is no usable XML element.
    static constexpr std::int32_t kKeyUnusable = 1000;

    /// SimulatedEnclosures fragment of a new enclosure: the KEY, and SerialNumber and UserData
    /// only when not empty. kKeyUnusable when `key` does not parse.
    static std::int32_t enclosure(const std::string& key, const std::string& serialNumber, const std::string& userData,
                                  std::string& fragment);

    /// SimulatedEnclosures fragment re-deriving a stored enclosure entry: KEY, SerialNumber and
    /// UserData when not empty, EncType, EncVersion and the options, so that the description
    /// shows the stored values.
    static std::int32_t storedEnclosure(const SimulatedEnclosureEntry& entry, std::string& fragment);

    /// SimulatedBoards fragment of a board: KEY, FWRevision and SerialNumber, and the panel
    /// serial number and channel modules when there are any.
    static std::int32_t board(const SimulatedBoardEntry& board, std::string& fragment);
};

} // namespace z2e
