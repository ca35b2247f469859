#pragma once
// "zamo2ctl demo ...": the demo system editor of the window on the command line. Each edit
// runs the program's start-up, applies one change to the demo system and saves the driver
// configuration, as "Save Configuration" in the window does.

#include "cli_options.h"

namespace z2e {
class SystemModel;
namespace cli {

/// The program's start-up on `model` for work on the demo system; with `simulatedOnly` the
/// demo system is reached also while another program holds the hardware. False (with the
/// exit status) when the demo system is out of reach.
bool startDemoSystem(const CliOptions& options, SystemModel& model, bool simulatedOnly, int& exitStatus);

/// Tells on standard error when the start-up had to use the built-in configuration instead of
/// the driver's configuration file, and why.
void warnConfigurationProblem(const SystemModel& model);

/// Runs "demo SUBCOMMAND ..."; returns 0, the exit status of the outcome, or 64 for bad usage.
int demoCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
