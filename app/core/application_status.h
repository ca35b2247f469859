#pragma once
// Outcomes of the program's long operations and the texts shown for them.

#include <cstdint>
#include <string>

namespace z2e {

struct AppStatus {
    enum : std::int32_t {
        Ok = 0,
        DriverNotFound = 2,
        InternalError = 7,
        PackageFailed = 8,
        NothingToCollect = 9,
        HardwareInUse = 10,
        HardwareImportFailed = 500,
        SimulationLoadFailed = 501,
        DriverNotLoadable = 100004,
    };
};

/// The message of an application status code; an unlisted code gives
/// "Unknown error encountered!\r\nError code <code>.".
std::string statusMessage(std::int32_t code);

} // namespace z2e
