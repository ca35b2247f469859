#include "tools/board_record.h"

#include "tools/record_author.h"
#include "tools/site_register.h"
#include "tools/site_sync.h"

namespace z2e {

BoardRecord BoardRecord::read(const std::string& maintenanceFolder, const std::string& serial, const std::string& site)
{
    BoardRecord record;
    if (serial.empty())
        return record;
    record.journal = MaintenanceJournal(maintenanceFolder, "").read(serial);
    AssetRegister assets(AssetRegister::folderOfJournal(maintenanceFolder));
    if (!assets.open())
        return record;
    if (!site.empty()) {
        SiteRegister server(site);
        SiteSync sync(assets, server, RecordAuthor::computer());
        SiteSyncCounts counts;
        if (sync.run(counts) && server.history(serial, record.assets)) {
            record.site = server.name();
            return record;
        }
        record.siteError = sync.lastError().empty() ? server.lastError() : sync.lastError();
        record.assets = AssetHistory();
    }
    if (!assets.history(serial, record.assets))
        record.assets = AssetHistory();
    return record;
}

} // namespace z2e
