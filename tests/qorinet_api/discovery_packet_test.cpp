// Discovery datagrams: the layout written, and every datagram that must be refused.

#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/payload_writer.h"

#include "uni/hash_sha3.h"
#include "uni/osal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qorinet_api::ControlFrame;
using qorinet_api::DiscoveryPacket;
using qorinet_api::PayloadWriter;
using Bytes = std::vector<std::uint8_t>;

Bytes sha3(const Bytes& data, std::size_t size)
{
    uni::HashSHA3 hash(256);
    hash.update(data.data(), size);
    hash.finalise();
    Bytes digest(32);
    hash.writeDigest(digest.data(), digest.size());
    return digest;
}

void reseal(Bytes& datagram)
{
    const Bytes digest = sha3(datagram, datagram.size() - 32);
    std::copy(digest.begin(), digest.end(), datagram.end() - 32);
}

int decode(const Bytes& datagram, std::uint16_t& command, std::string& xml)
{
    return DiscoveryPacket::decode(datagram.data(), datagram.size(), command, xml);
}

TEST(DiscoveryPacketTest, WritesHeaderLengthsDocumentAndDigest)
{
    const std::string xml = "<Cmd><NetBase/></Cmd>";
    const Bytes d = DiscoveryPacket::encode(3, xml, 0xBEEF);
    ASSERT_EQ(d.size(), 12 + xml.size() + 32);
    EXPECT_EQ((Bytes{d[0], d[1], d[2], d[3]}), (Bytes{0xEF, 0xBE, 3, 0}));
    EXPECT_EQ(d[4], xml.size() + 4);
    EXPECT_EQ(d[8], xml.size());
    EXPECT_EQ(std::string(d.begin() + 12, d.end() - 32), xml);
    EXPECT_EQ(Bytes(d.end() - 32, d.end()), sha3(d, d.size() - 32));

    std::uint16_t command = 0;
    std::string back;
    EXPECT_EQ(decode(d, command, back), 0);
    EXPECT_EQ(command, 3);
    EXPECT_EQ(back, xml);
}

TEST(DiscoveryPacketTest, RefusesWrongSizesLengthsAndDigests)
{
    const Bytes good = DiscoveryPacket::encode(8, "<Cmd/>");
    std::uint16_t command = 77;
    std::string xml = "untouched";

    Bytes shortOne(good.begin(), good.end() - 1);
    EXPECT_EQ(decode(shortOne, command, xml), uni::osal::SOCK_EFORMAT);
    Bytes trailing = good;
    trailing.push_back(0);
    EXPECT_EQ(decode(trailing, command, xml), uni::osal::SOCK_EFORMAT);
    Bytes lengthMismatch = good;
    lengthMismatch[8] -= 1;
    reseal(lengthMismatch);
    EXPECT_EQ(decode(lengthMismatch, command, xml), uni::osal::SOCK_EFORMAT);
    Bytes badDigest = good;
    badDigest[12] ^= 1;
    EXPECT_EQ(decode(badDigest, command, xml), uni::osal::SOCK_ECHECKSUM);
    EXPECT_EQ(decode(Bytes(10, 0), command, xml), uni::osal::SOCK_EFORMAT);
    EXPECT_EQ(DiscoveryPacket::decode(nullptr, 50, command, xml), uni::osal::SOCK_EFORMAT);

    // Larger than the receive buffer: cut off on a real socket, so never valid, and never built.
    const Bytes largest = DiscoveryPacket::encode(3, std::string(DiscoveryPacket::kMaxDocumentSize, 'x'));
    EXPECT_EQ(largest.size(), 8192u);
    EXPECT_TRUE(DiscoveryPacket::encode(3, std::string(DiscoveryPacket::kMaxDocumentSize + 1, 'x')).empty());
    Bytes oversize(4, 0);
    PayloadWriter::storeU32(oversize.data(), 8200);
    oversize.resize(4 + 8200, 'x');
    EXPECT_EQ(decode(ControlFrame::encode(3, oversize.data(), oversize.size()), command, xml), uni::osal::SOCK_EFORMAT);
    EXPECT_EQ(command, 77);
    EXPECT_EQ(xml, "untouched");
}

} // namespace
