#pragma once
// Result codes every node caller may see besides the driver's own and the platform's
// 700000..700020 (uni/osal.h). Signs follow the driver: 0 success, > 0 error, < 0 warning.

#include <cstdint>

namespace qorinet_api {

enum : std::int32_t {
    ERR_NONE = 0,
    /// The driver answers this while another process holds the hardware.
    ERR_HARDWARE_ALREADY_IN_USE = 1,
    /// The driver library, or the entry point an operation needs, is not loaded.
    ERR_DRIVER_NOT_LOADED = 2,
    ERR_BOARD_NOT_FOUND = 256,
    ERR_BOARD_ALREADY_OPEN = 260,
    ERR_INTERNAL_ERROR = 100010,
    ERROR_BASEEEPROM_FILE_NULL = 220001,
    ERROR_BASEEEPROM_WRITE_ERROR = 220003,
    /// A text getter's buffer was too small; ask the LEN function and call again.
    ERROR_BUFFER_TOO_SMALL = 230001,
    ERROR_FIRMWARE_UPDATE_FAILED = 260004,
    ERROR_XML_PARSING_FAILED = 260803,
    /// Every remote operation on a node the client gave up on. Has no name in the text tables.
    ERR_QORINET_NODE_TAINTED = 700021,
};

/// True for success and warnings, which callers treat as success.
inline bool succeeded(std::int32_t result)
{
    return result <= 0;
}

} // namespace qorinet_api
