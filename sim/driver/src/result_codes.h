#pragma once
// The driver result codes this driver produces, and their symbolic texts.

#include <cstdint>

namespace zmpxi_sim {

/// Result codes as the driver hands them out: 0 success, > 0 error, < 0 warning.
namespace rc {
constexpr std::int32_t ok = 0;
constexpr std::int32_t hardwareAlreadyInUse = 0x0001;
constexpr std::int32_t boardAlreadyOpen = 0x0104;
constexpr std::int32_t boardNotOpen = 0x0105;
constexpr std::int32_t invalidChannelNo = 0x0301;
constexpr std::int32_t notSupportedFunction = 0x0306;
constexpr std::int32_t canNotOpen = 0x0402;
constexpr std::int32_t canCannotStart = 0x0403;
constexpr std::int32_t canAlreadyStarted = 0x0405;
constexpr std::int32_t canNotStarted = 0x0406;
constexpr std::int32_t uartNotOpen = 0x0407;
constexpr std::int32_t uartAlreadyStarted = 0x0409;
constexpr std::int32_t uartNotStarted = 0x040a;
constexpr std::int32_t boardNotAvailable = 100002;
constexpr std::int32_t boardNoNotValid = 100030;
constexpr std::int32_t enclosureNoNotValid = 100023;
constexpr std::int32_t paramInvalid = 100007;
constexpr std::int32_t targetUnknown = 100008;
constexpr std::int32_t commandInvalid = 100009;
constexpr std::int32_t internalError = 100010;
constexpr std::int32_t functionNotValidForBoard = 100018;
constexpr std::int32_t boardNameUnknown = 100012;
constexpr std::int32_t baseEepromFileNull = 220001;
constexpr std::int32_t conEepromFileNull = 220002;
constexpr std::int32_t baseEepromWriteError = 220003;
constexpr std::int32_t bufferTooSmall = 230001;
constexpr std::int32_t e2promI2cError = 240001;
constexpr std::int32_t firmwareFileNotFound = -260002;
constexpr std::int32_t firmwareFileError = 260003;
constexpr std::int32_t firmwareUpdateFailed = 260004;
constexpr std::int32_t firmwareModelNotFound = -260005;
constexpr std::int32_t firmwareRevisionNotFound = -260006;
constexpr std::int32_t eepromBusy = 260101;
constexpr std::int32_t eepromChecksumFailed = 260102;
constexpr std::int32_t eepromWriteFailed = 260104;
constexpr std::int32_t eepromReadFailed = 260105;
constexpr std::int32_t xmlParsingFailed = 260803;
constexpr std::int32_t installedOlder = -260901;
constexpr std::int32_t installedNewer = -260902;
constexpr std::int32_t noTestData = 310005;
constexpr std::int32_t canChannelNotValid = 140012;
constexpr std::int32_t canItemNotValid = 140112;
constexpr std::int32_t uartUsedNotValid = 282012;
} // namespace rc

/// The symbolic text of a code, "NAME (code)"; codes 1..0x0a00 are written in hexadecimal.
/// Unknown codes give "UNKNOWN_RESULT (code)". The text stays valid until the next call
/// for an unknown code from the same thread.
const char* resultText(std::int32_t code);

} // namespace zmpxi_sim
