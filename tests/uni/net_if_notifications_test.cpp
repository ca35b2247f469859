#include "support/eventually.h"
#include "support/log_capture.h"
#include "support/net.h"

#include "uni/log.h"
#include "uni/net_if_notifications.h"
#include "uni/net_if_provider.h"
#include "uni/osal.h"

#include <gtest/gtest.h>

#include <linux/filter.h>
#include <linux/rtnetlink.h>
#include <linux/seccomp.h>
#include <net/if.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

using uni::IfNetIfNotifications;
using uni::NetIfChange;
using uni::NetIfNotification;
using z2e::test::inFreshNetworkNamespace;
using z2e::test::runIp;

std::uint32_t addr(const char* text)
{
    return uni::ipv4::parseAddress(text).value();
}

std::vector<char> addressMessage(std::uint16_t type, std::uint8_t family, std::uint8_t prefix, std::uint32_t index,
                                 const std::vector<std::pair<std::uint16_t, std::uint32_t>>& attributes)
{
    std::vector<char> bytes(NLMSG_LENGTH(sizeof(ifaddrmsg)) + attributes.size() * RTA_SPACE(4));
    auto* header = reinterpret_cast<nlmsghdr*>(bytes.data());
    header->nlmsg_len = static_cast<std::uint32_t>(bytes.size());
    header->nlmsg_type = type;
    auto* message = static_cast<ifaddrmsg*>(NLMSG_DATA(header));
    message->ifa_family = family;
    message->ifa_prefixlen = prefix;
    message->ifa_index = index;
    char* at = bytes.data() + NLMSG_LENGTH(sizeof(ifaddrmsg));
    for (const auto& [kind, value] : attributes) {
        const rtattr attribute{static_cast<unsigned short>(RTA_LENGTH(4)), kind};
        std::memcpy(at, &attribute, sizeof attribute);
        std::memcpy(at + RTA_LENGTH(0), &value, 4);
        at += RTA_SPACE(4);
    }
    return bytes;
}

std::vector<char> joined(std::initializer_list<std::vector<char>> parts)
{
    std::vector<char> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Exactly-sized heap copy, so that any read past the end shows up under the address sanitizer.
std::vector<NetIfNotification> parse(const std::vector<char>& bytes, std::size_t length, std::size_t offset = 0)
{
    const std::unique_ptr<char[]> copy(new char[length + offset]);
    std::memcpy(copy.get() + offset, bytes.data(), length);
    return IfNetIfNotifications::parseNetlink(copy.get() + offset, length);
}

TEST(NetlinkParsing, ReadsAddedAndDeletedIpv4AddressesOnly)
{
    const auto added =
        addressMessage(RTM_NEWADDR, AF_INET, 24, 7, {{IFA_ADDRESS, addr("10.9.9.9")}, {IFA_LOCAL, addr("10.0.0.1")}});
    const auto deleted = addressMessage(RTM_DELADDR, AF_INET, 16, 9, {{IFA_ADDRESS, addr("10.1.0.1")}});
    const auto bytes = joined({added, addressMessage(RTM_NEWADDR, AF_INET6, 64, 7, {}),
                               addressMessage(RTM_NEWADDR, AF_INET, 33, 7, {}),
                               addressMessage(RTM_NEWLINK, AF_INET, 24, 7, {}), deleted});
    for (const std::size_t offset : {0, 1}) {
        const auto seen = parse(bytes, bytes.size(), offset);
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].kind, NetIfChange::Added);
        EXPECT_EQ(seen[0].index, 7u);
        EXPECT_EQ(seen[0].address, addr("10.0.0.1")); // own address, not the point-to-point peer
        EXPECT_EQ(seen[0].pair(), uni::ipv4::IpAddressPair("10.0.0.1", addr("255.255.255.0")));
        EXPECT_EQ(seen[1].kind, NetIfChange::Deleted);
        EXPECT_EQ(seen[1].index, 9u);
        EXPECT_EQ(seen[1].address, addr("10.1.0.1"));
        EXPECT_EQ(seen[1].prefixLength, 16);
    }

    const auto control = [](std::uint16_t type) {
        const nlmsghdr header{NLMSG_LENGTH(0), type, 0, 0, 0};
        return std::vector<char>(reinterpret_cast<const char*>(&header), reinterpret_cast<const char*>(&header + 1));
    };
    const auto tail = joined({control(NLMSG_OVERRUN), control(NLMSG_DONE), deleted});
    const auto seen = parse(tail, tail.size());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, NetIfChange::Resync);
}

TEST(NetlinkParsing, TruncatedOrLyingLengthsNeverReadOutside)
{
    const auto one = addressMessage(RTM_NEWADDR, AF_INET, 24, 3, {{IFA_LOCAL, addr("10.0.0.1")}});
    const auto bytes = joined({one, one});
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        const std::size_t expected = length / one.size();
        EXPECT_EQ(parse(bytes, length).size(), expected) << "length " << length;
    }

    auto lying = one;
    reinterpret_cast<nlmsghdr*>(lying.data())->nlmsg_len = 4096;
    EXPECT_TRUE(parse(lying, lying.size()).empty());

    auto headerOnly = one; // an address message too short to hold its ifaddrmsg
    headerOnly.resize(NLMSG_HDRLEN);
    reinterpret_cast<nlmsghdr*>(headerOnly.data())->nlmsg_len = NLMSG_HDRLEN;
    EXPECT_TRUE(parse(headerOnly, headerOnly.size()).empty());

    auto badAttribute = one; // attribute claims more than the message holds
    reinterpret_cast<rtattr*>(badAttribute.data() + NLMSG_LENGTH(sizeof(ifaddrmsg)))->rta_len = 200;
    const auto seen = parse(badAttribute, badAttribute.size());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].address, 0u);
    EXPECT_TRUE(IfNetIfNotifications::parseNetlink(nullptr, 64).empty());
}

