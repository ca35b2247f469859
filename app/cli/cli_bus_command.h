#pragma once
// zamo2ctl can and uart: watch a board's bus and send on it.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// can monitor | can send ID DATA, on the board of --board.
int canCommand(const CliOptions& options);
/// uart monitor | uart send DATA, on the board of --board.
int uartCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
