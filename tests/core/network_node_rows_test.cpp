#include "core/enclosure_node.h"
#include "core/network_node_rows.h"
#include "core/root_node.h"
#include "core/row_composer.h"
#include "core/software_versions.h"
#include "core/tree_row_list.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace z2e {
namespace {

NetworkNodeRecord currentNode()
{
    NetworkNodeRecord node;
    node.name = "Roof station";
    node.address = "127.0.0.20";
    node.netMask = "255.0.0.0";
    node.localAddress = "127.0.0.1";
    node.localNetMask = "255.0.0.0";
    node.serverVersion = "2.5.3";
    node.apiVersion = "2.5.9";
    node.driverVersion = "2.6.1";
    node.firmwareVersion = "0254";
    node.connectionState = NetworkConnectionState::Established;
    node.connected = true;
    return node;
}

std::vector<std::string> rowTexts(const ModelNode& root)
{
    std::vector<std::string> texts;
    for (const TreeRow& row : TreeRowList::collect(root))
        texts.push_back(std::string(row.depth, '.') + row.row.text + (row.row.red ? " (red)" : ""));
    return texts;
}

TEST(VersionCompare, OnlyTheFirstTwoNumbersCount)
{
    const char* program = kProgramVersion;
    EXPECT_LT(NetworkNodeRows::compareVersions(program, "2.4.7"), 0);
    EXPECT_EQ(NetworkNodeRows::compareVersions(program, "2.5.1"), 0);
    EXPECT_GT(NetworkNodeRows::compareVersions(program, "3.0"), 0);
    EXPECT_LT(NetworkNodeRows::compareVersions(program, "3"), 0);
    EXPECT_LT(NetworkNodeRows::compareVersions("", "2.5"), 0);
    EXPECT_EQ(NetworkNodeRows::compareVersions("2.10", "2.10.99"), 0);
    EXPECT_GT(NetworkNodeRows::compareVersions("2.9", "2.10"), 0);
}

bool warnsServerOld(const std::string& serverVersion)
{
    NetworkNodeRecord node = currentNode();
    node.serverVersion = serverVersion;
    const std::string warning = "WARNING: QORINet Server version old: " + serverVersion;
    const std::vector<std::string> warnings = NetworkNodeRows::versionWarnings(node);
    return std::find(warnings.begin(), warnings.end(), warning) != warnings.end();
}

TEST(VersionWarnings, ServerVersions)
{
    EXPECT_TRUE(warnsServerOld("2.4.7"));
    EXPECT_FALSE(warnsServerOld("2.5.1"));
    EXPECT_FALSE(warnsServerOld("3.0"));
    EXPECT_TRUE(warnsServerOld("25"));
    EXPECT_TRUE(NetworkNodeRows::versionWarnings(currentNode()).empty());
}

TEST(VersionWarnings, MismatchFirstAndDriverLast)
{
    NetworkNodeRecord node = currentNode();
    node.serverVersion = "2.4.0";
    node.apiVersion = "2.5.0";
    node.driverVersion = "";
    const std::vector<std::string> expected{"\tWARNING: QORINet Server and QORIN Api version mismatch",
                                            "WARNING: QORINet Server version old: 2.4.0",
                                            "WARNING: QORIN Driver version unknown"};
    EXPECT_EQ(NetworkNodeRows::versionWarnings(node), expected);
    node.driverVersion = "1.9";
    EXPECT_EQ(NetworkNodeRows::versionWarnings(node).back(), "WARNING: QORIN Driver version old: 1.9");
}

TEST(NodeInfo, RowsOfAnOldServerWithoutDriver)
{
    NetworkNodeRecord node = currentNode();
    node.serverVersion = "2.4.7";
    node.apiVersion = "2.4.7";
    node.driverVersion.clear();
    node.firmwareVersion.clear();
    node.occupied = true;
    RootNode root(SystemKind::Remote);
    NetworkNodeRows::buildNodeInfo(root, node);
    const std::vector<std::string> expected{
        "Remote System",
        ".Node Name:   Roof station",
        ".Node Info:   WARNING: QORINet Server version old: 2.4.7\n\tWARNING: QORIN API version old: 2.4.7\n\t"
        "WARNING: QORIN Driver version unknown (red)",
        "..Server:   2.4.7\t[older software version]",
        "..Firmware:   \t[unknown software version]",
        "..QORIN API:   2.4.7",
        "..QORIN DRV:   \t[unknown software version]",
        "..IP Version:   IPv4",
        "..IP Mode:   Static",
        "..IP Address:   127.0.0.20",
        "..Net Mask:   255.0.0.0",
        "..Access State:   Occupied",
    };
    EXPECT_EQ(rowTexts(root), expected);
    EXPECT_EQ(RowComposer::compose(*root.childAt(1)).icon, TreeIcon::Dot);

    node.connected = false;
    EXPECT_EQ(NetworkNodeRows::accessState(node), "Not Connected");
    node.connected = true;
    node.occupied = false;
    EXPECT_EQ(NetworkNodeRows::accessState(node), "Free");
}

TEST(RemoteSystem, EnclosureSlotsAndCommunicationProblem)
{
    NetworkNodeRecord node = currentNode();
    node.connectionState = NetworkConnectionState::Announced;
    // Temperatures only where the node was asked for them.
    node.enclosures.push_back({"QORINet QN-N6",
                               "00B2E306",
                               {{2, true, "QA-4032-TEMP", "10A80007", 0, true, "71.5", "N.A."},
                                {3, true, "QC-3104", "10A80008", 1, false, "", ""},
                                {4, false, "", "", -1, false, "", ""}}});
    RootNode root(SystemKind::Remote);
    NetworkNodeRows::fillRemoteSystem(root, node);

    const std::vector<std::string> texts = rowTexts(root);
    const std::vector<std::string> head(texts.begin(), texts.begin() + 11);
    const std::vector<std::string> expectedHead{
        "Remote System",
        ".Enclosure 0:   QORINet QN-N6",
        "..SerialNumber:   00B2E306",
        "..Slot 2:   QA-4032-TEMP",
        "...SerialNumber:   10A80007",
        "...BaseBoard:   71.5degC  [WARNING: Temperature high.] (red)",
        "...ConPanel :   N.A.",
        "..Slot 3:   QC-3104",
        "...SerialNumber:   10A80008",
        "..Slot 4:   Empty",
        ".Node Name:   Roof station",
    };
    EXPECT_EQ(head, expectedHead);
    const std::vector<std::string> tail(texts.end() - 6, texts.end());
    const std::vector<std::string> expectedTail{
        ".Communication problem:   possible IP mismatch or firewall restrictions (red)",
        ".QORINet IP address:   127.0.0.20",
        ".QORINet net mask:   255.0.0.0",
        ".Local IP address:   127.0.0.1",
        ".Local net mask:   255.0.0.0",
        ".Please check your local system network and firewall settings, and make sure your QORINet is reachable.",
    };
    EXPECT_EQ(tail, expectedTail);

    node.connectionState = NetworkConnectionState::Established;
    NetworkNodeRows::fillRemoteSystem(root, node);
    for (const std::string& text : rowTexts(root))
        EXPECT_EQ(text.find("Communication problem"), std::string::npos);
}

} // namespace
} // namespace z2e
