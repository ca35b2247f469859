#include "core/driver_logging.h"

#include "config/qorin_cfg_handler.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace z2e {
namespace {

bool choose(const std::string& wanted, const std::vector<std::string>& options, const char* what,
            std::string& value, std::string& error)
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

bool applyLogChange(const DriverLogChange& change, DriverLogSettings& settings, std::string& error)
{
    DriverLogSettings changed = settings;
    if (!choose(change.level, settings.levelOptions, "level", changed.level, error) ||
        !choose(change.type, settings.typeOptions, "type", changed.type, error) ||
        !choose(change.append, settings.appendOptions, "mode", changed.append, error))
        return false;
    if (!change.fileName.empty())
        changed.fileName = withLogExtension(change.fileName);
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
