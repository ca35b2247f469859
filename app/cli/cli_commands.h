#pragma once
// The commands of zamo2ctl, each on a freshly connected local node.

#include "cli_options.h"

#include "core/tool_description.h"

#include <functional>
#include <string>
#include <vector>

namespace z2e {
class QorinNodeUtilWrapper;
namespace cli {

/// Runs `run` on the network node of --node, else on the local node; a node that cannot be
/// reached is reported and its exit status returned instead.
int runOnNode(const CliOptions& options, const std::function<int(QorinNodeUtilWrapper&)>& run);

/// One command of zamo2ctl: its own commands and the tools of ToolRegistry, in one table from
/// which the parser, the time limit, the lock and the dispatch are taken.
struct CliCommand {
    const char* verb;
    std::size_t leastArguments;
    std::size_t mostArguments; ///< 99: no upper bound
    const char* networkNode;   ///< as in ToolDescription: "" when --node does not apply
    ToolTimeLimit timeLimit;
    std::string (*changeActivity)(const std::vector<std::string>& arguments); ///< null: reads only
    int (*run)(const CliOptions& options);
    /// --board by place or serial names the one board the command runs on.
    bool onePlacedBoard = false;
};

const std::vector<CliCommand>& commandTable();
/// The command `verb`; null for an unknown one.
const CliCommand* findCommand(const std::string& verb);

/// Runs the parsed command and returns the process exit status (cli_output.h).
int runCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
