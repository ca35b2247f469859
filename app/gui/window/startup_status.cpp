#include "gui/window/startup_status.h"

#include "core/application_status.h"
#include "zmpxi/driver_api.h"

namespace z2e {

bool StartupStatus::driverLibraryMissing()
{
    // A library that opened but misses entry points is reported as "<name> lacks <entries>".
    return driverApi().loadLevel == 0 && lastDriverLoadError().find(" lacks ") == std::string::npos;
}

std::int32_t StartupStatus::fromScan(std::int32_t scanStatus)
{
    if (scanStatus == AppStatus::DriverNotLoadable && driverLibraryMissing())
        return AppStatus::DriverNotFound;
    return scanStatus;
}

} // namespace z2e
