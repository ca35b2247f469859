#pragma once
// Loads the driver stand-in beside the test program and gives every test a site of its own,
// without hardware or configuration.

#include "support/site.h"

#include <cstdint>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "zmpxi_api.h"

namespace sim_test {

/// The driver's entry points, resolved once per process.
struct DriverApi {
    ZaMoDriverInit_t init;
    ZaMoDriverDeInit_t deinit;
    ZaMoGetParam_i32_t getI32;
    ZaMoSetParam_i32_t setI32;
    ZaMoGetParam_i64_t getI64;
    ZaMoSetParam_i64_t setI64;
    ZaMoSetParamStruct_str_t setStruct;
    ZaMoGetParamStruct_str_t getStruct;
    ZaMoGetParamStruct_strLEN_t getStructLen;
    ZaMoSetParamXML_str_t setXml;
    ZaMoGetParamXML_str_t getXml;
    ZaMoGetParamXML_strLEN_t getXmlLen;
    ZaMoOpenCAN_t openCan;
    ZaMoCloseCAN_t closeCan;
    ZaMoGetChannelPropCAN_t getCanProp;
    ZaMoSetChannelPropCAN_t setCanProp;
    ZaMoStartCAN_t startCan;
    ZaMoStopCAN_t stopCan;
    ZaMoReadCAN_t readCan;
    ZaMoReadCANRawFrame_t readCanRaw;
    ZaMoWriteCAN_t writeCan;
    ZaMoErrorCntCAN_t errorCntCan;
    ZaMoOpenDmaUart_t openUart;
    ZaMoCloseDmaUart_t closeUart;
    ZaMoGetChannelPropDmaUart_t getUartProp;
    ZaMoSetChannelPropDmaUart_t setUartProp;
    ZaMoStartDmaUart_t startUart;
    ZaMoStopDmaUart_t stopUart;
    ZaMoReadDmaUart_t readUart;
    ZaMoReadDmaUartRawFrame_t readUartRaw;
    ZaMoWriteDmaUart_t writeUart;
    ZaMoErrorConstantToString_t errorText;
    ZaMoFreeFramesCAN_t freeCan;
    ZaMoFreeDmaUartRawFrame_t freeUart;
};

/// Null when the library or one of its 34 entry points is missing; `error` says which.
const DriverApi* loadDriver(std::string& error);

class SimDriverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Copies the shipped example configuration into the test's configuration folder.
    void useExampleConfig();
    void writeConfig(const std::string& text);
    /// Points ZMPXI_SIM_HARDWARE at the shipped example, or at a file with `text`.
    void useExampleHardware();
    void writeHardware(const std::string& text);

    /// Sets the simulation mode parameter, then initialises; returns the init answer.
    int32_t init(const char* mode, int32_t& count);
    /// The text getter with the growth loop of a careful caller (starting with `initial` bytes).
    int32_t get(const std::string& target, const std::string& item, std::string& answer, uint32_t initial = 64);
    int32_t set(const std::string& target, const std::string& item, const std::string& value);
    /// Gets a document and parses it; fails the test when either step fails.
    pugi::xml_node getDocument(const std::string& target, const std::string& item, pugi::xml_document& doc);
    std::string text(const std::string& target, const std::string& item);

    std::unique_ptr<z2e::test::SimSite> m_site;
    std::string m_root;
    std::string m_configDir;
    std::string m_stateDir;
    const DriverApi* api = nullptr;
};

/// The text of `path` below `node`.
std::string at(const pugi::xml_node& node, const char* path);
using z2e::test::readFile;
using z2e::test::writeFile;
std::string exampleFile(const char* name);

} // namespace sim_test
