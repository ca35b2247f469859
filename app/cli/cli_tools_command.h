#pragma once
// "zamo2ctl selftest | calibrate | firmware | history": the board tools on the local or a
// network node, journalled in the maintenance folder of the documents folder.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Runs one of the tool commands; returns the exit status.
int toolsCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
