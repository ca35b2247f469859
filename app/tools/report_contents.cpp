#include "tools/report_contents.h"

#include "tools/firmware_updater.h"
#include "tools/report_package.h"

namespace z2e {

std::map<std::int32_t, std::string> ReportContents::latestFirmware(QorinNodeUtilWrapper& wrapper)
{
    std::map<std::int32_t, std::string> latest;
    std::vector<FirmwareRow> rows;
    FirmwareUpdater(wrapper, nullptr).check({}, rows);
    for (const FirmwareRow& row : rows) {
        if (!row.latest.empty())
            latest[static_cast<std::int32_t>(row.board.index)] = row.latest;
    }
    return latest;
}

void ReportContents::addInventory(ReportPackage& package, const std::vector<InventorySource>& sources,
                                  const std::vector<SoftwareVersionRecord>& versions, const std::string& journalFolder)
{
    const Inventory inventory = SystemInventory::gather(sources, versions, journalFolder);
    package.addDocument("inventory.json", SystemInventory::toJson(inventory));
    package.addDocument("inventory.html", SystemInventory::toHtml(inventory));
    package.addFolder("maintenance/", journalFolder);
}

} // namespace z2e
