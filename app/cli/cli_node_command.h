#pragma once
// "zamo2ctl --node ADDRESS node rename NAME | ip ... | restart-server | reboot": the maintenance
// actions of a network node, with the window's rules (NodeActionRules) and questions.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// 0 when the node took the change (or nothing needed sending); 65 when a value was refused
/// or the question not confirmed; 69 when the node cannot be reached; the node's result
/// otherwise (cli_output.h).
int nodeCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
