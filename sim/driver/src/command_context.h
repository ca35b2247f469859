#pragma once
// What a command handler may use during one driver call.

#include <functional>
#include <memory>
#include <string>

#include "driver_log.h"
#include "sim_clock.h"
#include "sim_environment.h"
#include "sim_system.h"

namespace zmpxi_sim {

/// Parameters the program sets before ZaMoDriverInit.
struct DriverParams {
    std::string simulationMode; ///< empty: the configuration decides
    std::string allowCachedMerge = "true";
    std::string threadEnabled = "false"; ///< "true": long operations let other calls run meanwhile
};

/// The models last described through "virtualboard" and "virtualenclosure".
struct VirtualModels {
    std::shared_ptr<SimBoard> board;
    std::shared_ptr<SimEnclosure> enclosure;
    std::string selfTestResult;
};

struct CommandContext {
    std::shared_ptr<SimSystem> system; ///< null while the driver is not initialised
    DriverLog& log;
    const SimEnvironment& env;
    DriverParams& params;
    VirtualModels& virtuals;
    const SimClock& clock;
    /// Lets `simulatedMs` of simulated time pass; false when the driver was re-initialised
    /// meanwhile (the caller then gives up without touching the system).
    std::function<bool(double simulatedMs)> work;
};

} // namespace zmpxi_sim
