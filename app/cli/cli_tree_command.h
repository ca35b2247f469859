#pragma once
// "zamo2ctl tree [--system local|demo] [--json] [--format json|csv|text]": runs the program's
// start-up scan and prints the chosen system's tree row by row, as the window shows it.

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

/// Prints `rows` in the format the options ask for: text (red rows coloured on a terminal,
/// marked "!" elsewhere), CSV, or one JSON object naming `system` and the application status
/// `status`, with the rows both as a flat list and as a tree.
void printTreeRows(const std::vector<TreeRow>& rows, const std::string& system, std::int32_t status,
                   const CliOptions& options);

} // namespace cli
} // namespace z2e
