#pragma once
// What the program puts into the report package beside the driver's logs, gathered the same way
// by `zamo2ctl report-package` and the window's "Collect data".

#include "core/system_model.h"
#include "tools/system_inventory.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace z2e {

class QorinNodeUtilWrapper;
class ReportPackage;

class ReportContents {
public:
    /// The latest firmware of each board behind `wrapper` (by board index) as its firmware check
    /// knows it; boards the check knows nothing for are left out. Talks to the driver.
    static std::map<std::int32_t, std::string> latestFirmware(QorinNodeUtilWrapper& wrapper);

    /// Adds the inventory of `sources` as inventory.json and inventory.html and the maintenance
    /// journal in `journalFolder` under "maintenance/".
    static void addInventory(ReportPackage& package, const std::vector<InventorySource>& sources,
                             const std::vector<SoftwareVersionRecord>& versions, const std::string& journalFolder);
};

} // namespace z2e
