#include "core/startup_status.h"

#include "core/application_status.h"
#include "core/driver_library.h"

namespace z2e {

bool StartupStatus::driverLibraryMissing()
{
    return DriverLibrary::missing();
}

std::int32_t StartupStatus::fromScan(std::int32_t scanStatus)
{
    if (scanStatus == AppStatus::DriverNotLoadable && driverLibraryMissing())
        return AppStatus::DriverNotFound;
    return scanStatus;
}

} // namespace z2e
