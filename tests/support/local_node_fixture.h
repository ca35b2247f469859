#pragma once
// A local node on the scripted test driver, loaded in place of the real one; each test starts
// from a fresh script. Header only: the support library itself stays free of the product.

#include "support/fake_driver.h"

#include "zmpxi/driver_api.h"
#include "qorinet_api/client/qorinet_local_client_node.h"

#include <gtest/gtest.h>

#include <chrono>
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
    }

    /// Connects with `boards` reported by the init; the script is cleared of the connect's calls.
    void connectWith(std::int32_t boards)
    {
        fakeDriver().boardCount = boards;
        ASSERT_EQ(0, node.connect());
        fakeDriver().calls.clear();
    }

    qorinet_api::QORINetLocalClientNode node{7};
    std::vector<std::chrono::milliseconds> waits;
};

} // namespace z2e::test
