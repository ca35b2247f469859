#pragma once
// "zamo2ctl enclosure | crossgrade | features | channel-module": the tools that rewrite what
// an enclosure or a board is, on the local or a network node (channel modules: the demo
// system), journalled in the maintenance folder of the documents folder.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Runs one of these commands; returns the exit status.
int enclosureCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
