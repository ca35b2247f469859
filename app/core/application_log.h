#pragma once
// The first two steps of the process: the logging core, then the application log file.

#include <cstdint>
#include <string>

namespace z2e {

/// The application log starts a new file at this size.
constexpr std::uint64_t kAppLogRotationSize = 52428800;

/// Starts the logging core and, when the log folder exists or can be made, an asynchronous file
/// sink "zamo2explorer.log" in it (severity info and up). Returns the log file's path, or empty
/// when the program runs without a log file.
std::string startApplicationLog();

} // namespace z2e
