#include "result_codes.h"

#include <cstdio>
#include <string>

namespace zmpxi_sim {
namespace {

struct CodeText {
    std::int32_t code;
    const char* text;
};

// Only the codes this driver can hand out; the program carries the complete table.
constexpr CodeText kTexts[] = {
    {rc::ok, "ERR_NONE (0)"},
    {rc::hardwareAlreadyInUse, "ERR_HARDWARE_ALREADY_IN_USE (0x0001)"},
    {rc::boardAlreadyOpen, "ERR_BOARD_ALREADY_OPEN (0x0104)"},
    {rc::boardNotOpen, "ERR_BOARD_NOT_OPEN (0x0105)"},
    {rc::invalidChannelNo, "ERR_INVALID_CHANNEL_NO (0x0301)"},
    {rc::notSupportedFunction, "ERR_NOT_SUPPORTED_FUNCTION (0x0306)"},
    {rc::canNotOpen, "ERR_CAN_NOT_OPEN (0x0402)"},
    {rc::canAlreadyStarted, "ERR_CAN_ALREADY_STARTED (0x0405)"},
    {rc::canNotStarted, "ERR_CAN_NOT_STARTED (0x0406)"},
    {rc::uartNotOpen, "ERR_UART_NOT_OPEN (0x0407)"},
    {rc::uartAlreadyStarted, "ERR_UART_ALREADY_STARTED (0x0409)"},
    {rc::uartNotStarted, "ERR_UART_NOT_STARTED (0x040a)"},
    {rc::boardNotAvailable, "ERR_BOARD_NOT_AVAILABLE (100002)"},
    {rc::boardNoNotValid, "ERR_BOARD_NO_NOT_VALID (100030)"},
    {rc::enclosureNoNotValid, "ERR_ENCLOSURE_NO_NOT_VALID (100023)"},
    {rc::paramInvalid, "ERR_PARAM_INVALID (100007)"},
    {rc::targetUnknown, "ERR_TARGET_UNKNOWN (100008)"},
    {rc::commandInvalid, "ERR_COMMAND_INVALID (100009)"},
    {rc::internalError, "ERR_INTERNAL_ERROR (100010)"},
    {rc::functionNotValidForBoard, "ERR_FUNCTION_NOT_VALID_FOR_BOARD (100018)"},
    {rc::boardNameUnknown, "ERROR_BOARD_NAME_UNKNOWN (100012)"},
    {rc::baseEepromFileNull, "ERROR_BASEEEPROM_FILE_NULL (220001)"},
    {rc::conEepromFileNull, "ERROR_CONEEPROM_FILE_NULL (220002)"},
    {rc::baseEepromWriteError, "ERROR_BASEEEPROM_WRITE_ERROR (220003)"},
    {rc::bufferTooSmall, "ERROR_BUFFER_TOO_SMALL (230001)"},
    {rc::e2promI2cError, "ERROR_E2PROM_I2C_ERROR (240001)"},
    {rc::firmwareFileNotFound, "WARNING_FIRMWARE_FILE_NOT_FOUND (-260002)"},
    {rc::firmwareFileError, "ERROR_FIRMWARE_FILE_ERROR (260003)"},
    {rc::firmwareUpdateFailed, "ERROR_FIRMWARE_UPDATE_FAILED (260004)"},
    {rc::firmwareModelNotFound, "WARNING_FIRMWARE_MODEL_NOT_FOUND (-260005)"},
    {rc::firmwareRevisionNotFound, "WARNING_FIRMWARE_REVISION_NOT_FOUND (-260006)"},
    {rc::eepromBusy, "ERROR_EEPROM_BUSY (260101)"},
    {rc::eepromChecksumFailed, "ERROR_EEPROM_CHECKSUM_FAILED (260102)"},
    {rc::eepromWriteFailed, "ERROR_EEPROM_WRITE_FAILED (260104)"},
    {rc::eepromReadFailed, "ERROR_EEPROM_READ_FAILED (260105)"},
    {rc::xmlParsingFailed, "ERROR_XML_PARSING_FAILED (260803)"},
    {rc::installedOlder, "WARNING_INSTALLED_OLDER (-260901)"},
    {rc::installedNewer, "WARNING_INSTALLED_NEWER (-260902)"},
    {rc::noTestData, "ERR_NOTESTDATA (310005)"},
    {rc::canChannelNotValid, "ERR_CAN_CHANNEL_NOT_VALID (140012)"},
    {rc::canItemNotValid, "ERR_CAN_ITEM_NOT_VALID (140112)"},
    {rc::uartUsedNotValid, "ERROR_UART_USED_NOT_VALID (282012)"},
};

} // namespace

const char* resultText(std::int32_t code)
{
    for (const CodeText& entry : kTexts) {
        if (entry.code == code)
            return entry.text;
    }
    thread_local char unknown[48];
    std::snprintf(unknown, sizeof unknown, "UNKNOWN_RESULT (%d)", static_cast<int>(code));
    return unknown;
}

} // namespace zmpxi_sim
