#include "sim_driver_fixture.h"

#include <filesystem>
#include <vector>

#include <dlfcn.h>

namespace sim_test {
namespace {

std::string libraryPath()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (exe.parent_path() / "libzmpxi_api_x64.so").string();
}

template <class T>
bool resolve(void* handle, const char* name, T& slot, std::string& error)
{
    slot = reinterpret_cast<T>(dlsym(handle, name));
    if (!slot)
        error += std::string(error.empty() ? "" : ", ") + name;
    return slot != nullptr;
}

} // namespace

const DriverApi* loadDriver(std::string& error)
{
    static DriverApi api{};
    static std::string loadError;
    static bool loaded = false;
    if (loaded) {
        error = loadError;
        return loadError.empty() ? &api : nullptr;
    }
    loaded = true;
    void* handle = dlopen(libraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        loadError = dlerror();
        error = loadError;
        return nullptr;
    }
    std::string& e = loadError;
    resolve(handle, "ZaMoDriverInit", api.init, e);
    resolve(handle, "ZaMoDriverDeInit", api.deinit, e);
    resolve(handle, "ZaMoGetParam_i32", api.getI32, e);
    resolve(handle, "ZaMoSetParam_i32", api.setI32, e);
    resolve(handle, "ZaMoGetParam_i64", api.getI64, e);
    resolve(handle, "ZaMoSetParam_i64", api.setI64, e);
    resolve(handle, "ZaMoSetParamStruct_str", api.setStruct, e);
    resolve(handle, "ZaMoGetParamStruct_str", api.getStruct, e);
    resolve(handle, "ZaMoGetParamStruct_strLEN", api.getStructLen, e);
    resolve(handle, "ZaMoSetParamXML_str", api.setXml, e);
    resolve(handle, "ZaMoGetParamXML_str", api.getXml, e);
    resolve(handle, "ZaMoGetParamXML_strLEN", api.getXmlLen, e);
    resolve(handle, "ZaMoOpenCAN", api.openCan, e);
    resolve(handle, "ZaMoCloseCAN", api.closeCan, e);
    resolve(handle, "ZaMoGetChannelPropCAN", api.getCanProp, e);
    resolve(handle, "ZaMoSetChannelPropCAN", api.setCanProp, e);
    resolve(handle, "ZaMoStartCAN", api.startCan, e);
    resolve(handle, "ZaMoStopCAN", api.stopCan, e);
    resolve(handle, "ZaMoReadCAN", api.readCan, e);
    resolve(handle, "ZaMoReadCANRawFrame", api.readCanRaw, e);
    resolve(handle, "ZaMoWriteCAN", api.writeCan, e);
    resolve(handle, "ZaMoErrorCntCAN", api.errorCntCan, e);
    resolve(handle, "ZaMoOpenDmaUart", api.openUart, e);
    resolve(handle, "ZaMoCloseDmaUart", api.closeUart, e);
    resolve(handle, "ZaMoGetChannelPropDmaUart", api.getUartProp, e);
    resolve(handle, "ZaMoSetChannelPropDmaUart", api.setUartProp, e);
    resolve(handle, "ZaMoStartDmaUart", api.startUart, e);
    resolve(handle, "ZaMoStopDmaUart", api.stopUart, e);
    resolve(handle, "ZaMoReadDmaUart", api.readUart, e);
    resolve(handle, "ZaMoReadDmaUartRawFrame", api.readUartRaw, e);
    resolve(handle, "ZaMoWriteDmaUart", api.writeUart, e);
    resolve(handle, "ZaMoErrorConstantToString", api.errorText, e);
    resolve(handle, "ZaMoFreeFramesCAN", api.freeCan, e);
    resolve(handle, "ZaMoFreeDmaUartRawFrame", api.freeUart, e);
    error = loadError;
    return loadError.empty() ? &api : nullptr;
}

void SimDriverTest::SetUp()
{
    std::string error;
    api = loadDriver(error);
    ASSERT_NE(api, nullptr) << error;
    m_site = std::make_unique<z2e::test::SimSite>(z2e::test::SiteOptions{false, true});
    m_site->enter();
    // The driver starts without a configuration unless a test writes one.
    std::filesystem::remove(m_site->configFile());
    m_root = m_site->root();
    m_configDir = m_site->configFolder();
    m_stateDir = *m_site / "state";
    api->setStruct("driver/api/config/thread", "Enabled", "false");
}

void SimDriverTest::TearDown()
{
    if (api)
        api->deinit();
    m_site.reset();
}

void SimDriverTest::useExampleConfig()
{
    writeConfig(readFile(exampleFile("zmpxi_api_config.xml")));
}

void SimDriverTest::writeConfig(const std::string& text)
{
    writeFile(m_configDir + "/zmpxi_api_config.xml", text);
}

void SimDriverTest::useExampleHardware()
{
    setenv("ZMPXI_SIM_HARDWARE", exampleFile("hardware.xml").c_str(), 1);
}

void SimDriverTest::writeHardware(const std::string& text)
{
    const std::string path = m_root + "/hardware.xml";
    writeFile(path, text);
    setenv("ZMPXI_SIM_HARDWARE", path.c_str(), 1);
}

int32_t SimDriverTest::init(const char* mode, int32_t& count)
{
    EXPECT_EQ(api->setStruct("driver/api/config/simulation", "mode", mode), 0);
    count = 12345;
    return api->init(&count);
}

int32_t SimDriverTest::get(const std::string& target, const std::string& item, std::string& answer, uint32_t initial)
{
    std::vector<char> buffer(initial, '\0');
    int32_t result = api->getStruct(target.c_str(), item.c_str(), buffer.data(), static_cast<uint32_t>(buffer.size()));
    while (result == 230001) {
        uint32_t length = 0;
        result = api->getStructLen(target.c_str(), item.c_str(), &length);
        if (result != 0)
            return result;
        if (length <= buffer.size()) {
            ADD_FAILURE() << "LEN of " << target << "/" << item << " did not grow the buffer";
            return -1;
        }
        buffer.assign(length, '\0');
        result = api->getStruct(target.c_str(), item.c_str(), buffer.data(), length);
    }
    if (result <= 0)
        answer = buffer.data();
    return result;
}

int32_t SimDriverTest::set(const std::string& target, const std::string& item, const std::string& value)
{
    return api->setStruct(target.c_str(), item.c_str(), value.c_str());
}

pugi::xml_node SimDriverTest::getDocument(const std::string& target, const std::string& item, pugi::xml_document& doc)
{
    std::string answer;
    const int32_t result = get(target, item, answer);
    EXPECT_LE(result, 0) << target << " / " << item << ": " << api->errorText(result);
    const pugi::xml_parse_result parsed = doc.load_string(answer.c_str());
    EXPECT_TRUE(parsed) << target << " / " << item << " is no XML: " << parsed.description() << "\n" << answer;
    return doc.document_element();
}

std::string SimDriverTest::text(const std::string& target, const std::string& item)
{
    std::string answer;
    const int32_t result = get(target, item, answer);
    EXPECT_LE(result, 0) << target << " / " << item << ": " << api->errorText(result);
    return answer;
}

std::string at(const pugi::xml_node& node, const char* path)
{
    return node.first_element_by_path(path).child_value();
}

std::string exampleFile(const char* name)
{
    return z2e::test::simExamplesDir() + "/" + name;
}

} // namespace sim_test
