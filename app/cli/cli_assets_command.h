#pragma once
// "zamo2ctl assets [SERIAL] [--json]" and "zamo2ctl assets --rebuild": the asset register of
// this computer's documents folder; every board known with its last place, or one board's
// places, firmware, calibration dates and journal events; or the register made anew from the
// maintenance journal.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// 0 when listed or rebuilt; 1 when SERIAL was never seen; 73 when the register cannot be used.
int assetsCommand(const CliOptions& options);

} // namespace cli
} // namespace z2e
