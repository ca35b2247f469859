#include "zmpxi/driver_api.h"

#include "zmpxi/driver_error_texts.h"

#include <cstdlib>
#include <map>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace z2e {

namespace {

#if defined(_WIN32)
constexpr const char* kLibraryName = "zmpxi_api_x64.dll";
#else
constexpr const char* kLibraryName = "libzmpxi_api_x64.so";
#endif
constexpr const char* kDisplayName = "zmpxi_api_x64.dll";

DriverApi g_api;
std::string g_libraryPath;
std::string g_loadError;
std::vector<std::string> g_loadPlaces;

#if !defined(_WIN32)
// Folder of the running program, where the driver stand-in is installed beside it.
std::string programDirectory()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.rfind('/'));
}
#endif

// Opens by plain name through the normal search; on failure `error` says why and `places`
// lists where it was looked for.
void* openLibrary(const std::string& name, std::string& error, std::vector<std::string>& places)
{
#if defined(_WIN32)
    places.push_back(name.find_first_of("/\\") == std::string::npos ? "the system's library search path" : name);
    HMODULE module = LoadLibraryA(name.c_str());
    if (!module) {
        error = "cannot load " + name + ": system error " + std::to_string(GetLastError());
    }
    return reinterpret_cast<void*>(module);
#else
    if (name.find('/') != std::string::npos) {
        places.push_back(name);
        // The loader would wait for a writer of a FIFO until the time-out.
        struct stat info {};
        if (::stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            error = name + ": " +
                    (S_ISFIFO(info.st_mode)  ? "a FIFO (named pipe)"
                     : S_ISDIR(info.st_mode) ? "a folder"
                                             : "a device or other special file") +
                    ", not a library file";
            return nullptr;
        }
    } else {
        const char* searchPath = std::getenv("LD_LIBRARY_PATH");
        const std::string variable = searchPath && *searchPath ? std::string("LD_LIBRARY_PATH=") + searchPath
                                                               : std::string("LD_LIBRARY_PATH unset");
        places.push_back("the loader's search path (" + variable + ", the run path, the system library folders)");
    }
    // Local binding: the driver's symbols must not satisfy anyone else's lookups.
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle) {
        return handle;
    }
    const char* reason = dlerror();
    error = reason ? reason : "cannot load " + name;
    if (name.find('/') != std::string::npos) {
        return nullptr;
    }
    // The run path finds the program's folder only while dlopen is called from the program
    // itself; sanitizer runtimes intercept the call and lose it. Windows always looks there.
    const std::string folder = programDirectory();
    if (folder.empty()) {
        return nullptr;
    }
    places.push_back(folder + "/" + name);
    handle = dlopen((folder + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle) {
        error.clear();
    } else {
        dlerror(); // the first attempt's reason is the one worth reporting
    }
    return handle;
#endif
}

