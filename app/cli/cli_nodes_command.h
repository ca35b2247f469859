#pragma once
// "zamo2ctl nodes [--scan-ms N] [--base-port P] [--json]": discovers network nodes for a while
// and lists what the net client knows of each.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Prints the node list (saying so when it is empty); 0, or 69 when the client cannot start.
int nodesCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
