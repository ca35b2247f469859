#pragma once
// "zamo2ctl doctor [--json] [--node ADDRESS]... [--scan-ms N] [--base-port P]": why no network
// node shows up, in findings with a level and a next step.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Prints the findings; 0 when every one is ok, 1 (EXIT_DOCTOR_FINDINGS) otherwise.
int doctorCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
