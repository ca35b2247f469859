#include "tools/fleet_register.h"

#include "tools/board_identity.h"
#include "uni/log.h"

namespace z2e {

FleetRegister::FleetRegister(std::string folder) : m_folder(std::move(folder)) {}

FleetRegister::~FleetRegister() = default;

std::vector<AssetSighting> FleetRegister::sightingsOf(const std::vector<FleetBoard>& boards)
{
    std::vector<AssetSighting> sightings;
    for (const FleetBoard& board : boards) {
        if (board.serial.empty())
            continue;
        AssetSighting sighting;
        sighting.serial = board.serial;
        sighting.model = board.model;
        sighting.system = board.address.empty() ? board.system : board.address + " " + board.system;
        sighting.enclosure = board.enclosure;
        sighting.slot = board.slot >= 0 ? static_cast<std::uint32_t>(board.slot) : BoardIdentity::kUnknownSlot;
        sighting.firmware = board.firmware;
        sighting.calibrationDate = board.calibrationDate;
        sightings.push_back(std::move(sighting));
    }
    return sightings;
}

void FleetRegister::record(const std::vector<FleetBoard>& boards)
{
    if (m_unusable)
        return;
    if (!m_register) {
        auto opened = std::make_unique<AssetRegister>(m_folder);
        if (!opened->open()) {
            UNI_LOG("assets", uni::log::warning) << "asset register not used: " << opened->lastError();
            m_unusable = true;
            return;
        }
        m_register = std::move(opened);
    }
    if (!m_register->recordSightings(sightingsOf(boards)))
        UNI_LOG("assets", uni::log::warning) << "asset register not updated: " << m_register->lastError();
}

} // namespace z2e
