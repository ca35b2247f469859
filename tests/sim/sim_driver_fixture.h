#pragma once
// Loads the driver stand-in beside the test program and gives every test a site of its own,
// without hardware or configuration.

#include "support/site.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "zmpxi/driver_api.h"

namespace sim_test {

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
    /// getDocument with the document kept until the test ends.
    pugi::xml_node doc(const std::string& target, const std::string& item);
    /// The Passed verdict of board `board` in a check document.
    std::string passed(const std::string& target, const std::string& item, int board);
    /// init that must succeed; returns the board count (stderr, where malformed input is told, is dropped).
    int32_t started(const char* mode);

    std::unique_ptr<z2e::test::SimSite> m_site;
    std::string m_root;
    std::string m_configDir;
    std::string m_stateDir;
    /// The binding, loaded once per process and kept: the driver stays in memory between tests.
    const z2e::DriverEntryPoints* api = nullptr;
    std::list<pugi::xml_document> m_documents;
};

/// The text of `path` below `node`.
std::string at(const pugi::xml_node& node, const char* path);
using z2e::test::readFile;
using z2e::test::writeFile;
std::string exampleFile(const char* name);
/// `text` with its one `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to);

} // namespace sim_test
