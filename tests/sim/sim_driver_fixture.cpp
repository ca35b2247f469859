#include "sim_driver_fixture.h"

#include <filesystem>
#include <vector>

namespace sim_test {

void SimDriverTest::SetUp()
{
    ASSERT_EQ(z2e::loadDriverApi(), 4) << z2e::lastDriverLoadError();
    api = &z2e::driverApi().fn;
    m_site = std::make_unique<z2e::test::SimSite>(z2e::test::SiteOptions{false, true});
    m_site->enter();
    // The driver starts without a configuration unless a test writes one.
    std::filesystem::remove(m_site->configFile());
    m_root = m_site->root();
    m_configDir = m_site->configFolder();
    m_stateDir = *m_site / "state";
    api->ZaMoSetParamStruct_str("driver/api/config/thread", "Enabled", "false");
}

void SimDriverTest::TearDown()
{
    if (api)
        api->ZaMoDriverDeInit();
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
    EXPECT_EQ(api->ZaMoSetParamStruct_str("driver/api/config/simulation", "mode", mode), 0);
    count = 12345;
    return api->ZaMoDriverInit(&count);
}

int32_t SimDriverTest::get(const std::string& target, const std::string& item, std::string& answer, uint32_t initial)
{
    std::vector<char> buffer(initial, '\0');
    int32_t result =
        api->ZaMoGetParamStruct_str(target.c_str(), item.c_str(), buffer.data(), static_cast<uint32_t>(buffer.size()));
    while (result == 230001) {
        uint32_t length = 0;
        result = api->ZaMoGetParamStruct_strLEN(target.c_str(), item.c_str(), &length);
        if (result != 0)
            return result;
        if (length <= buffer.size()) {
            ADD_FAILURE() << "LEN of " << target << "/" << item << " did not grow the buffer";
            return -1;
        }
        buffer.assign(length, '\0');
        result = api->ZaMoGetParamStruct_str(target.c_str(), item.c_str(), buffer.data(), length);
    }
    if (result <= 0)
        answer = buffer.data();
    return result;
}

int32_t SimDriverTest::set(const std::string& target, const std::string& item, const std::string& value)
{
    return api->ZaMoSetParamStruct_str(target.c_str(), item.c_str(), value.c_str());
}

pugi::xml_node SimDriverTest::getDocument(const std::string& target, const std::string& item, pugi::xml_document& doc)
{
    std::string answer;
    const int32_t result = get(target, item, answer);
    EXPECT_LE(result, 0) << target << " / " << item << ": " << api->ZaMoErrorConstantToString(result);
    const pugi::xml_parse_result parsed = doc.load_string(answer.c_str());
    EXPECT_TRUE(parsed) << target << " / " << item << " is no XML: " << parsed.description() << "\n" << answer;
    return doc.document_element();
}

std::string SimDriverTest::text(const std::string& target, const std::string& item)
{
    std::string answer;
    const int32_t result = get(target, item, answer);
    EXPECT_LE(result, 0) << target << " / " << item << ": " << api->ZaMoErrorConstantToString(result);
    return answer;
}

pugi::xml_node SimDriverTest::doc(const std::string& target, const std::string& item)
{
    return getDocument(target, item, m_documents.emplace_back());
}

std::string SimDriverTest::passed(const std::string& target, const std::string& item, int board)
{
    return doc(target, item).child(("BoardId" + std::to_string(board)).c_str()).attribute("Passed").value();
}

int32_t SimDriverTest::started(const char* mode)
{
    int32_t count = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(init(mode, count), 0) << mode;
    testing::internal::GetCapturedStderr();
    return count;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
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
