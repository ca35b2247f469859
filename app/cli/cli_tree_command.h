#pragma once
// "zamo2ctl tree [--system local|demo] [--json]": runs the program's start-up scan and prints
// the chosen system's tree row by row, as the window shows it.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Prints the tree; returns 0, the exit status of a failed start-up, or 64 for bad usage.
int treeCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
