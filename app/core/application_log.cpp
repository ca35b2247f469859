#include "core/application_log.h"

#include "core/app_paths.h"

#include "uni/log.h"

namespace z2e {

std::string startApplicationLog()
{
    uni::log::initialize();
    const std::string folder = expandedAppPath(AppPathKind::LogFolder);
    if (!ensureDirectory(folder))
        return {};

    uni::log::FileSinkOptions options;
    options.fileName = folder + "/" + kAppLogFileName;
    options.async = true;
    options.minSeverity = uni::log::info;
    options.rotationSize = kAppLogRotationSize;
    if (!uni::log::addFileSink(options))
        return {};
    return options.fileName;
}

} // namespace z2e
