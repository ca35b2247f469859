// zamo2ctl doctor against what a technician meets: another program holding the port of the
// nodes' answers, a simulator that answers, a remembered node that does not, and a second
// node answering under the first one's address.
#include "support/net.h"
#include "support/node_sim.h"
#include "support/process.h"
#include "support/site.h"
#include "support/zamo2ctl_run.h"

#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/qorinet_protocol.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

namespace z2e {
namespace {

const test::Environment kLoopback = {"QORINET_ALLOWED_NETWORKS=127.0.0.0/8"};

TEST(Zamo2ctlDoctor, NamesTheProgramThatHoldsThePortOfTheAnswers)
{
    const std::uint16_t port = test::freeClientBasePort();
    ASSERT_NE(port, 0);
    const std::string answers = std::to_string(port + 2);
    const char* const python = "/usr/bin/python3";
    if (::access(python, X_OK) != 0)
        GTEST_SKIP() << python << " is needed to hold the port as another program";
    test::BackgroundProcess holder;
    ASSERT_TRUE(holder.start(python, {"-c", "import socket, sys\ns = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
                                            "s.bind(('127.0.0.1', " +
                                                answers + "))\nprint('bound', flush=True)\nsys.stdin.read()\n"}));
    ASSERT_TRUE(holder.waitForOutput("bound", std::chrono::seconds(10))) << holder.errors();

    std::ifstream comm("/proc/" + std::to_string(holder.pid()) + "/comm");
    std::string name;
    std::getline(comm, name);
    const test::ProcessResult run =
        test::ctl("doctor --json --scan-ms 300 --base-port " + std::to_string(port), kLoopback);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(test::holds(run.out, "\"level\":\"problem\",\"title\":\"Port " + answers +
                                         "/UDP (the nodes' answers and announcements) is taken by " + name +
                                         " (process " + std::to_string(holder.pid()) + ")\""));
    EXPECT_TRUE(test::holds(run.out, "\"allWell\":false,\"exitStatus\":1}"));
}

// Answers every scan request that reaches it with a node document claiming `claimed`.
class Impostor {
public:
    Impostor(const std::string& address, std::uint16_t basePort, const std::string& claimed) : m_claimed(claimed)
    {
        m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(static_cast<std::uint16_t>(basePort + qorinet_api::proto::kScanPortOffset));
        ::inet_pton(AF_INET, address.c_str(), &local.sin_addr);
        timeval wait{0, 50000};
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        const int reuse = 1; // beside the simulators, which share the scan port
        ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
        m_bound = ::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
        m_basePort = basePort;
        if (m_bound)
            m_thread = std::thread([this] { answer(); });
    }
    ~Impostor()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_socket);
    }
    bool bound() const { return m_bound; }

private:
    void answer()
    {
        std::uint8_t buffer[9000];
        while (!m_stop) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t size =
                ::recvfrom(m_socket, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            std::uint16_t command = 0;
            std::string xml;
            if (size <= 0 ||
                qorinet_api::DiscoveryPacket::decode(buffer, static_cast<std::size_t>(size), command, xml) != 0)
                continue;
            const std::size_t at = xml.find("<port>");
            if (at != std::string::npos)
                from.sin_port = htons(static_cast<std::uint16_t>(std::stoi(xml.substr(at + 6))));
            const std::string document = "<Cmd><NetBase><cmd-version>65793</cmd-version><net-addr>" + m_claimed +
                                         "</net-addr><net-mask>255.0.0.0</net-mask><ctrl_port>" +
                                         std::to_string(m_basePort) + "</ctrl_port><data_port>" +
                                         std::to_string(m_basePort + 10) +
                                         "</data_port></NetBase><Node><board_cnt>1</board_cnt><name>Impostor</name>"
                                         "<enc_serial>00E4FFFF</enc_serial></Node></Cmd>";
            const auto datagram = qorinet_api::DiscoveryPacket::encode(qorinet_api::proto::CMD_SCAN_ANSWER, document);
            ::sendto(m_socket, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&from),
                     sizeof from);
        }
    }

    std::string m_claimed;
    int m_socket = -1;
    bool m_bound = false;
    std::uint16_t m_basePort = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(Zamo2ctlDoctor, TellsWhichNodesAnswerWhichStayQuietAndWhichShareAnAddress)
{
    const std::string bay = "127.0.0.71";
    const std::string quiet = "127.0.0.72";
    const std::string impostor = "127.0.0.73";
    const std::uint16_t port = test::freeClientBasePort({bay});
    ASSERT_NE(port, 0);
    test::NodeSimProcess sim;
    ASSERT_TRUE(sim.start(bay, {"--name", "Doctor-Bay"}, port)) << sim.output();
    const std::string common = "doctor --scan-ms 1500 --base-port " + std::to_string(port);
    // Remembered nodes are kept in the site's own data folder.
    const test::SimSite site;
    test::Environment env = site.environment();
    env.insert(env.end(), kLoopback.begin(), kLoopback.end());

    // Nothing wrong: exit 0, and the node named with its last answer.
    const test::ProcessResult well = test::ctl(common + " --node " + bay, env);
    EXPECT_EQ(well.exitCode, 0) << well.out << well.err;
    EXPECT_TRUE(test::holds(well.out, "ok  Remembered node Doctor-Bay"));
    EXPECT_TRUE(test::holds(well.out, " at " + bay + " answers"));

    const Impostor twin(impostor, port, bay);
    ASSERT_TRUE(twin.bound());
    // Answers naming an address no node can have are refused, but they did come.
    const std::string nowhere = "127.0.0.74";
    const Impostor unusable(nowhere, port, "0.0.0.0");
    const std::string garbled = "127.0.0.75";
    const Impostor unreadable(garbled, port, "999.1.1.1");
    ASSERT_TRUE(unusable.bound() && unreadable.bound());
    // The quiet node is asked because nodes --add kept it.
    EXPECT_EQ(test::ctl("nodes --remove 127.0.0.99 --add " + quiet, env).exitCode, 64);
    EXPECT_EQ(test::ctl("nodes --scan-ms 300 --base-port " + std::to_string(port) + " --add " + quiet, env).exitCode,
              0);
    const test::ProcessResult run =
        test::ctl(common + " --json --node " + impostor + " --node " + nowhere + " --node " + garbled, env);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(
        test::holds(run.out, "\"level\":\"problem\",\"title\":\"Remembered node " + quiet + " does not answer\""));
    EXPECT_TRUE(test::holds(run.out, "\"level\":\"problem\",\"title\":\"Several nodes answer as " + bay + "\""));
    EXPECT_TRUE(test::holds(run.out, "\"title\":\"Remembered node " + nowhere +
                                         " answers, but its answers cannot be used\",\"detail\":\""));
    EXPECT_TRUE(test::holds(run.out, "the last was refused: it names the address 0.0.0.0, outside the allowed"));
    EXPECT_TRUE(test::holds(run.out, "Remembered node " + garbled + " answers, but its answers cannot be used"));
    EXPECT_TRUE(test::holds(run.out, "refused: it does not name a valid address"));
    EXPECT_TRUE(test::holds(run.out, "Impostor, enclosure 00E4FFFF"));
    EXPECT_TRUE(test::holds(run.out, "Doctor-Bay, enclosure "));
    EXPECT_TRUE(test::holds(run.out, "\"level\":\"ok\",\"title\":\"Scans went out from 127.0.0.1/255.0.0.0"));
}

} // namespace
} // namespace z2e
