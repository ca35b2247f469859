#pragma once
// Application status codes the command layer maps driver failures to. Their texts belong to
// the application's status table; 700009 (a board index out of range) is the platform's.

#include <cstdint>

namespace z2e {
namespace status {

enum : std::int32_t {
    OK = 0,
    FAILED = 1,
    CONFIG_PATH_FAILED = 4,
    VERSIONS_FAILED = 100,
    BOARD_LISTING_FAILED = 102,
    ENCLOSURE_LISTING_FAILED = 103,
    BOARD_PROPERTIES_FAILED = 200,
    BASE_EEPROM_FAILED = 201,
    FIRMWARE_CHECK_FAILED = 202,
    BOARD_KEY_FAILED = 203,
    VIRTUAL_BOARD_KEY_FAILED = 204,
    BOARD_OPEN_FAILED = 258,
    ENCLOSURE_PROPERTIES_FAILED = 300,
    VIRTUAL_ENCLOSURE_KEY_FAILED = 302,
    ENCLOSURE_ACCESS_FAILED = 303,
    ENCLOSURE_UPDATED = 1000,
    FIRMWARE_UPDATE_FAILED = 3002,
    CROSS_GRADE_DONE = 4001,
    BASE_DATA_ACCESS_FAILED = 4003,
    BASE_EEPROM_ACCESS_FAILED = 4004,
    EEPROM_DOCUMENT_FAILED = 4005,
    BASE_EEPROM_WRITE_FAILED = 4007,
    CON_EEPROM_WRITE_FAILED = 4008,
    NOT_READY = 5000,
    XML_PARSING_FAILED = 260803,
};

} // namespace status
} // namespace z2e
