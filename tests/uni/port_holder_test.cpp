// The program holding a UDP port is named from /proc; a free port names none.
#include "support/net.h"
#include "uni/port_holder.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
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

    // A program's name is its own choice: control characters in it are not passed on.
    ASSERT_EQ(::prctl(PR_SET_NAME, "ev\x1b[2Jil", 0, 0, 0), 0);
    const std::string shown = uni::PortHolder::describeUdpPort(port);
    ASSERT_EQ(::prctl(PR_SET_NAME, name.c_str(), 0, 0, 0), 0);
    EXPECT_EQ(shown, "ev?[2Jil (process " + std::to_string(::getpid()) + ")");

    holder.reset();
    EXPECT_EQ(uni::PortHolder::describeUdpPort(port), "");
}

// TCP counts only listening sockets: a connection that merely uses the port holds nothing.
TEST(PortHolder, NamesTheProcessListeningOnATcpPort)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
    const std::uint16_t port = ntohs(address.sin_port);
    EXPECT_TRUE(uni::PortHolder::of(uni::PortHolder::Protocol::Tcp, port).processes.empty()) << "bound, not listening";
    ASSERT_EQ(::listen(listener, 1), 0);
    const auto holders = uni::PortHolder::of(uni::PortHolder::Protocol::Tcp, port);
    ::close(listener);
    ASSERT_EQ(holders.processes.size(), 1u);
    EXPECT_EQ(holders.processes[0].pid, ::getpid());
}

} // namespace
