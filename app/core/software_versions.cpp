#include "core/software_versions.h"

#include "core/build_revision.h"
#include "core/driver_library.h"

namespace z2e {

const char* const kProgramComponent = "ZAMO2Explorer";
const char* const kProgramVersion = "2.5.48441.00";
const char* const kDriverNotLoaded = "Driver Not Loaded";

BuildIdentity buildIdentity()
{
    return {ZAMO2_BUILD_REVISION, ZAMO2_SOURCE_HASH, ZAMO2_PACKAGE_VERSION};
}

std::string versionStory(const BuildIdentity& build)
{
    return std::string(kProgramVersion) + " (package " + build.package + ", revision " + build.revision + ")";
}

SoftwareVersionRecord programVersionRecord(const BuildIdentity& build)
{
    return {kProgramComponent, "", kProgramVersion, "Revision: " + build.revision + "\nHash: " + build.hash + "\n"};
}

std::vector<SoftwareVersionRecord> softwareVersionList(const BuildIdentity& build,
                                                       const std::vector<SoftwareVersionRecord>& driverRecords,
                                                       bool driverLoaded)
{
    std::vector<SoftwareVersionRecord> records{programVersionRecord(build)};
    if (driverLoaded)
        records.insert(records.end(), driverRecords.begin(), driverRecords.end());
    else
        records.push_back({"Acquisition API", DriverLibrary::fileName(), kDriverNotLoaded, DriverLibrary::loadError()});
    return records;
}

} // namespace z2e
