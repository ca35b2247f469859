#pragma once
// Outcomes of demo system editing. 500 and 501 are the application's own codes (see
// application_status.h); the others are the editor's and get their texts from demoStatusText,
// which falls back to statusMessage for every code it does not know.

#include "core/application_status.h"

#include <cstdint>
#include <string>

namespace z2e {

struct DemoStatus {
    enum : std::int32_t {
        Ok = AppStatus::Ok,
        InternalError = AppStatus::InternalError,
        HardwareImportFailed = AppStatus::HardwareImportFailed, ///< 500
        SimulationLoadFailed = AppStatus::SimulationLoadFailed, ///< 501: demo file unreadable or unusable
        ConfigurationNotSaved = 510, ///< driver configuration file not written; the old one is intact
        DemoFileNotSaved = 511,      ///< demo file not written; an old file of that name is intact
        NotEditable = 512,           ///< not a node of the demo system, or a node of the wrong kind
        NoSuchElement = 513,         ///< no such enclosure, slot or model
        NoHardwareToImport = 514,    ///< this computer has no hardware of its own
        // Passed through from the command layer and the description parser:
        BoardListingFailed = 102,
        EnclosureListingFailed = 103,
        BoardDescriptionFailed = 200,
        BoardConfigFailed = 201,
        BoardFirmwareFailed = 202,
        BoardModelRefused = 204,
        EnclosureDescriptionFailed = 300,
        EnclosureModelRefused = 302,
        DescriptionUnusable = 1000, ///< the key or the driver's description is no usable XML
        DriverNotReady = 5000,
    };
};

/// Message for a demo editing outcome; codes it does not know get statusMessage(code).
std::string demoStatusText(std::int32_t code);

} // namespace z2e
