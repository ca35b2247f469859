// The program holding a UDP port is named from /proc; a free port names none.
#include "support/net.h"
#include "uni/port_holder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <memory>

namespace {

TEST(PortHolder, NamesTheProcessThatBoundThePortAndNoneOnceItLetsGo)
{
    auto holder = std::make_unique<z2e::test::HeldUdpPort>();
    const std::uint16_t port = holder->port();
    ASSERT_NE(port, 0);
    std::ifstream comm("/proc/self/comm");
    std::string name;
    std::getline(comm, name);
    EXPECT_EQ(uni::PortHolder::describeUdpPort(port), name + " (process " + std::to_string(::getpid()) + ")");

    holder.reset();
    EXPECT_EQ(uni::PortHolder::describeUdpPort(port), "");
}

} // namespace
