#pragma once
// "zamo2ctl problems [--json] [--node ADDRESS | --all-nodes]": everything wrong with this
// computer's system (or the node's, or this computer's and every node's), one line each: where,
// what and what to do. With --json one object per system, one per line.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// 0 when there is no problem, 1 when there are some; a start-up or node failure as usual.
int problemsCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
