#pragma once
// What the driver takes from its configuration document "zmpxi_api_config.xml".

#include <string>

#include "driver_log.h"
#include "simulation_entries.h"

namespace zmpxi_sim {

struct DriverConfig {
    bool found = false; ///< the file exists
    bool valid = false; ///< it parsed and its Simulation section follows the entry rules
    std::string error;  ///< why it is not valid
    LoggerSettings logger;
    std::string simulationMode = "SIMMODE_NORMAL";
    SimulationSection simulation;

    /// Reads the file at `path`. A missing file is valid and empty; a malformed one is not
    /// valid and carries no simulated elements.
    static DriverConfig load(const std::string& path);
    /// Reads a document already in memory.
    static DriverConfig parse(const std::string& text);
};

} // namespace zmpxi_sim
