// The driver's firmware documents on arbitrary bytes: a board's check (installed and latest
// version, file) with the update decision taken on it, and the listing of firmware files.

#include "tools/firmware_updater.h"

#include "require.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace z2e;

using fuzz::require;

void decideOn(const FirmwareRow& row)
{
    std::string selection;
    const bool update = FirmwareUpdater::decide(row.installed, row.latest, false, selection);
    require(selection.empty()); // without force only ever "install the latest"
    std::string forced;
    const bool forcedUpdate = FirmwareUpdater::decide(row.installed, row.latest, true, forced);
    require(!update || forcedUpdate);
    require(forced.empty() || (forcedUpdate && forced == row.latest));
    // Never both ways: one of two versions is the newer one.
    std::string back;
    require(!(update && FirmwareUpdater::decide(row.latest, row.installed, false, back)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string document(reinterpret_cast<const char*>(data), size);

    FirmwareRow row;
    row.installed = "stale";
    FirmwareUpdater::readCheck(document, row);
    require(row.installed.size() + row.latest.size() + row.fileName.size() + row.status.size() <= size);
    decideOn(row);

    std::vector<std::string> names{"stale"};
    const bool listed = FirmwareUpdater::readListing(document, names);
    require(listed || names.empty());
    // Every name needs an element of its own: "<File/>" at least.
    require(names.size() <= size / 7);
    return 0;
}
