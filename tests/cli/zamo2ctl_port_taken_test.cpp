// A scan whose answer port another program holds says so, on standard error, and fails: it
// never reports "no nodes" as if there were none.
#include "support/zamo2ctl_run.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace z2e {
namespace {

TEST(Zamo2ctlPortTaken, AScanThatCannotListenFailsInWords)
{
    // A base port of this test's own; the answers come back to P + 2.
    const int basePort = 40000 + static_cast<int>(::getpid() % 5000) * 3;
    const int holder = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(holder, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(basePort + 2));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const test::ProcessResult scan =
        test::zamo2ctl({"--json", "--scan-ms", "300", "--base-port", std::to_string(basePort), "nodes"},
                       {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8"});
    ::close(holder);
    EXPECT_EQ(scan.exitCode, 69);
    EXPECT_EQ(scan.out, "");
    EXPECT_NE(scan.err.find("UDP port " + std::to_string(basePort + 2) + " is taken by another program"),
              std::string::npos)
        << scan.err;
    // Taken by a command that does not reach the network too, so that a script may pass it always.
    EXPECT_EQ(test::zamo2ctl({"--base-port", std::to_string(basePort), "driver-text", "1"}).exitCode, 0);
}

} // namespace
} // namespace z2e
