#pragma once
// Process-wide binding of the acquisition driver library, loaded at run time by file name.
// There is one driver per process, so the binding is a plain global.

#include "zmpxi_api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace z2e {

/// Entry points in the order they are resolved; each is null until resolved.
struct DriverEntryPoints {
    ZaMoDriverInit_t ZaMoDriverInit = nullptr;
    ZaMoDriverDeInit_t ZaMoDriverDeInit = nullptr;
    ZaMoGetParam_i32_t ZaMoGetParam_i32 = nullptr;
    ZaMoSetParam_i32_t ZaMoSetParam_i32 = nullptr;
    ZaMoGetParam_i64_t ZaMoGetParam_i64 = nullptr;
    ZaMoSetParam_i64_t ZaMoSetParam_i64 = nullptr;
    ZaMoSetParamStruct_str_t ZaMoSetParamStruct_str = nullptr;
    ZaMoGetParamStruct_str_t ZaMoGetParamStruct_str = nullptr;
    ZaMoGetParamStruct_strLEN_t ZaMoGetParamStruct_strLEN = nullptr;
    ZaMoSetParamXML_str_t ZaMoSetParamXML_str = nullptr;
    ZaMoGetParamXML_str_t ZaMoGetParamXML_str = nullptr;
    ZaMoOpenCAN_t ZaMoOpenCAN = nullptr;
    ZaMoCloseCAN_t ZaMoCloseCAN = nullptr;
    ZaMoGetChannelPropCAN_t ZaMoGetChannelPropCAN = nullptr;
    ZaMoSetChannelPropCAN_t ZaMoSetChannelPropCAN = nullptr;
    ZaMoStartCAN_t ZaMoStartCAN = nullptr;
    ZaMoStopCAN_t ZaMoStopCAN = nullptr;
    ZaMoReadCAN_t ZaMoReadCAN = nullptr;
    ZaMoReadCANRawFrame_t ZaMoReadCANRawFrame = nullptr;
    ZaMoWriteCAN_t ZaMoWriteCAN = nullptr;
    ZaMoErrorCntCAN_t ZaMoErrorCntCAN = nullptr;
    ZaMoOpenDmaUart_t ZaMoOpenDmaUart = nullptr;
    ZaMoCloseDmaUart_t ZaMoCloseDmaUart = nullptr;
    ZaMoGetChannelPropDmaUart_t ZaMoGetChannelPropDmaUart = nullptr;
    ZaMoSetChannelPropDmaUart_t ZaMoSetChannelPropDmaUart = nullptr;
    ZaMoStartDmaUart_t ZaMoStartDmaUart = nullptr;
    ZaMoStopDmaUart_t ZaMoStopDmaUart = nullptr;
    ZaMoReadDmaUart_t ZaMoReadDmaUart = nullptr;
    ZaMoReadDmaUartRawFrame_t ZaMoReadDmaUartRawFrame = nullptr;
    ZaMoWriteDmaUart_t ZaMoWriteDmaUart = nullptr;
    ZaMoErrorConstantToString_t ZaMoErrorConstantToString = nullptr;
    ZaMoGetParamXML_strLEN_t ZaMoGetParamXML_strLEN = nullptr;   // level 2
    ZaMoFreeFramesCAN_t ZaMoFreeFramesCAN = nullptr;             // level 3
    ZaMoFreeDmaUartRawFrame_t ZaMoFreeDmaUartRawFrame = nullptr; // level 4
};

/// The loaded library: API level (0 = not loaded, else 1..4), handle and entry points.
struct DriverApi {
    std::int32_t loadLevel = 0;
    void* handle = nullptr;
    DriverEntryPoints fn;
};

/// The one binding of this process. Callers test an entry point before calling it and
/// answer 2 when it is null.
DriverApi& driverApi();

/// Loads the library and resolves its entry points; returns the API level (0 = failed).
/// Idempotent while loaded.
std::int32_t loadDriverApi();

/// De-initialises (when resolved) and frees the library; clears every entry point. Always safe.
void unloadDriverApi();

/// The plain file name the library is loaded by ("libzmpxi_api_x64.so" here).
const char* driverLibraryName();

/// Name of the library in messages to the operator ("zmpxi_api_x64.dll").
const char* driverDisplayName();

/// Loads a library of another name from now on (tests, or a driver kept elsewhere). Empty
/// restores the default. Takes effect at the next load.
void setDriverLibraryPath(const std::string& path);

/// Why the last load ended at level 0 (the loader's message or the missing entry points);
/// empty after a successful load. Written only by loadDriverApi.
std::string lastDriverLoadError();

/// Where the last load looked for the library, in the order tried. Written only by loadDriverApi.
std::vector<std::string> lastDriverLoadPlaces();

/// 0 and the text when `code` is in the driver result text table, else -5 (out untouched).
std::int32_t getDriverErrorText(std::int32_t code, std::string& text);

} // namespace z2e
