#pragma once
// "zamo2ctl fleet [--json|--csv|--html] [--due DAYS] [--interval MONTHS] [--parallel N]": every
// board of this computer and of every network node that answers, one row each.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// 0 when every system was read completely; 69 when a node could not be, or the network client
/// could not start (what was read is listed all the same); a local connect failure as usual.
int fleetCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
