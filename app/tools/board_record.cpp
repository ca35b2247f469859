#include "tools/board_record.h"

namespace z2e {

BoardRecord BoardRecord::read(const std::string& maintenanceFolder, const std::string& serial)
{
    BoardRecord record;
    if (serial.empty())
        return record;
    record.journal = MaintenanceJournal(maintenanceFolder, "").read(serial);
    AssetRegister assets(AssetRegister::folderOfJournal(maintenanceFolder));
    if (!assets.open() || !assets.history(serial, record.assets))
        record.assets = AssetHistory();
    return record;
}

} // namespace z2e
