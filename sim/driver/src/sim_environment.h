#pragma once
// Where the driver keeps its files and how fast simulated time runs, taken from the environment.

#include <string>

namespace zmpxi_sim {

/// Folders and settings resolved once per driver initialisation.
struct SimEnvironment {
    std::string configDir;    ///< ZMPXI_API_CONFIG_DIR, else $XDG_CONFIG_HOME/zmpxi_api, else ~/.config/zmpxi_api
    std::string stateDir;     ///< ZMPXI_SIM_STATE_DIR, else configDir/state
    std::string runtimeDir;   ///< $XDG_RUNTIME_DIR/zmpxi_api, else stateDir; holds the hardware lock
    std::string logDir;       ///< configDir/log; the default place of the driver's log files
    std::string hardwareFile; ///< ZMPXI_SIM_HARDWARE, empty when unset
    double speed = 1.0;       ///< ZMPXI_SIM_SPEED; 100 runs simulated time 100 times faster
    std::string bus;          ///< ZMPXI_SIM_BUS: disturbances of the simulated CAN and UART lines

    /// Reads the environment variables now.
    static SimEnvironment fromProcess();
    /// configDir + "/zmpxi_api_config.xml".
    std::string configFile() const;
};

} // namespace zmpxi_sim
