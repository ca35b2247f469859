#pragma once
// The rules of the driver's logging settings shared by the logging dialog and `zamo2ctl logging`:
// the log file name, the allowed values, saving into the driver configuration, and where the
// driver's log files are (the source of the report package).

#include "config/driver_log_settings.h"

#include <string>

namespace z2e {

class QorinCfgHandler;

/// `fileName` with ".log" appended when its last path part holds no dot; else unchanged.
std::string withLogExtension(const std::string& fileName);

/// The settings a caller wants changed; an empty field keeps the current value.
struct DriverLogChange {
    std::string fileName;
    std::string level;
    std::string type;
    std::string append;
};

/// Whether `name` (as withLogExtension makes it) may be the driver's log file: a plain file
/// name in the driver's log folder `logFolder` - no '/' or '\\', not "." or "..", no control
/// character, not a name of the driver's lock files - where nothing but a regular file (or
/// nothing) stands under that name or its developer log's ("<stem>_Dev<extension>"). An
/// empty `logFolder` skips the look at the folder. False with `error` saying why in words.
bool checkLogFileName(const std::string& name, const std::string& logFolder, std::string& error);

/// Applies `change` to `settings`: the file name by withLogExtension, each value only when its
/// option list holds it (any value while the configuration lists none). A file name other
/// than the one the settings hold must pass checkLogFileName (in the log folder of the
/// configuration `configFile`, when given). False with `error` naming the refused value and
/// the allowed ones; `settings` is then unchanged.
bool applyLogChange(const DriverLogChange& change, DriverLogSettings& settings, std::string& error,
                    const std::string& configFile = "");

/// Writes `settings` into the configuration of `config` and saves it to `path` (a temporary
/// file renamed over it). False when the file could not be written.
bool saveLogSettings(QorinCfgHandler& config, const std::string& path, const DriverLogSettings& settings);

/// The folder of the driver's log files: the folder of the command log when the settings name
/// it by an absolute path, else the "log" folder beside the configuration file `configFile`.
std::string driverLogFolder(const std::string& configFile, const DriverLogSettings& settings);

} // namespace z2e
