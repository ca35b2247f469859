#pragma once
// The driver's result text table: every code the driver reports, with its symbolic text.

#include <cstddef>
#include <cstdint>

namespace z2e {

/// One row of the table: a driver result code and its fixed text.
struct DriverErrorText {
    std::int32_t code;
    const char* text;
};

/// The rows in the driver's own order (an ordered map built from them must keep it as its
/// fill order); no code occurs twice.
const DriverErrorText* driverErrorTexts();

/// Number of rows behind driverErrorTexts().
std::size_t driverErrorTextCount();

} // namespace z2e
