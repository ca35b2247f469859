#pragma once
// "zamo2ctl assets [SERIAL] [--json]" and "zamo2ctl assets --rebuild": the asset register of
// this computer's documents folder; every board known with its last place, or one board's
// places, firmware, calibration dates and journal events; or the register made anew from the
// maintenance journal. With a site register (--register, $ZAMO2_REGISTER), "assets --sync"
// sends it what this computer recorded, and "assets [SERIAL]" answers from it after sending.

#include "cli_options.h"

namespace z2e {
namespace cli {

/// 0 when listed or rebuilt; 1 when SERIAL was never seen; 73 when the register cannot be used;
/// --sync: 69 when the site register could not be reached or took nothing.
int assetsCommand(const CliOptions& options);

/// The site register's connection string: --register, else $ZAMO2_REGISTER; empty: none.
std::string siteConnection(const CliOptions& options);

} // namespace cli
} // namespace z2e
