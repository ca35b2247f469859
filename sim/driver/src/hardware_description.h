#pragma once
// The stand-in for physical hardware: a file named by ZMPXI_SIM_HARDWARE that lists
// enclosures and boards in the Simulation section's entry format, with fault settings.

#include <string>

#include "simulation_entries.h"

namespace zmpxi_sim {

struct HardwareDescription {
    bool valid = false;
    std::string error;
    SimulationSection hardware;
    SystemFaults faults;

    /// Reads the file; the lists are found anywhere below its root element.
    static HardwareDescription load(const std::string& path);
    static HardwareDescription parse(const std::string& text);
};

} // namespace zmpxi_sim
