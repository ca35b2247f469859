#pragma once
// "zamo2ctl config check FILE": tells whether the program would accept a driver
// configuration file, and if not, which elements it rejects and why.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Runs "config SUBCOMMAND ..."; returns 0 valid, 1 invalid or unusable file, 64 bad usage.
int configCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
