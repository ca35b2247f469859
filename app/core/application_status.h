#pragma once
// Outcomes of the program's long operations and the texts shown for them.

#include "driver/command/app_status.h"

#include <cstdint>
#include <string>

namespace z2e {

/// The message of an application status code; an unlisted code gives
/// "Unknown error encountered!\r\nError code <code>.".
std::string statusMessage(std::int32_t code);
/// Whether `code` has a message of its own (statusMessage() does not fall back).
bool statusKnown(std::int32_t code);

} // namespace z2e
