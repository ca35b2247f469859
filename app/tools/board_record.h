#pragma once
// What is known of one board by its serial number: the maintenance journal's lines and the asset
// register's places and calibrations. Both are files that can be large or on a slow disk, and
// the register first records the journal lines it has not read yet, so the window reads this on
// a worker and shows the result.

#include "tools/asset_register.h"
#include "tools/maintenance_journal.h"

#include <string>

namespace z2e {

struct BoardRecord {
    JournalHistory journal; ///< the board's lines, oldest first
    AssetHistory assets;    ///< found is false when the register knows nothing of it or cannot be read

    /// Reads both from the journal in `maintenanceFolder` and the register beside it; an empty
    /// `serial` reads nothing (it would match every board's lines).
    static BoardRecord read(const std::string& maintenanceFolder, const std::string& serial);
};

} // namespace z2e
