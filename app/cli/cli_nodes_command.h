#pragma once
// "zamo2ctl nodes [--scan-ms N] [--base-port P] [--json] [--add|--remove ADDRESS]": discovers
// network nodes for a while and lists what the net client knows of each, and whether the
// computer can reach it at the address it claims. --add remembers a node address (asked at
// every scan) before the scan, --remove forgets one and scans nothing.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Prints the node list (saying so when it is empty); 0, 64 for an address --add refuses, 73
/// when the remembered list cannot be written, 69 when the client cannot start.
int nodesCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
