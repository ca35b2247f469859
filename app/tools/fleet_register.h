#pragma once
// What fleet reads saw goes to the asset register: each board's place, firmware and calibration
// date, one transaction per system. A register that cannot be used is logged once and never
// stops a read.

#include "tools/asset_register.h"
#include "tools/fleet_board.h"

#include <memory>
#include <string>
#include <vector>

namespace z2e {

class FleetRegister {
public:
    /// The register of the documents folder `folder`, opened at the first record().
    explicit FleetRegister(std::string folder = AssetRegister::defaultFolder());
    ~FleetRegister();

    /// Records one system's boards; one caller at a time, on any thread.
    void record(const std::vector<FleetBoard>& boards);

    /// The boards as the register takes them: a node's system as the journal names nodes
    /// ("<address> <name>").
    static std::vector<AssetSighting> sightingsOf(const std::vector<FleetBoard>& boards);

private:
    std::string m_folder;
    std::unique_ptr<AssetRegister> m_register;
    bool m_unusable = false;
};

} // namespace z2e
