#pragma once
// Outcomes of demo system editing. 500 and 501 are the application's own codes (see
// application_status.h); the others are the editor's and get their texts from demoStatusText,
// which falls back to statusMessage for every code it does not know.

#include "core/application_status.h"
#include "core/description_parser.h"

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
        NothingToUndo = 515,         ///< no demo edit to take back
        SlotOccupied = 516,          ///< the slot holds a board, and replacing it was not asked for
        DemoFileRefused = 517,       ///< the demo file's name was refused (OutputDestination); nothing touched
        // Passed through from the command layer and the description parser:
        BoardListingFailed = AppStatus::BoardListingFailed,
        EnclosureListingFailed = AppStatus::EnclosureListingFailed,
        BoardDescriptionFailed = AppStatus::BoardPropertiesFailed,
        BoardConfigFailed = AppStatus::BaseEepromFailed,
        BoardFirmwareFailed = AppStatus::FirmwareCheckFailed,
        BoardModelRefused = AppStatus::VirtualBoardKeyFailed,
        EnclosureDescriptionFailed = AppStatus::EnclosurePropertiesFailed,
        EnclosureModelRefused = AppStatus::VirtualEnclosureKeyFailed,
        /// the key or the driver's description is no usable XML
        DescriptionUnusable = DescriptionParser::Unparsable,
        DriverNotReady = AppStatus::NotReady,
    };
};

/// Message for a demo editing outcome; codes it does not know get statusMessage(code).
std::string demoStatusText(std::int32_t code);

} // namespace z2e
