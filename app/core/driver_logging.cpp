#include "core/driver_logging.h"

#include "config/qorin_cfg_handler.h"
#include "core/json_text.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace z2e {
namespace {

bool choose(const std::string& wanted, const std::vector<std::string>& options, const char* what, std::string& value,
            std::string& error)
{
    if (wanted.empty())
        return true;
    if (!options.empty() && std::find(options.begin(), options.end(), wanted) == options.end()) {
        error = std::string(what) + " \"" + wanted + "\" is not one of:";
        for (const std::string& option : options)
            error += " " + option;
        return false;
    }
    value = wanted;
    return true;
}

} // namespace

std::string withLogExtension(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (fileName.empty() || fileName.find('.', nameStart) != std::string::npos)
        return fileName;
    return fileName + ".log";
}

bool checkLogFileName(const std::string& name, const std::string& logFolder, std::string& error)
{
    const std::string quoted = "the log file name \"" + name + "\"";
    if (name.find_first_of("/\\") != std::string::npos) {
        error = quoted + " names a file in the driver's log folder and may not hold '/' or '\\'";
        return false;
    }
    if (name == "." || name == ".." || name.size() > 250) {
        error = quoted + " is not a file name";
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            error = quoted + " holds a control character";
            return false;
        }
    }
    // The configuration is UTF-8 XML: one broken byte and the driver's parser refuses all of it.
    if (validUtf8(name) != name) {
        error = "the log file name \"" + validUtf8(name) + "\" holds broken UTF-8 text";
        return false;
    }
    if (name.find("lock_file") != std::string::npos) {
        error = quoted + " is that of the driver's lock files";
        return false;
    }
    if (logFolder.empty())
        return true;
    const std::filesystem::path file(name);
    const std::string developer = file.stem().string() + "_Dev" + file.extension().string();
    for (const std::string& entry : {name, developer}) {
        struct stat info {};
        const std::string path = logFolder + "/" + entry;
        if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            const char* kind = S_ISDIR(info.st_mode)    ? "a folder"
                               : S_ISLNK(info.st_mode)  ? "a symbolic link"
                               : S_ISFIFO(info.st_mode) ? "a FIFO (named pipe)"
                               : S_ISSOCK(info.st_mode) ? "a socket"
                                                        : "a device";
            error = quoted + ": " + path + " is " + kind + ", not a plain log file";
            return false;
        }
    }
    return true;
}

bool applyLogChange(const DriverLogChange& change, DriverLogSettings& settings, std::string& error,
                    const std::string& configFile)
{
    DriverLogSettings changed = settings;
    if (!choose(change.level, settings.levelOptions, "level", changed.level, error) ||
        !choose(change.type, settings.typeOptions, "type", changed.type, error) ||
        !choose(change.append, settings.appendOptions, "mode", changed.append, error))
        return false;
    if (!change.fileName.empty())
        changed.fileName = withLogExtension(change.fileName);
    // The name the configuration holds stays usable as it is (also a path its author wrote).
    if (changed.fileName != settings.fileName &&
        !checkLogFileName(changed.fileName, configFile.empty() ? std::string() : driverLogFolder(configFile, changed),
                          error))
        return false;
    settings = changed;
    return true;
}

bool saveLogSettings(QorinCfgHandler& config, const std::string& path, const DriverLogSettings& settings)
{
    return config.writeLoggerSettings(&settings) && config.saveConfig(path);
}

std::string driverLogFolder(const std::string& configFile, const DriverLogSettings& settings)
{
    const std::filesystem::path commandLog(settings.fileName);
    if (commandLog.is_absolute())
        return commandLog.parent_path().string();
    return (std::filesystem::path(configFile).parent_path() / "log").string();
}

} // namespace z2e
