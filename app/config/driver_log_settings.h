#pragma once

#include <string>
#include <vector>

namespace z2e {

/// The driver's logging settings as the logging dialog edits them.
///
/// fileName is the command log name; the developer log name is derived from it when the
/// settings are written back (see QorinCfgHandler::writeLoggerSettings).
struct DriverLogSettings {
    std::string fileName;
    std::string level;
    std::string type;
    std::string append;
    std::vector<std::string> levelOptions;  ///< allowed LogLevel values, document order
    std::vector<std::string> typeOptions;   ///< allowed LogType values
    std::vector<std::string> appendOptions; ///< allowed LogAppend values
};

} // namespace z2e
