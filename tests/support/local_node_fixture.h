#pragma once
// A local node on the scripted test driver, loaded in place of the real one; each test starts
// from a fresh script. Header only: the support library itself stays free of the product.

#include "support/fake_driver.h"

#include "zmpxi/driver_api.h"
#include "qorinet_api/client/qorinet_local_client_node.h"
#include "uni/log.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace z2e::test {

class FakeDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        z2e::unloadDriverApi();
        z2e::setDriverLibraryPath(fakeDriverPath());
        fakeDriver().reset();
        node.setRetryWait([this](std::chrono::milliseconds delay) { waits.push_back(delay); });
    }
    void TearDown() override
    {
        z2e::unloadDriverApi();
        z2e::setDriverLibraryPath({});
        uni::log::removeAllSinks();
        if (!m_logPath.empty())
            std::remove(m_logPath.c_str());
    }

    /// Connects with `boards` reported by the init; the script is cleared of the connect's calls.
    void connectWith(std::int32_t boards)
    {
        fakeDriver().boardCount = boards;
        ASSERT_EQ(0, node.connect());
        fakeDriver().calls.clear();
    }

    void captureLog()
    {
        uni::log::initialize();
        m_logPath = "/tmp/qorinet_node_test_" + std::to_string(::getpid()) + ".log";
        uni::log::FileSinkOptions sink;
        sink.fileName = m_logPath;
        sink.minSeverity = uni::log::debug;
        sink.channel = "qorinetapi";
        sink.append = false;
        ASSERT_TRUE(uni::log::addFileSink(sink));
    }

    /// Log lines of the node's channel that contain `text`.
    int logLinesWith(const std::string& text)
    {
        uni::log::flush();
        std::ifstream in(m_logPath);
        int count = 0;
        for (std::string line; std::getline(in, line);)
            count += line.find(text) != std::string::npos;
        return count;
    }

    qorinet_api::QORINetLocalClientNode node{7};
    std::vector<std::chrono::milliseconds> waits;

private:
    std::string m_logPath;
};

} // namespace z2e::test
