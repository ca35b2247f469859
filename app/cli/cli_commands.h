#pragma once
// The commands of zamo2ctl, each on a freshly connected local node.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Runs the parsed command and returns the process exit status (cli_output.h).
int runCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
