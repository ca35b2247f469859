#pragma once
// The site register's boards as rows of the fleet table: each at its latest place, marked by the
// computer that saw it there ("bay2: local"), with its latest firmware and calibration date.
// Shared by `zamo2ctl fleet --site` and the Fleet tab's "Read Site".

#include "tools/asset_register.h"
#include "tools/fleet_board.h"

#include <string>
#include <vector>

namespace z2e {

struct SiteFleetRead {
    std::vector<FleetBoard> boards;
    std::string site; ///< "host:port/database", never the connection string
    std::size_t computers = 0;
    std::string error; ///< in words, without the connection string; empty on success
};

class SiteFleet {
public:
    static FleetBoard boardOf(const AssetHistory& history);
    /// Every board the site register at `connection` knows; error set when it could not be read.
    static SiteFleetRead read(const std::string& connection);
};

} // namespace z2e
