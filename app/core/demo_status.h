#pragma once
// Outcomes of demo system editing. 500 and 501 are the application's own codes (see
// application_status.h); the others are the editor's and get their texts from demoStatusText,
// which falls back to statusMessage for every code it does not know.

#include "core/application_status.h"
#include "core/description_parser.h"
#include "driver/command/command_status.h"

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
        BoardListingFailed = status::BOARD_LISTING_FAILED,
        EnclosureListingFailed = status::ENCLOSURE_LISTING_FAILED,
        BoardDescriptionFailed = status::BOARD_PROPERTIES_FAILED,
        BoardConfigFailed = status::BASE_EEPROM_FAILED,
        BoardFirmwareFailed = status::FIRMWARE_CHECK_FAILED,
        BoardModelRefused = status::VIRTUAL_BOARD_KEY_FAILED,
        EnclosureDescriptionFailed = status::ENCLOSURE_PROPERTIES_FAILED,
        EnclosureModelRefused = status::VIRTUAL_ENCLOSURE_KEY_FAILED,
        /// the key or the driver's description is no usable XML
        DescriptionUnusable = DescriptionParser::Unparsable,
        DriverNotReady = status::NOT_READY,
    };
};

/// Message for a demo editing outcome; codes it does not know get statusMessage(code).
std::string demoStatusText(std::int32_t code);

} // namespace z2e
