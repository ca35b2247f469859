#pragma once
// One board of the fleet: where it sits (this computer or a network node), who it is, its
// firmware against the release, its calibration and last self test, and what is wrong with it.

#include "tools/last_self_tests.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

struct FleetBoard {
    std::string system;  ///< "local", or the network node's name
    std::string address; ///< the node's address; empty for this computer
    std::int32_t index = -1;
    std::int32_t enclosure = -1; ///< as the tree numbers enclosures; -1 unknown
    std::int32_t slot = -1;      ///< -1 unknown
    std::string model;
    std::string serial;
    std::string firmware;        ///< installed; empty unknown
    std::string firmwareLatest;  ///< the release the driver offers; empty unknown
    std::string calibrationDate; ///< "YYYY-MM-DD" of the base board's last calibration; empty unknown
    std::string baseTemperature; ///< degrees Celsius as read; empty unknown
    std::string conTemperature;
    SelfTestRecord selfTest; ///< time empty: none in the journal
    std::vector<std::string> warnings;

    /// "0/2": enclosure and slot; "" when the place is unknown.
    std::string place() const
    {
        return enclosure >= 0 && slot >= 0 ? std::to_string(enclosure) + "/" + std::to_string(slot) : std::string();
    }
};

} // namespace z2e
