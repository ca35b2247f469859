#pragma once
// A board tool of zamo2ctl across many systems: --all-nodes (this computer and every node that
// answers) or --node given several times. One line per board as it ends, one per system that
// could not be done, and a summary.

#include "cli_options.h"

#include <string>

namespace z2e {
namespace cli {

/// The tool's name when the command line asks for it on many systems ("firmware update"); ""
/// when it does not (one system, or `problems --all-nodes`).
std::string fleetActionTool(const CliOptions& options);

/// Whether the command's tool can run on many systems: selftest, firmware check, firmware
/// update, eeprom backup.
bool fleetActionApplies(const CliOptions& options);

/// Runs the tool on every system asked for; the worst exit status the single-system command
/// would give on any of them, 0 only when every board of every system succeeded.
int fleetActionCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
