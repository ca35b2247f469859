#pragma once
// The commands of zamo2ctl, each on a freshly connected local node.

#include "cli_options.h"

#include <functional>

namespace z2e {
class QorinNodeUtilWrapper;
namespace cli {

/// Runs `run` on the network node of --node, else on the local node; a node that cannot be
/// reached is reported and its exit status returned instead.
int runOnNode(const CliOptions& options, const std::function<int(QorinNodeUtilWrapper&)>& run);

/// Runs the parsed command and returns the process exit status (cli_output.h).
int runCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
