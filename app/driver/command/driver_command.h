#pragma once
// Integer commands the program sends with SetParam_i32 (value 0) or reads with GetParam_i32.
// What each does inside the driver is the driver's business.

#include <cstdint>

namespace z2e {
namespace command {

enum : std::int32_t {
    OPEN_BOARD = 1,
    CLOSE_BOARD = 2,
    RESTORE_FACTORY_CALIBRATION = 773,
    COMMIT_BASE_EEPROM = 1025,
    COMMIT_CON_EEPROM = 1026,
    COMMIT_SELF_CAL = 1027,
    AUTO_RESTORE_BASE_EEPROM = 1028,
    AUTO_RESTORE_CON_EEPROM = 1029,
    ERASE_BASE_EEPROM = 1044,
    APPLY_FEATURE_SET = 1056,
    BOARD_TYPE_CODE = 1282,
};

} // namespace command
} // namespace z2e
