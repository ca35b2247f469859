#include "core/driver_library.h"

#include "zmpxi/driver_api.h"

namespace z2e {

void DriverLibrary::useFile(const std::string& path)
{
    setDriverLibraryPath(path);
}

bool DriverLibrary::load()
{
    return loadDriverApi() > 0;
}

bool DriverLibrary::loaded()
{
    return driverApi().loadLevel > 0;
}

std::string DriverLibrary::loadError()
{
    return lastDriverLoadError();
}

std::string DriverLibrary::loadFailure()
{
    std::string places;
    for (const std::string& place : lastDriverLoadPlaces())
        places += (places.empty() ? "" : ", then ") + place;
    return std::string("the driver library ") + displayName() + " (" + fileName() +
           ") could not be loaded; looked for in " + (places.empty() ? std::string("no place") : places) + ": " +
           loadError();
}

const char* DriverLibrary::fileName()
{
    return driverLibraryName();
}

const char* DriverLibrary::displayName()
{
    return driverDisplayName();
}

bool DriverLibrary::resultText(std::int32_t code, std::string& text)
{
    return getDriverErrorText(code, text) == 0;
}

} // namespace z2e
