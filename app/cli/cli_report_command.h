#pragma once
// The commands around the report package: "versions" (the software versions list),
// "logging show|set" (the driver's logging settings), "report-package FILE" (the driver's log
// folder, the inventory and the maintenance journal in one ZIP file) and "overview" (the
// system overview table).

#include "cli_options.h"

namespace z2e {
namespace cli {

int versionsCommand(const CliOptions& options);
int loggingCommand(const CliOptions& options);
int reportPackageCommand(const CliOptions& options);
int overviewCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
