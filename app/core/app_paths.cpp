#include "core/app_paths.h"

#include "config/output_destination.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace z2e {

const char* const kCommonDocumentsPlaceholder = "%COMMON_DOCUMENTS%";
const char* const kAppLogFileName = "zamo2explorer.log";

namespace {

std::string environmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool usableFolder(const std::string& path)
{
    if (path.empty() || !ensureDirectory(path))
        return false;
    return ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string absoluteText(const std::string& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error)
        return path;
    return absolute.lexically_normal().string();
}

std::string temporaryFolder()
{
    std::error_code error;
    fs::path folder = fs::temp_directory_path(error);
    if (error || folder.empty())
        return "/tmp";
    return absoluteText(folder.string());
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

std::string appPathTemplate(AppPathKind kind)
{
    const std::string data = std::string(kCommonDocumentsPlaceholder) + "/Norvale/zamo2explorer";
    switch (kind) {
    case AppPathKind::DataFolder: return data;
    case AppPathKind::LogFolder: return data + "/log";
    }
    return {};
}

std::string commonDocumentsFolder()
{
    const std::string own = environmentText("ZAMO2_COMMON_DOCUMENTS");
    if (usableFolder(own))
        return absoluteText(own);
    const std::string xdg = environmentText("XDG_DATA_HOME");
    // Relative XDG paths are invalid by definition and must be ignored.
    if (!xdg.empty() && xdg.front() == '/' && usableFolder(xdg))
        return absoluteText(xdg);
    const std::string home = environmentText("HOME");
    if (!home.empty() && usableFolder(home + "/.local/share"))
        return absoluteText(home + "/.local/share");
    return temporaryFolder();
}

std::string expandPathTemplate(const std::string& pathTemplate)
{
    std::string text = pathTemplate;
    if (text.find(kCommonDocumentsPlaceholder) != std::string::npos)
        replaceAll(text, kCommonDocumentsPlaceholder, commonDocumentsFolder());
    return absoluteText(text);
}

std::string expandedAppPath(AppPathKind kind)
{
    const std::string pathTemplate = appPathTemplate(kind);
    if (pathTemplate.empty())
        return {};
    return expandPathTemplate(pathTemplate);
}

void protectProgramData(const std::string& driverConfigFile, const std::string& driverLogFolder)
{
    OutputDestination::protectOwnData(expandedAppPath(AppPathKind::DataFolder),
                                      "in the program's data folder (maintenance journal, snapshots, logs)");
    OutputDestination::protectOwnData(driverConfigFile, "the driver configuration");
    OutputDestination::protectOwnData(driverLogFolder, "in the driver's log folder");
}

bool ensureDirectory(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::exists(status))
        return fs::is_directory(status);
    fs::create_directories(path, error);
    if (error)
        return false;
    return fs::is_directory(path, error);
}

} // namespace z2e
