#pragma once
// What is known of one board by its serial number: the maintenance journal's lines and the asset
// register's places and calibrations (the site's, when a site register is set). Files that can be
// large or on a slow disk and a server that can be away: the window reads this on a worker and
// shows the result.

#include "tools/asset_register.h"
#include "tools/maintenance_journal.h"

#include <string>

namespace z2e {

struct BoardRecord {
    JournalHistory journal; ///< the board's lines, oldest first
    AssetHistory assets;    ///< found is false when the register knows nothing of it or cannot be read
    std::string site;       ///< the site register that answered ("host:port/database"); empty: this computer's
    std::string siteError;  ///< why the site register set could not answer; this computer's answered instead

    /// Reads both from the journal in `maintenanceFolder` and the register beside it; with a
    /// site register's connection string `site`, this computer's new records are sent first and
    /// the site answers. An empty `serial` reads nothing (it would match every board's lines).
    static BoardRecord read(const std::string& maintenanceFolder, const std::string& serial,
                            const std::string& site = std::string());
};

} // namespace z2e
