// The node simulator on the wire: discovery datagrams, control frames and maintenance
// requests checked byte by byte. Framing and digests are the library's (its own tests check
// their bytes by hand), since the simulator builds on it.

#include "node_sim/scan_socket.h"
#include "support/net.h"
#include "support/node_sim.h"

#include "qorinet_api/client/qorinet_data_frame.h"
#include "qorinet_api/common/control_frame.h"
#include "qorinet_api/common/discovery_packet.h"
#include "qorinet_api/common/frame_reader.h"
#include "qorinet_api/common/wire_records.h"

#include "uni/osal.h"
#include "uni/tcp_socket.h"
#include "uni/udp_socket.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace z2e::test {
namespace {

constexpr std::uint16_t kHello = 17;
constexpr std::uint16_t kNodeSettings = 20;
constexpr std::uint16_t kGetParamI32 = 33;
constexpr std::uint16_t kGetParamStructStr = 49;
constexpr std::uint16_t kAnswer = 0x4000;

void putU32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}
std::uint32_t getU32(const std::uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

Bytes frame(std::uint16_t command, const Bytes& payload)
{
    return qorinet_api::ControlFrame::encode(command, payload.data(), payload.size());
}

Bytes documentPayload(const std::string& xml)
{
    Bytes out;
    putU32(out, 0);
    putU32(out, std::uint32_t(xml.size()));
    out.insert(out.end(), xml.begin(), xml.end());
    return out;
}

/// The text at `path` below Cmd.
std::string at(const pugi::xml_document& doc, const std::string& path)
{
    return doc.first_element_by_path(("Cmd/" + path).c_str()).text().as_string();
}

using Texts = std::vector<std::string>;

Texts texts(const pugi::xml_document& doc, const Texts& paths)
{
    Texts out;
    for (const std::string& path : paths)
        out.push_back(at(doc, path));
    return out;
}

struct Frame {
    std::uint16_t command = 0;
    Bytes payload; ///< empty unless the frame came whole, under a sound digest
};

/// A raw control connection.
class ControlLink {
public:
    ControlLink(const std::string& address, std::uint16_t port)
    {
        m_socket.setRemoteEnd(address, port);
        m_socket.setReceiveTimeout(2000);
        m_ok = m_socket.connect() == 0;
    }
    bool ok() const { return m_ok; }
    void send(const Bytes& bytes) { m_socket.send(bytes.data(), bytes.size()); }
    void setTimeout(std::uint32_t ms) { m_socket.setReceiveTimeout(ms); }

    /// One frame: its size, or the reader's failure (SOCK_EFORMAT once the node closed).
    int read(Frame& out)
    {
        qorinet_api::FrameBuffer buffer;
        qorinet_api::FrameHeader header{};
        const int got = qorinet_api::FrameReader::read(m_socket, buffer, header);
        out.command = header.command;
        out.payload.assign(buffer.payload(), buffer.payload() + (got > 0 ? buffer.size() : 0));
        return got;
    }
    bool closedByNode()
    {
        Frame none;
        return read(none) == uni::osal::SOCK_EFORMAT;
    }

    /// Sends a request and reads its answer.
    Frame request(std::uint16_t command, const Bytes& payload)
    {
        send(frame(command, payload));
        Frame f;
        read(f);
        return f;
    }

    /// The client hello; data port 0 asks for no data connection.
    Frame hello(std::uint16_t dataPort = 0)
    {
        return request(kHello, documentPayload("<Cmd><Client><cmd-version>65536</cmd-version>"
                                               "<sw-version>268435457</sw-version><net-addr>127.0.0.1</net-addr>"
                                               "<net-mask>255.0.0.0</net-mask><ctrl_port>9237</ctrl_port>"
                                               "<data_port>" +
                                               std::to_string(dataPort) +
                                               "</data_port><session>7</session>"
                                               "<scan-time>1000</scan-time></Client></Cmd>"));
    }

private:
    uni::TCPSocket m_socket{uni::Socket::Locked};
    bool m_ok = false;
};

Bytes paramBlock(std::uint32_t board, std::uint32_t command)
{
    Bytes block;
    putU32(block, board);
    putU32(block, command);
    block.resize(32, 0);
    return block;
}

std::int32_t status(const Frame& f)
{
    return f.payload.size() >= 4 ? std::int32_t(getU32(f.payload.data())) : -999;
}

/// A sound answer to `command` with status 0.
void expectAnswer(const Frame& f, std::uint16_t command)
{
    EXPECT_EQ(f.command, command | kAnswer);
    EXPECT_EQ(status(f), 0);
}

/// The status of node settings `node` (the inside of the Node element).
std::int32_t nodeSettings(ControlLink& link, const std::string& node)
{
    return status(link.request(kNodeSettings, documentPayload("<Cmd><Node>" + node + "</Node></Cmd>")));
}

class NodeSimTest : public ::testing::Test {
protected:
    void startNode(const std::string& address, const std::vector<std::string>& extra = {})
    {
        ASSERT_TRUE(sim.start(address, extra)) << sim.output();
        base = sim.basePort();
    }

    /// The scan answer to a broadcast scan; an announcement of a node that just moved or
    /// restarted may come first and is passed over.
    void scanOnce(pugi::xml_document& doc, std::string* sender = nullptr)
    {
        ScanSocket scan(base);
        ASSERT_TRUE(scan.ok());
        scan.sendScan(std::to_string(base + 2));
        std::uint16_t command = kAnnounce;
        for (int i = 0; i < 3 && command == kAnnounce; ++i)
            command = scan.receiveOne(doc, 2000, sender);
        EXPECT_EQ(command, kScanAnswer);
    }

    /// One request on a fresh connection to the maintenance port (P + 6) of `address`.
    Frame maintenance(const std::string& address, std::uint16_t command, const Bytes& payload = {})
    {
        ControlLink link(address, std::uint16_t(base + 6));
        Frame f;
        if (link.ok())
            f = link.request(command, payload);
        return f;
    }

    NodeSimProcess sim;
    std::uint16_t base = 0;
};

TEST_F(NodeSimTest, AnnouncesAtStartAndAnswersScansFromItsOwnAddress)
{
    const std::uint16_t port = freeClientBasePort({"127.0.0.21"});
    ScanSocket client(port);
    ASSERT_TRUE(client.ok());
    ASSERT_TRUE(sim.start("127.0.0.21", {"--simulation"}, port)) << sim.output();

    pugi::xml_document doc;
    EXPECT_EQ(client.receiveOne(doc, 2000), kAnnounce);
    EXPECT_EQ(at(doc, "NetBase/net-addr"), "127.0.0.21");
    EXPECT_TRUE(doc.first_element_by_path("Cmd/NetBase/client-addr").empty()) << "an announcement has no client";

    // Without "port" the answer goes to P + 2 all the same.
    client.sendScan("");
    std::string sender;
    EXPECT_EQ(client.receiveOne(doc, 2000, &sender), kScanAnswer);
    EXPECT_EQ(sender, "127.0.0.21");
    EXPECT_EQ(texts(doc, {"NetBase/net-mask", "NetBase/ctrl_port", "NetBase/data_port", "NetBase/client-addr",
                          "Node/board_cnt", "Node/EnclosureList/Enclosure/slot_cnt",
                          "Node/EnclosureList/Enclosure/slot_no_offset"}),
              (Texts{"255.0.0.0", std::to_string(port), std::to_string(port + 10), "127.0.0.1", "4", "6", "2"}));
    const auto boards = doc.select_nodes("Cmd/Node/BoardList/Board");
    ASSERT_EQ(boards.size(), 4u);
    EXPECT_EQ(std::string(boards[0].node().child_value("board_name")), "QA-4016");
    EXPECT_EQ(std::string(boards[3].node().child_value("slot_idx")), "3");
    EXPECT_TRUE(doc.first_element_by_path("Cmd/NetClient").empty());

    // A request with a broken digest or the wrong command is not answered.
    Bytes broken = qorinet_api::DiscoveryPacket::encode(kScanRequest, "<Cmd><NetBase/></Cmd>");
    broken.back() ^= 1;
    client.sendRaw(broken, "127.255.255.255");
    client.sendRaw(qorinet_api::DiscoveryPacket::encode(kScanAnswer, "<Cmd><NetBase/></Cmd>"), "127.255.255.255");
    EXPECT_TRUE(client.collect(1, 300).empty());
}

TEST_F(NodeSimTest, DefaultNameAndRefusedAddressesAndOptions)
{
    startNode("127.0.0.22");
    pugi::xml_document doc;
    scanOnce(doc);
    EXPECT_EQ(at(doc, "Node/name"), "SimNode-0.22");

    const std::uint16_t spare = freeClientBasePort();
    for (const auto& refused : std::vector<std::vector<std::string>>{{}, {"--fault", "bogus"}, {"--nodes", "0"}}) {
        NodeSimProcess outside;
        EXPECT_FALSE(outside.start(refused.empty() ? "192.0.2.10" : "127.0.0.22", refused, spare));
        EXPECT_EQ(outside.output().find("ready"), std::string::npos);
        EXPECT_EQ(outside.stop(), 2);
    }
}

TEST_F(NodeSimTest, HelloGetParamAndSettingsAtTheByteLevel)
{
    startNode("127.0.0.23", {"--simulation"});
    ControlLink link("127.0.0.23", base);
    ASSERT_TRUE(link.ok());

    const Frame hello = link.hello();
    expectAnswer(hello, kHello);
    EXPECT_EQ(hello.payload.size(), 12u) << "status and the 8-byte hello value";

    // Board 0 is a QA-4016: type code 21 at offset 8.
    const Frame type = link.request(kGetParamI32, paramBlock(0, 1282));
    expectAnswer(type, kGetParamI32);
    ASSERT_GE(type.payload.size(), 12u);
    EXPECT_EQ(getU32(&type.payload[8]), 21u);

    // A driver error comes back as a positive status.
    EXPECT_GT(status(link.request(kGetParamI32, paramBlock(40, 1282))), 0);
    EXPECT_EQ(status(link.request(kGetParamI32, Bytes{1, 2})), 700005);

    const Frame text =
        link.request(kGetParamStructStr,
                     documentPayload("<Cmd><target>System</target><command>BoardCount</command><string/></Cmd>"));
    EXPECT_EQ(status(text), 0);
    ASSERT_GE(text.payload.size(), 8u);
    EXPECT_EQ(std::string(text.payload.begin() + 8, text.payload.end()), "4");

    EXPECT_EQ(nodeSettings(link, "<name>Cell 4</name><recording>1</recording>"), 0);
    EXPECT_EQ(nodeSettings(link, "<recording>yes</recording>"), 700005);

    // The held node names its client and its new name in discovery.
    pugi::xml_document doc;
    scanOnce(doc);
    EXPECT_EQ(texts(doc, {"Node/name", "NetClient/net-addr", "NetClient/ctrl_port", "Node/enc_access"}),
              (Texts{"Cell 4", "127.0.0.1", "9237", "Occupied"}));
}

// Board 1 is the CAN/UART combination board; its CAN channel 0 is cabled to channel 1.
void startCanPair(ControlLink& link)
{
    const Bytes board1 = {1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(status(link.request(80, board1)), 0);
    EXPECT_EQ(status(link.request(84, board1)), 0);
    EXPECT_EQ(status(link.request(84, Bytes{1, 0, 0, 0, 1, 0, 0, 0})), 0);
}

// Two frames (ids 0x23 and 0x123) on channel 0 of board 1.
void writeTwoCanFrames(ControlLink& link)
{
    Bytes write;
    putU32(write, 1);
    putU32(write, 2);
    for (std::uint8_t i = 0; i < 2; ++i) {
        Bytes record(44, 0);
        record[4] = 0x23;
        record[5] = i;
        record[8] = 3; // dlc
        record[12] = 0xA0 + i;
        record[13] = 0xB0;
        record[14] = 0xC0;
        write.insert(write.end(), record.begin(), record.end());
    }
    EXPECT_EQ(status(link.request(87, write)), 0);
}

// Keep-alive blocks may come first; the CAN block carries both frames in 24-byte records.
void expectTheTwoCanFrames(uni::TCPSocket& data)
{
    data.setReceiveTimeout(3000);
    for (int blocks = 0; blocks < 5; ++blocks) {
        std::uint8_t header[12];
        ASSERT_EQ(data.receive(header, sizeof header), 12);
        EXPECT_EQ(header[0], 0xAA);
        EXPECT_EQ(header[1], 0xAA);
        const std::uint32_t length = getU32(header + 8);
        Bytes rest(length + ((header[2] & 0x80) ? 32 : 0));
        ASSERT_EQ(data.receive(rest.data(), rest.size()), int(rest.size()));
        if (header[3] != 1)
            continue;
        EXPECT_EQ(getU32(header + 4), 1u) << "board index";
        ASSERT_EQ(length, 48u);
        EXPECT_EQ(getU32(&rest[8]), 0x23u);
        EXPECT_EQ(rest[14], 3u);
        EXPECT_EQ((Bytes{rest[16], rest[17], rest[18]}), (Bytes{0xA0, 0xB0, 0xC0}));
        EXPECT_EQ(getU32(&rest[24 + 8]), 0x123u);
        EXPECT_EQ(qorinet_api::checkDataFrameDigest(header, rest.data(), length, rest.data() + length), 0);
        return;
    }
    FAIL() << "no CAN block";
}

/// Says hello from `link` with a data port of `listener`'s and takes the connection the node opens.
void acceptDataPath(ControlLink& link, uni::TCPSocket& listener, uni::TCPSocket& data)
{
    listener.setLocalEnd("127.0.0.1", 0);
    listener.setReceiveTimeout(10000);
    ASSERT_EQ(listener.open(), 0);
    ASSERT_TRUE(link.ok());
    EXPECT_EQ(status(link.hello(listener.localPort())), 0);
    ASSERT_EQ(listener.accept(data), 0);
}

// A client that drops the data connection (or refuses it, having no data path yet) is called
// again; frames written meanwhile wait on the node and come on the new connection.
TEST_F(NodeSimTest, CanFramesWrittenComeBackOnTheDataConnectionAlsoAfterItDropped)
{
    startNode("127.0.0.30", {"--simulation"});
    ControlLink link("127.0.0.30", base);
    uni::TCPSocket dataListener(uni::Socket::Listening);
    uni::TCPSocket data;
    ASSERT_NO_FATAL_FAILURE(acceptDataPath(link, dataListener, data));
    EXPECT_EQ(data.remoteAddress(), "127.0.0.30") << "the node connects from its own address";
    startCanPair(link);
    writeTwoCanFrames(link);
    expectTheTwoCanFrames(data);

    data.close();
    for (int drop = 0; drop < 2; ++drop) {
        uni::TCPSocket dropped;
        ASSERT_EQ(dataListener.accept(dropped), 0) << "connection " << drop;
        dropped.close();
    }
    writeTwoCanFrames(link);
    uni::TCPSocket again;
    ASSERT_EQ(dataListener.accept(again), 0);
    expectTheTwoCanFrames(again);
}

// One write of more 256-byte blocks than the node's driver can queue (4096): every byte comes
// back on the data connection or is told in a lost block, in bytes. The node forwards once a
// second, so that its next turn comes after the write: what was dropped counts from the start.
TEST_F(NodeSimTest, UartBytesTheNodesFullQueueDroppedAreToldAsLost)
{
    startNode("127.0.0.31", {"--simulation", "--data-every-ms", "1000"});
    ControlLink link("127.0.0.31", base);
    uni::TCPSocket dataListener(uni::Socket::Listening);
    uni::TCPSocket data;
    ASSERT_NO_FATAL_FAILURE(acceptDataPath(link, dataListener, data));
    // Past the node's first turn, which comes as it connects: its next one then first sees the
    // board after the write. (Whenever it comes, the count is the same.)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const Bytes board1 = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(status(link.request(qorinet_api::proto::CMD_OPEN_DMA_UART, board1)), 0);
    ASSERT_EQ(status(link.request(qorinet_api::proto::CMD_START_DMA_UART, board1)), 0);

    constexpr std::uint64_t kBlock = 256;
    constexpr std::uint64_t kTotal = (4096 + 4) * kBlock;
    const Bytes bytes(kTotal, 0x5A);
    Bytes write;
    putU32(write, 1);
    putU32(write, static_cast<std::uint32_t>(qorinet_api::WireRecords::uartRecordCount(kTotal)));
    const std::size_t head = write.size();
    write.resize(head + qorinet_api::WireRecords::uartRecordCount(kTotal) * qorinet_api::proto::kUartRecordSize);
    qorinet_api::WireRecords::encodeUart(bytes.data(), bytes.size(), write.data() + head);
    ASSERT_EQ(status(link.request(qorinet_api::proto::CMD_WRITE_DMA_UART, write)), 0);

    std::uint64_t received = 0;
    std::uint64_t lost = 0;
    data.setReceiveTimeout(5000);
    while (received + lost < kTotal) {
        std::uint8_t header[12];
        ASSERT_EQ(data.receive(header, sizeof header), 12) << received << " received, " << lost << " lost";
        const std::uint32_t length = getU32(header + 8);
        Bytes rest(length + ((header[2] & 0x80) ? 32 : 0));
        ASSERT_EQ(data.receive(rest.data(), rest.size()), int(rest.size()));
        if (header[3] == qorinet_api::DATA_BLOCK_LOST) {
            ASSERT_EQ(length, qorinet_api::kDataLostRecordSize);
            EXPECT_EQ(rest[0], qorinet_api::kDataLostUart);
            std::uint64_t count = 0;
            for (int b = 7; b >= 0; --b)
                count = count << 8 | rest[8 + static_cast<std::size_t>(b)];
            lost += count;
        }
        for (std::size_t at = 0; header[3] == qorinet_api::DATA_BLOCK_UART && at + 16 <= length;) {
            const std::uint32_t bytesHere = getU32(&rest[at + 12]);
            received += bytesHere;
            at += 16 + bytesHere;
        }
    }
    // The write is one driver call: the queue took 4096 blocks and dropped the rest at once.
    EXPECT_EQ(received, 4096 * kBlock);
    EXPECT_EQ(lost, 4 * kBlock);
}

// Clients that sit idle or stall mid-frame cannot keep others out for good. Each link says
// hello first, so that it is known to hold a session before the next one connects.
TEST_F(NodeSimTest, IdleSessionsGiveWayAndStalledOnesEnd)
{
    startNode("127.0.0.31", {"--simulation"});
    using Links = std::vector<std::unique_ptr<ControlLink>>;
    const auto connect = [this](Links& links, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            links.push_back(std::make_unique<ControlLink>("127.0.0.31", base));
            ASSERT_TRUE(links.back()->ok());
            ASSERT_EQ(status(links.back()->hello()), 0);
        }
    };
    Links idle;
    connect(idle, 1);
    // Quiet for longer than the receive time-out: with fewer than eight sessions it stays.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(status(idle[0]->request(kGetParamI32, paramBlock(0, 1282))), 0);

    // A ninth client takes the place of the session idle longest; the others stay.
    connect(idle, 8);
    EXPECT_TRUE(idle[0]->closedByNode()) << "the oldest idle session gave way";
    EXPECT_EQ(status(idle[1]->request(kGetParamI32, paramBlock(0, 1282))), 0);

    // Eight sessions stop five bytes into a frame: every idle one gives way to them, and
    // they keep a ninth client waiting only until their frames are overdue.
    Links stalled;
    connect(stalled, 8);
    const Bytes whole = frame(kGetParamI32, paramBlock(0, 1282));
    for (const auto& link : stalled)
        link->send(Bytes(whole.begin(), whole.begin() + 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Links ninth;
    ninth.push_back(std::make_unique<ControlLink>("127.0.0.31", base));
    ASSERT_TRUE(ninth[0]->ok());
    ninth[0]->setTimeout(10000);
    EXPECT_EQ(status(ninth[0]->hello()), 0);
    for (const auto& link : stalled) {
        link->setTimeout(10000);
        EXPECT_TRUE(link->closedByNode()) << "a stalled session is closed";
    }
}

TEST_F(NodeSimTest, LongNamesAreRefusedAndScanAnswersFitOneDatagram)
{
    const std::string huge(20000, 'n');
    startNode("127.0.0.32", {"--simulation", "--name", huge});
    pugi::xml_document doc;
    scanOnce(doc); // decoding checks the datagram's size
    const std::string shown = at(doc, "Node/name");
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(huge.compare(0, shown.size(), shown), 0) << "the name is cut, not replaced";

    ControlLink link("127.0.0.32", base);
    ASSERT_TRUE(link.ok());
    EXPECT_EQ(status(link.hello()), 0);
    EXPECT_EQ(nodeSettings(link, "<name>" + std::string(7000, 'n') + "</name>"), 700005);
    EXPECT_EQ(nodeSettings(link, "<name>Bench-East-12345678</name>"), 700005) << "19 characters";
    EXPECT_EQ(nodeSettings(link, "<name>Bench&#9;East</name>"), 700005) << "a tab";
    EXPECT_EQ(nodeSettings(link, "<name>Bench-East-1234567</name>"), 0);
    scanOnce(doc);
    EXPECT_EQ(at(doc, "Node/name"), "Bench-East-1234567");
}

Bytes ipConfig(const std::string& mode, const std::string& address)
{
    return documentPayload("<Cmd><IPConfig><mode>" + mode + "</mode><address>" + address +
                           "</address><netmask>255.0.0.0</netmask></IPConfig></Cmd>");
}

TEST_F(NodeSimTest, MaintenancePortRestartsAndMovesTheNode)
{
    startNode("127.0.0.27", {"--simulation"});
    ControlLink held("127.0.0.27", base);
    ASSERT_TRUE(held.ok());
    EXPECT_EQ(status(held.hello()), 0);

    expectAnswer(maintenance("127.0.0.27", 0x11AA), 0x11AA);
    EXPECT_TRUE(held.closedByNode()) << "a restart drops the control connections";

    const struct {
        const char* mode;
        const char* address;
        std::int32_t result;
    } refused[] = {{"4454", "", 700012}, {"0", "10.9.8.7", 700013}, {"0", "127.0.0", 700005}};
    for (const auto& r : refused)
        EXPECT_EQ(status(maintenance("127.0.0.27", 0x13BB, ipConfig(r.mode, r.address))), r.result) << r.address;

    expectAnswer(maintenance("127.0.0.27", 0x13BB, ipConfig("0", "127.0.0.28")), 0x13BB);
    pugi::xml_document doc;
    std::string sender;
    scanOnce(doc, &sender);
    EXPECT_EQ(sender, "127.0.0.28");
    EXPECT_EQ(at(doc, "NetBase/net-addr"), "127.0.0.28");
    EXPECT_TRUE(ControlLink("127.0.0.28", base).ok());
    EXPECT_FALSE(ControlLink("127.0.0.27", base).ok());
}

TEST_F(NodeSimTest, RebootSilencesTheNodeForAWhile)
{
    startNode("127.0.0.29", {"--simulation", "--reboot-ms", "600"});
    expectAnswer(maintenance("127.0.0.29", 0x12AA), 0x12AA);
    ScanSocket scan(base);
    ASSERT_TRUE(scan.ok());
    scan.sendScan(std::to_string(base + 2));
    EXPECT_TRUE(scan.collect(1, 200).empty()) << "no answer while rebooting";
    pugi::xml_document doc;
    EXPECT_EQ(scan.receiveOne(doc, 3000), kAnnounce) << "back up, it announces itself";
}

TEST_F(NodeSimTest, FleetAnswersWithEveryNodeOnItsOwnAddress)
{
    startNode("127.0.1.250", {"--simulation", "--nodes", "16", "--name", "rig"});
    ScanSocket scan(base);
    ASSERT_TRUE(scan.ok());
    scan.collect(16, 300); // the announcements
    scan.sendScan(std::to_string(base + 2));
    const auto got = scan.collect(16, 3000);
    ASSERT_EQ(got.size(), 16u);
    std::map<std::string, std::string> names;
    for (const Datagram& d : got) {
        std::uint16_t command = 0;
        pugi::xml_document doc;
        ASSERT_TRUE(parseDatagram(d.bytes, command, doc));
        EXPECT_EQ(at(doc, "NetBase/net-addr"), d.sender);
        names[d.sender] = at(doc, "Node/name");
    }
    ASSERT_EQ(names.size(), 16u);
    // Host numbers 255 and 0 are skipped.
    EXPECT_EQ(names.begin()->first, "127.0.1.250");
    EXPECT_EQ(names.count("127.0.1.255"), 0u);
    EXPECT_EQ(names.count("127.0.2.0"), 0u);
    EXPECT_EQ(names["127.0.2.1"], "rig-5");
    EXPECT_EQ(names["127.0.2.10"], "rig-14");

    ControlLink link("127.0.2.10", base);
    ASSERT_TRUE(link.ok());
    EXPECT_EQ(status(link.hello()), 0);
    EXPECT_EQ(sim.stop(), 0) << "a clean stop with a connection open";
}

} // namespace
} // namespace z2e::test
