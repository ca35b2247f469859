#pragma once
// Application status codes: the one vocabulary for the outcome of a command, a start-up, a demo
// edit or a board tool. The command layer maps driver failures to them; their texts are
// statusMessage's (core/application_status.h). 700009 (a board index out of range) is the
// platform's.

#include <cstdint>

namespace z2e {

struct AppStatus {
    enum : std::int32_t {
        Ok = 0,
        Failed = 1,
        DriverNotFound = 2,
        ConfigPathFailed = 4,
        InternalError = 7,
        PackageFailed = 8,
        NothingToCollect = 9,
        HardwareInUse = 10,
        VersionsFailed = 100,
        BoardListingFailed = 102,
        EnclosureListingFailed = 103,
        BoardPropertiesFailed = 200,
        BaseEepromFailed = 201,
        FirmwareCheckFailed = 202,
        BoardKeyFailed = 203,
        VirtualBoardKeyFailed = 204,
        BoardOpenFailed = 258,
        EnclosurePropertiesFailed = 300,
        VirtualEnclosureKeyFailed = 302,
        EnclosureAccessFailed = 303,
        HardwareImportFailed = 500,
        SimulationLoadFailed = 501,
        EnclosureUpdated = 1000,
        SaveFailed = 1001,
        /// A file the operator named was not written: something stands there that is not
        /// replaced (config/output_destination.h); nothing was touched.
        DestinationRefused = 1002,
        /// 1000 for an enclosure that is a network node: the node restarts to apply the data.
        EnclosureUpdatedNodeRestarts = 1010,
        EnclosureNotWritable = 1100,
        /// A serial number or option the tools refuse before anything is sent.
        InvalidSerialNumber = 1101,
        FirmwareUpdated = 3000,
        FirmwareSkipped = 3001,
        FirmwareUpdateFailed = 3002,
        CrossGradeDone = 4001,
        CrossGradeNotSupported = 4002,
        BaseDataAccessFailed = 4003,
        BaseEepromAccessFailed = 4004,
        EepromDocumentFailed = 4005,
        EepromFileInvalid = 4006,
        BaseEepromWriteFailed = 4007,
        ConEepromWriteFailed = 4008,
        SnapshotFailed = 4009,
        /// Calibrations change what a simulated board would not keep: refused there.
        SimulatedRefused = 4100,
        Cancelled = 4101,
        JournalFailed = 4102,
        NoSuchBoard = 4103,
        /// A result document beyond what the tools keep (16 MiB).
        DocumentTooLarge = 4104,
        NotReady = 5000,
        DriverNotLoadable = 100004,
        XmlParsingFailed = 260803,
    };
};

} // namespace z2e
