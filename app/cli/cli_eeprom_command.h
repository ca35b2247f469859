#pragma once
// "zamo2ctl eeprom backup | restore | auto-restore | models | write-default | erase": the
// EEPROM tools on the local or a network node, every change journalled and read back.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// Runs one eeprom command; returns the exit status.
int eepromCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
