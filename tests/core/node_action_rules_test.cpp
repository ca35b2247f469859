// The rules a node's new name and IP configuration must pass before anything is sent, and the
// IP mode and version the tree shows from what the node reports.

#include "core/node_action_rules.h"
#include "core/remote_system_builder.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

using Rules = NodeActionRules;

NodeIpSettings ipv4(const std::string& address, const std::string& mask)
{
    return {address, mask, "IPv4", "Static"};
}

TEST(NodeActionRules, NamesUpToEighteenCharactersOfAnyLanguageWithoutControlCharacters)
{
    EXPECT_EQ(Rules::checkName("Bench-East-1234567"), Rules::NameCheck::Ok); // 18
    EXPECT_EQ(Rules::checkName("Bench-East-12345678"), Rules::NameCheck::TooLong);
    EXPECT_EQ(Rules::checkName("Rig ~!#"), Rules::NameCheck::Ok);
    // Counted in characters, not bytes: 18 umlauts are 36 bytes.
    std::string umlauts;
    for (int i = 0; i < 18; ++i)
        umlauts += "\xc3\xa4";
    EXPECT_EQ(Rules::checkName(umlauts), Rules::NameCheck::Ok);
    EXPECT_EQ(Rules::checkName(umlauts + "x"), Rules::NameCheck::TooLong);
    EXPECT_EQ(Rules::checkName("\xe6\xb8\xac\xe5\xae\x9a-\xf0\x9f\x94\xa7"), Rules::NameCheck::Ok);
    EXPECT_EQ(Rules::checkName("B\xc3nch"), Rules::NameCheck::BadCharacter);         // cut sequence
    EXPECT_EQ(Rules::checkName("B\xc0\xa1nch"), Rules::NameCheck::BadCharacter);     // overlong
    EXPECT_EQ(Rules::checkName("B\xc2\x85nch"), Rules::NameCheck::BadCharacter);     // C1 control
    EXPECT_EQ(Rules::checkName("B\xed\xa0\x80nch"), Rules::NameCheck::BadCharacter); // surrogate
    EXPECT_EQ(Rules::checkName("Bench\tEast"), Rules::NameCheck::BadCharacter);
    EXPECT_EQ(Rules::checkName(std::string("Bench\x7f")), Rules::NameCheck::BadCharacter);
}

TEST(NodeActionRules, Ipv4FieldsTakeDottedQuadsOnlyAndTheMaskIsJudgedFirst)
{
    EXPECT_EQ(Rules::checkIp(ipv4("10.0.0.7", "255.255.255.255")), Rules::IpCheck::Ok);
    EXPECT_EQ(Rules::checkIp(ipv4("256.1.1.1", "255.255.255.0")), Rules::IpCheck::BadAddress);
    EXPECT_EQ(Rules::checkIp(ipv4("1.2.3", "255.255.255.0")), Rules::IpCheck::BadAddress);
    EXPECT_EQ(Rules::checkIp(ipv4("fe80::1", "255.255.255.0")), Rules::IpCheck::BadAddress);
    EXPECT_EQ(Rules::checkIp(ipv4("", "255.255.255.0")), Rules::IpCheck::BadAddress);
    EXPECT_EQ(Rules::checkIp(ipv4("1.2.3", "255.255.0")), Rules::IpCheck::BadMask);

    NodeIpSettings v6 = {"fe80::1", "255.255.255.0", "IPv6", "DHCP"};
    EXPECT_EQ(Rules::checkIp(v6), Rules::IpCheck::Ok);
    v6.address = "fe80::1::2";
    EXPECT_EQ(Rules::checkIp(v6), Rules::IpCheck::BadAddress);
}

TEST(NodeActionRules, UnchangedIgnoresCaseAndEveryFieldCounts)
{
    const NodeIpSettings initial = {"10.0.0.7", "255.0.0.0", "IPv4", "Static"};
    EXPECT_TRUE(Rules::unchanged(initial, {"10.0.0.7", "255.0.0.0", "ipv4", "STATIC"}));
    EXPECT_FALSE(Rules::unchanged(initial, {"10.0.0.8", "255.0.0.0", "IPv4", "Static"}));
    EXPECT_FALSE(Rules::unchanged(initial, {"10.0.0.7", "255.255.0.0", "IPv4", "Static"}));
    EXPECT_FALSE(Rules::unchanged(initial, {"10.0.0.7", "255.0.0.0", "IPv6", "Static"}));
    EXPECT_FALSE(Rules::unchanged(initial, {"10.0.0.7", "255.0.0.0", "IPv4", "DHCP"}));
}

TEST(NodeActionRules, TheTreeShowsTheModeTheNodeReports)
{
    qorinet_api::QORINetClientNode node(nullptr, 3, 0, 0, false);
    node.setAddressPair(*uni::ipv4::IpAddressPair::fromText("127.0.0.42", "255.0.0.0"));
    const std::pair<std::uint32_t, std::pair<const char*, const char*>> reported[] = {
        {0, {"Static", "IPv4"}}, {0x1100, {"DHCP", "IPv4"}}, {0x1166, {"DHCP", "IPv6"}}, {0x66, {"Static", "IPv6"}}};
    for (const auto& [word, shown] : reported) {
        node.setIpMode(word);
        const NetworkNodeRecord record = RemoteSystemBuilder::recordOf(node);
        EXPECT_EQ(record.ipMode, shown.first) << word;
        EXPECT_EQ(record.ipVersion, shown.second) << word;
        // What the node reports and what the dialog sends are one word.
        EXPECT_EQ(Rules::modeWord(record.ipMode, record.ipVersion), word);
    }
}

} // namespace
} // namespace z2e
