#pragma once
// "zamo2ctl tree --node ADDRESS [--scan-ms N] [--base-port P] [--json]": finds the network node,
// connects and prints the remote system's tree as the window shows it when the node is selected.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// 0 with the tree of the connected node; 69 when the node does not appear, or when it cannot be
/// connected (its tree is still printed, with the communication-problem rows while the link is
/// not established).
int nodeTreeCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
