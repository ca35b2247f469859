// Which nodes the computer cannot reach at the address they claim, the words that say why, and
// the free address offered to them; and the store of node addresses the operator added.

#include "core/node_address_check.h"
#include "core/remembered_nodes.h"

#include "support/fixed_interfaces.h"
#include "support/site.h"

#include <gtest/gtest.h>

namespace z2e {
namespace {

using Check = NodeAddressCheck;

Check::LocalNetwork local(const char* address, int prefix, const char* name)
{
    return {uni::ipv4::IpAddressPair(address, uni::ipv4::maskFromPrefix(prefix).value()), name};
}

TEST(NodeAddressCheck, ANodeOutsideTheNetworkThatHeardItIsInconsistentAndOfferedAFreeAddress)
{
    const Check check({local("192.168.1.10", 24, "eth0")});
    const auto verdicts = check.judge({{"Far", "10.0.5.7", "255.255.0.0", "192.168.1.10"},
                                       {"Near", "192.168.1.11", "255.255.255.0", "192.168.1.10"},
                                       {"Silent", "10.0.9.9", "", ""}});
    ASSERT_EQ(verdicts.size(), 3u);
    EXPECT_EQ(verdicts[0].status, "Inconsistent IP settings");
    EXPECT_EQ(verdicts[0].problem, "node 10.0.5.7/16 is not in this computer's 192.168.1.0/24 on eth0");
    EXPECT_FALSE(verdicts[0].conflict);
    // .10 is the computer's, .11 a node's.
    EXPECT_EQ(verdicts[0].freeAddress, "192.168.1.12");
    EXPECT_EQ(verdicts[0].freeMask, "255.255.255.0");
    EXPECT_TRUE(verdicts[1].consistent());
    EXPECT_TRUE(verdicts[1].freeAddress.empty());
    // Not told how it saw the computer: the computer's only network heard it.
    EXPECT_EQ(verdicts[2].problem, "node 10.0.9.9 is not in this computer's 192.168.1.0/24 on eth0");
}

TEST(NodeAddressCheck, TheComputersAddressTheNodeSawNamesTheNetworkThatHeardIt)
{
    const Check check({local("192.168.1.10", 24, "eth0"), local("10.1.0.1", 16, "eth1")});
    const auto verdicts = check.judge({{"A", "172.16.0.9", "255.255.0.0", "10.1.0.1"},
                                       {"B", "172.16.0.8", "", ""},
                                       {"C", "10.1.200.3", "255.255.0.0", "192.168.1.10"}});
    EXPECT_EQ(verdicts[0].problem, "node 172.16.0.9/16 is not in this computer's 10.1.0.0/16 on eth1");
    EXPECT_EQ(verdicts[0].freeAddress, "10.1.0.2");
    EXPECT_EQ(verdicts[1].problem, "node 172.16.0.8 is not in any of this computer's networks "
                                   "(192.168.1.0/24 on eth0, 10.1.0.0/16 on eth1)");
    EXPECT_TRUE(verdicts[2].consistent()) << "inside one of the computer's networks is enough";
}

TEST(NodeAddressCheck, TwoNodesClaimingOneAddressAreBothMarked)
{
    const Check check({local("127.0.1.1", 24, "")});
    const auto verdicts = check.judge({{"Left", "127.0.1.2", "255.255.255.0", ""},
                                       {"Right", "127.0.1.2", "255.255.255.0", ""},
                                       {"Other", "127.0.1.3", "255.255.255.0", ""},
                                       {"", "bogus", "", ""}});
    for (int i : {0, 1}) {
        EXPECT_TRUE(verdicts[i].conflict) << i;
        EXPECT_EQ(verdicts[i].problem, "address 127.0.1.2 is claimed by 2 nodes (Left, Right)") << i;
    }
    // Past the computer's and the claimed addresses, and not the same for both.
    EXPECT_EQ(verdicts[0].freeAddress, "127.0.1.4");
    EXPECT_EQ(verdicts[1].freeAddress, "127.0.1.5");
    EXPECT_TRUE(verdicts[2].consistent());
    EXPECT_EQ(verdicts[3].problem, "the node claims \"bogus\", which is not an IPv4 address");
}

TEST(NodeAddressCheck, ANetworkWithoutAFreeHostOffersNoAddressAndNoNetworkJudgesNothing)
{
    const auto full =
        Check({local("192.168.7.1", 30, "wg0")}).judge({{"X", "192.168.7.2", "", ""}, {"Y", "10.0.0.1", "", ""}});
    EXPECT_FALSE(full[1].consistent());
    EXPECT_TRUE(full[1].freeAddress.empty()) << full[1].freeAddress;
    EXPECT_TRUE(Check({}).judge({{"X", "10.0.0.1", "", ""}})[0].consistent());
}

TEST(NodeAddressCheck, LocalNetworksAreNamedAfterTheInterfaceThatCarriesTheAddress)
{
    const test::FixedInterfaces interfaces(
        {test::netInterface(2, "eth0 [Ethernet]", {2, 0, 0, 0, 0, 1}, {{"10.9.0.4", "255.255.0.0"}})});
    const auto named = Check::named({*uni::ipv4::IpAddressPair::fromText("10.9.0.4", "255.255.0.0"),
                                     *uni::ipv4::IpAddressPair::fromText("10.8.0.4", "255.255.0.0")},
                                    interfaces);
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(named[0].interfaceName, "eth0");
    EXPECT_EQ(named[1].interfaceName, "");
}

TEST(RememberedNodes, AddsOnceRemovesAndRefusesWhatNamesNoSingleNode)
{
    test::ScratchFolder folder;
    const RememberedNodes store(folder / "data");
    std::string message;
    EXPECT_TRUE(store.addresses().empty());
    EXPECT_EQ(store.add("127.0.6.9", message), RememberedNodes::Outcome::Added);
    EXPECT_EQ(message, "127.0.6.9 remembered; it is asked at every scan");
    EXPECT_EQ(store.add("127.0.6.9", message), RememberedNodes::Outcome::AlreadyThere);
    EXPECT_EQ(store.add("127.0.6.1", message), RememberedNodes::Outcome::Added);
    EXPECT_EQ(store.addresses(), (std::vector<std::string>{"127.0.6.9", "127.0.6.1"}));
    EXPECT_EQ(RememberedNodes(folder / "data").addresses().size(), 2u) << "kept in the file";

    EXPECT_EQ(store.remove("127.0.6.9", message), RememberedNodes::Outcome::Removed);
    EXPECT_EQ(store.remove("127.0.6.9", message), RememberedNodes::Outcome::NotThere);
    EXPECT_EQ(message, "127.0.6.9 is not among the remembered node addresses; nothing to remove");
    EXPECT_EQ(store.addresses(), std::vector<std::string>{"127.0.6.1"});

    const uni::ipv4::IpAddressPairList lan{*uni::ipv4::IpAddressPair::fromText("127.0.1.1", "255.255.255.0")};
    EXPECT_EQ(RememberedNodes::refusal("127.0.1.20", lan), "");
    EXPECT_NE(RememberedNodes::refusal("127.0.1.0", lan)
                  .find("is the network address of this computer's network "
                        "127.0.1.0"),
              std::string::npos);
    EXPECT_NE(RememberedNodes::refusal("127.0.1.255", lan).find("is the broadcast address"), std::string::npos);
    EXPECT_NE(RememberedNodes::refusal("0.0.0.0", lan).find("names no node"), std::string::npos);
    EXPECT_NE(RememberedNodes::refusal("255.255.255.255", lan).find("broadcast, multicast"), std::string::npos);
    EXPECT_NE(RememberedNodes::refusal("224.0.0.1", lan).find("broadcast, multicast"), std::string::npos);
    EXPECT_NE(RememberedNodes::refusal("10.0.0.1", lan).find("outside the networks this program may use"),
              std::string::npos);
    for (const char* text : {"node-7", "127.0.1", "127.0.1.300", ""})
        EXPECT_NE(RememberedNodes::refusal(text, lan).find("is not an IPv4 address"), std::string::npos) << text;
    EXPECT_EQ(store.add("127.0.0.0", message), RememberedNodes::Outcome::Refused) << "the network of lo";
    EXPECT_EQ(store.addresses().size(), 1u);
}

TEST(RememberedNodes, AFileEditedByHandKeepsItsGoodLinesAndAnUnwritableFolderIsSaidInWords)
{
    test::ScratchFolder folder;
    test::writeFile(folder / RememberedNodes::kFileName, " 127.0.6.2 \r\nnot a node\n0.0.0.0\n127.0.6.2\n127.0.6.3");
    EXPECT_EQ(RememberedNodes(folder.path()).addresses(), (std::vector<std::string>{"127.0.6.2", "127.0.6.3"}));

    test::writeFile(folder / "file", "");
    std::string message;
    EXPECT_EQ(RememberedNodes(folder / "file").add("127.0.6.4", message), RememberedNodes::Outcome::Failed);
    EXPECT_NE(message.find("could not be written to " + folder / "file/" + RememberedNodes::kFileName),
              std::string::npos)
        << message;

    // A file too large to be a list is left as it is, not replaced by a list of one.
    const std::string big(100 * 1024, '7');
    test::writeFile(folder / RememberedNodes::kFileName, big);
    EXPECT_EQ(RememberedNodes(folder.path()).add("127.0.6.4", message), RememberedNodes::Outcome::Failed);
    EXPECT_NE(message.find("cannot be read"), std::string::npos) << message;
    EXPECT_EQ(RememberedNodes(folder.path()).remove("127.0.6.2", message), RememberedNodes::Outcome::Failed);
    EXPECT_EQ(test::readFile(folder / RememberedNodes::kFileName), big);
}

} // namespace
} // namespace z2e