class Recorder : public uni::IfNetIfNotificationHandler {
public:
    /// `hook` runs before a change is recorded; `throws` makes every call fail after recording.
    explicit Recorder(std::function<void()> hook = {}, bool throws = false) : m_hook(std::move(hook)), m_throws(throws)
    {
    }

    void onNetIfChange(const NetIfNotification& notification) override
    {
        if (m_hook)
            m_hook();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_seen.push_back(notification);
        if (m_throws)
            throw std::runtime_error("handler failure");
    }

    /// Prefix length of the matching change, or -1 when none came within ten seconds.
    int waitFor(unsigned index, NetIfChange kind, std::uint32_t address)
    {
        int prefix = -1;
        z2e::test::eventually(
            [&] {
                std::lock_guard<std::mutex> lock(m_mutex);
                for (const auto& n : m_seen)
                    if (n.index == index && n.kind == kind && n.address == address)
                        prefix = n.prefixLength;
                return prefix >= 0;
            },
            std::chrono::seconds(10));
        return prefix;
    }

    std::size_t count()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_seen.size();
    }

private:
    std::function<void()> m_hook;
    bool m_throws;
    std::mutex m_mutex;
    std::vector<NetIfNotification> m_seen;
};

TEST(NetIfNotifications, ReportsAddressAddedToAndRemovedFromVeth)
{
    const std::string impossible = inFreshNetworkNamespace([] {
        ASSERT_EQ(runIp({"link", "add", "zq0", "type", "veth", "peer", "name", "zq1"}), 0);
        ASSERT_EQ(runIp({"link", "set", "zq0", "up"}), 0);
        const unsigned zq0 = ::if_nametoindex("zq0");
        IfNetIfNotifications notifications;
        auto replaced = std::make_shared<Recorder>();
        std::atomic<int> insideResult{0};
        // This handler also tries to unregister from the listener thread and then throws: the
        // first must be refused rather than deadlock, the second must not end the listener.
        auto recorder =
            std::make_shared<Recorder>([&] { insideResult = notifications.unregisterNetIfNotifications(); }, true);
        ASSERT_EQ(notifications.registerNetIfNotifications(replaced), 0);
        ASSERT_EQ(notifications.unregisterNetIfNotifications(), 0);
        EXPECT_FALSE(notifications.netIfNotificationsRegistered());
        ASSERT_EQ(notifications.registerNetIfNotifications(replaced), 0);
        ASSERT_EQ(notifications.registerNetIfNotifications(recorder), 0);

        ASSERT_EQ(runIp({"addr", "add", "10.213.7.1/24", "dev", "zq0"}), 0);
        EXPECT_EQ(recorder->waitFor(zq0, NetIfChange::Added, addr("10.213.7.1")), 24);
        EXPECT_EQ(insideResult.load(), -(uni::osal::ERR_UNI_OSAL_EBUSY - uni::osal::ERR_UNI_OSAL_BASE));

        // What the address observer does next: look at the interface the notification names.
        uni::NetInterface netIf;
        ASSERT_EQ(uni::NetIfProvider().findInterface(zq0, netIf, uni::AllowedNetworks()), 0);
        EXPECT_EQ(netIf.description, "zq0 [Ethernet]");
        EXPECT_EQ(netIf.hardwareAddress.size(), 6u);
        EXPECT_NE(netIf.hardwareAddressText(), "00:00:00:00:00:00");
        EXPECT_EQ(netIf.addresses,
                  (uni::ipv4::IpAddressPairList{uni::ipv4::IpAddressPair("10.213.7.1", addr("255.255.255.0"))}));

        ASSERT_EQ(runIp({"addr", "del", "10.213.7.1/24", "dev", "zq0"}), 0);
        EXPECT_EQ(recorder->waitFor(zq0, NetIfChange::Deleted, addr("10.213.7.1")), 24);
        EXPECT_EQ(replaced->count(), 0u);
        EXPECT_EQ(notifications.unregisterNetIfNotifications(), 0);
    });
    if (!impossible.empty())
        GTEST_SKIP() << impossible;
}

// Makes socket() fail with EACCES for the calling thread only, as a sandbox would.
bool denySocketsOnThisThread()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_socket, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EACCES),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

TEST(NetIfNotifications, FailedRegistrationIsLoggedAndReturnsSocketError)
{
    const z2e::test::LogCapture log;
    ASSERT_TRUE(log.ok());
    IfNetIfNotifications notifications;
    int result = 0;
    bool sandboxed = false;
    std::thread([&] {
        sandboxed = denySocketsOnThisThread();
        if (sandboxed)
            result = notifications.registerNetIfNotifications();
    }).join();
    const std::string logged = log.text();
    if (!sandboxed)
        GTEST_SKIP() << "seccomp filters are not available";
    EXPECT_EQ(result, -(uni::osal::ERR_UNI_OSAL_ESOCKET - uni::osal::ERR_UNI_OSAL_BASE));
    EXPECT_FALSE(notifications.netIfNotificationsRegistered());
    EXPECT_NE(logged.find("error [tnnetobs] Register for network address change failed."), std::string::npos) << logged;
}

} // namespace
