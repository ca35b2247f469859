#pragma once
// "zamo2ctl tree [--system local|demo] [--json]": runs the program's start-up scan and prints
// the chosen system's tree row by row, as the window shows it.

#include "cli_options.h"

#include "core/tree_row_list.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {
namespace cli {

/// Prints the tree; returns 0, the exit status of a failed start-up, or 64 for bad usage.
/// With --node the network node's tree instead (cli_node_tree_command.h).
int treeCommand(const CliOptions& options);

/// Prints `rows` as text (red rows coloured on a terminal, marked "!" elsewhere) or as one JSON
/// object naming `system` and the application status `status`.
void printTreeRows(const std::vector<TreeRow>& rows, const std::string& system, std::int32_t status, bool json);

} // namespace cli
} // namespace z2e
