#pragma once
// What the start-up makes of the system scan's outcome.

#include <cstdint>

namespace z2e {

class StartupStatus {
public:
    /// The scan's status as start-up reports it: a driver library that is not there at all is
    /// status 2 (the program ends); one that is there but unusable stays 100004 (the views are
    /// filled from the empty roots). Every other status is kept.
    static std::int32_t fromScan(std::int32_t scanStatus);
    /// True when the last load of the driver failed because the library could not be opened
    /// (as opposed to one that opened but lacks entry points).
    static bool driverLibraryMissing();
};

} // namespace z2e
