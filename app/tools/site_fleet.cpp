#include "tools/site_fleet.h"

#include "tools/site_register.h"

#include <algorithm>
#include <set>

namespace z2e {

FleetBoard SiteFleet::boardOf(const AssetHistory& history)
{
    FleetBoard board;
    const AssetBoard& known = history.board;
    board.serial = known.serial;
    board.model = known.model;
    if (known.placed) {
        const AssetPlace& place = known.lastPlace;
        board.system = (place.computer.empty() ? "" : place.computer + ": ") + place.system;
        board.enclosure = place.enclosure;
        board.slot = place.slot <= 0x7FFFFFFFu ? static_cast<std::int32_t>(place.slot) : -1;
    }
    if (!history.firmware.empty())
        board.firmware = history.firmware.back().version;
    for (const AssetCalibration& calibration : history.calibrations)
        board.calibrationDate = std::max(board.calibrationDate, calibration.date);
    return board;
}

SiteFleetRead SiteFleet::read(const std::string& connection)
{
    SiteFleetRead result;
    SiteRegister site(connection);
    std::vector<AssetHistory> histories;
    if (!site.open() || !site.histories(histories)) {
        result.error = site.lastError();
        result.site = site.name();
        return result;
    }
    result.site = site.name();
    std::set<std::string> computers;
    for (const AssetHistory& history : histories) {
        for (const AssetPlace& place : history.places) {
            if (!place.computer.empty())
                computers.insert(place.computer);
        }
        result.boards.push_back(boardOf(history));
    }
    result.computers = computers.size();
    return result;
}

} // namespace z2e