void closeLibrary(void* handle)
{
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

template <typename Fn>
bool resolve(void* handle, const char* name, Fn& slot)
{
#if defined(_WIN32)
    slot = reinterpret_cast<Fn>(GetProcAddress(reinterpret_cast<HMODULE>(handle), name));
#else
    slot = reinterpret_cast<Fn>(dlsym(handle, name));
#endif
    return slot != nullptr;
}

// Looks up every required name, also after a miss, so the error lists all that are absent.
bool resolveRequired(void* handle, DriverEntryPoints& fn, std::string& missing)
{
    bool complete = true;
#define ZAMO_REQUIRED(name)                                                                                            \
    if (!resolve(handle, #name, fn.name)) {                                                                            \
        missing += missing.empty() ? #name : ", " #name;                                                               \
        complete = false;                                                                                              \
    }
    ZAMO_REQUIRED(ZaMoDriverInit)
    ZAMO_REQUIRED(ZaMoDriverDeInit)
    ZAMO_REQUIRED(ZaMoGetParam_i32)
    ZAMO_REQUIRED(ZaMoSetParam_i32)
    ZAMO_REQUIRED(ZaMoGetParam_i64)
    ZAMO_REQUIRED(ZaMoSetParam_i64)
    ZAMO_REQUIRED(ZaMoSetParamStruct_str)
    ZAMO_REQUIRED(ZaMoGetParamStruct_str)
    ZAMO_REQUIRED(ZaMoGetParamStruct_strLEN)
    ZAMO_REQUIRED(ZaMoSetParamXML_str)
    ZAMO_REQUIRED(ZaMoGetParamXML_str)
    ZAMO_REQUIRED(ZaMoOpenCAN)
    ZAMO_REQUIRED(ZaMoCloseCAN)
    ZAMO_REQUIRED(ZaMoGetChannelPropCAN)
    ZAMO_REQUIRED(ZaMoSetChannelPropCAN)
    ZAMO_REQUIRED(ZaMoStartCAN)
    ZAMO_REQUIRED(ZaMoStopCAN)
    ZAMO_REQUIRED(ZaMoReadCAN)
    ZAMO_REQUIRED(ZaMoReadCANRawFrame)
    ZAMO_REQUIRED(ZaMoWriteCAN)
    ZAMO_REQUIRED(ZaMoErrorCntCAN)
    ZAMO_REQUIRED(ZaMoOpenDmaUart)
    ZAMO_REQUIRED(ZaMoCloseDmaUart)
    ZAMO_REQUIRED(ZaMoGetChannelPropDmaUart)
    ZAMO_REQUIRED(ZaMoSetChannelPropDmaUart)
    ZAMO_REQUIRED(ZaMoStartDmaUart)
    ZAMO_REQUIRED(ZaMoStopDmaUart)
    ZAMO_REQUIRED(ZaMoReadDmaUart)
    ZAMO_REQUIRED(ZaMoReadDmaUartRawFrame)
    ZAMO_REQUIRED(ZaMoWriteDmaUart)
    ZAMO_REQUIRED(ZaMoErrorConstantToString)
#undef ZAMO_REQUIRED
    return complete;
}

// Each optional entry point raises the level by one; the first one missing ends the climb,
// so a driver never reports a level whose lower steps it lacks.
std::int32_t resolveOptional(void* handle, DriverEntryPoints& fn)
{
    if (!resolve(handle, "ZaMoGetParamXML_strLEN", fn.ZaMoGetParamXML_strLEN)) {
        return 1;
    }
    if (!resolve(handle, "ZaMoFreeFramesCAN", fn.ZaMoFreeFramesCAN)) {
        return 2;
    }
    if (!resolve(handle, "ZaMoFreeDmaUartRawFrame", fn.ZaMoFreeDmaUartRawFrame)) {
        return 3;
    }
    return 4;
}

} // namespace

DriverApi& driverApi()
{
    return g_api;
}

std::int32_t loadDriverApi()
{
    if (g_api.loadLevel > 0) {
        return g_api.loadLevel;
    }
    const std::string name = g_libraryPath.empty() ? std::string(kLibraryName) : g_libraryPath;
    g_api.fn = DriverEntryPoints{};
    g_loadError.clear();
    g_loadPlaces.clear();
    void* handle = openLibrary(name, g_loadError, g_loadPlaces);
    if (!handle) {
        return 0;
    }
    std::string missing;
    if (!resolveRequired(handle, g_api.fn, missing)) {
        g_loadError = name + " lacks " + missing;
        g_api.fn = DriverEntryPoints{};
        // Never initialised, so it is released without a de-initialisation.
        closeLibrary(handle);
        return 0;
    }
    g_api.handle = handle;
    g_api.loadLevel = resolveOptional(handle, g_api.fn);
    return g_api.loadLevel;
}

void unloadDriverApi()
{
    if (g_api.loadLevel > 0) {
        if (g_api.fn.ZaMoDriverDeInit) {
            g_api.fn.ZaMoDriverDeInit();
        }
        closeLibrary(g_api.handle);
        g_api.loadLevel = 0;
        g_api.handle = nullptr;
    }
    g_api.fn = DriverEntryPoints{};
}

const char* driverLibraryName()
{
    return kLibraryName;
}

const char* driverDisplayName()
{
    return kDisplayName;
}

void setDriverLibraryPath(const std::string& path)
{
    g_libraryPath = path;
}

std::string lastDriverLoadError()
{
    return g_loadError;
}

std::vector<std::string> lastDriverLoadPlaces()
{
    return g_loadPlaces;
}

std::int32_t getDriverErrorText(std::int32_t code, std::string& text)
{
    // Built once on first use; the static's initialisation is thread-safe and it is only read after.
    static const std::map<std::int32_t, const char*> texts = [] {
        std::map<std::int32_t, const char*> byCode;
        const DriverErrorText* rows = driverErrorTexts();
        for (std::size_t i = 0; i < driverErrorTextCount(); ++i) {
            byCode.emplace(rows[i].code, rows[i].text);
        }
        return byCode;
    }();
    const auto it = texts.find(code);
    if (it == texts.end()) {
        return -5;
    }
    text = it->second;
    return 0;
}

} // namespace z2e
