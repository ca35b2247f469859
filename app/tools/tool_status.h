#pragma once
// Outcomes of the board tools beyond the driver's own results.

#include <cstdint>

namespace z2e {

struct ToolStatus {
    enum : std::int32_t {
        Ok = 0,
        InternalError = 7,
        SaveFailed = 1001,
        FirmwareUpdated = 3000,
        FirmwareSkipped = 3001,
        FirmwareFailed = 3002,
        SnapshotFailed = 4009,
        NotReady = 5000,
        /// Calibrations change what a simulated board would not keep: refused there.
        SimulatedRefused = 4100,
        Cancelled = 4101,
        JournalFailed = 4102,
        NoSuchBoard = 4103,
    };
};

} // namespace z2e
