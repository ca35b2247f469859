#include "core/network_node_rows.h"

#include "core/node_result_text.h"

#include "core/enclosure_node.h"
#include "core/root_node.h"
#include "core/software_versions.h"
#include "core/temperature_rows.h"

#include <cstdlib>
#include <memory>

namespace z2e {
namespace {

std::vector<std::string> splitAtDots(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos)
            return parts;
        start = dot + 1;
    }
}

long long versionPart(const std::string& text)
{
    return std::strtoll(text.c_str(), nullptr, 10);
}

int comparePart(const std::string& a, const std::string& b)
{
    const long long left = versionPart(a);
    const long long right = versionPart(b);
    if (left == right)
        return 0;
    return left > right ? -1 : 1;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i > 0 ? "\n\t" : "") + lines[i];
    return text;
}

} // namespace

int NetworkNodeRows::compareVersions(const std::string& a, const std::string& b)
{
    const std::vector<std::string> left = splitAtDots(a);
    const std::vector<std::string> right = splitAtDots(b);
    if (left.size() < 2 || right.size() < 2)
        return -1;
    const int first = comparePart(left[0], right[0]);
    return first != 0 ? first : comparePart(left[1], right[1]);
}

std::vector<std::string> NetworkNodeRows::versionWarnings(const NetworkNodeRecord& node)
{
    std::vector<std::string> warnings;
    // Versions a node never told are no mismatch: the communication-problem rows explain it.
    if (node.failure != 0)
        return warnings;
    if (compareVersions(node.serverVersion, node.apiVersion) != 0)
        warnings.emplace_back("\tWARNING: QORINet Server and QORIN Api version mismatch");
    if (compareVersions(kProgramVersion, node.serverVersion) < 0)
        warnings.push_back("WARNING: QORINet Server version old: " + node.serverVersion);
    if (compareVersions(kProgramVersion, node.apiVersion) < 0)
        warnings.push_back("WARNING: QORIN API version old: " + node.apiVersion);
    if (compareVersions(kProgramVersion, node.driverVersion) < 0) {
        warnings.push_back(node.driverVersion.empty() ? std::string("WARNING: QORIN Driver version unknown")
                                                      : "WARNING: QORIN Driver version old: " + node.driverVersion);
    }
    return warnings;
}

std::string NetworkNodeRows::accessState(const NetworkNodeRecord& node)
{
    if (!node.connected)
        return "Not Connected";
    return node.occupied ? "Occupied" : "Free";
}

void NetworkNodeRows::buildSlotStateNodes(EnclosureNode& enclosure, const NetworkEnclosureRecord& record)
{
    enclosure.values.assign(1, record.name);
    enclosure.serialNumber = record.serialNumber;
    enclosure.addValueRow(NodeType::Property, "SerialNumber", record.serialNumber);
    enclosure.propertyCount = enclosure.childCount();
    for (const NetworkSlotRecord& slot : record.slotRecords) {
        const std::string caption = "Slot " + std::to_string(slot.slotNumber);
        if (!slot.hasBoard) {
            enclosure.addValueRow(NodeType::SlotState, caption, "Empty");
            continue;
        }
        ModelNode* row = enclosure.addValueRow(NodeType::SlotState, caption, slot.boardName);
        row->number = slot.slotNumber;
        row->locked = enclosure.locked;
        row->addValueRow(NodeType::Property, "SerialNumber", slot.serialNumber);
        if (slot.temperaturesRead)
            TemperatureRows::add(*row, slot.baseTemperature, slot.conTemperature);
    }
}

void NetworkNodeRows::buildNodeInfo(ModelNode& root, const NetworkNodeRecord& node)
{
    root.addValueRow(NodeType::NodeName, "Node Name", node.name);
    ModelNode* info = root.addValueRow(NodeType::NodeInfo, "Node Info", joinLines(versionWarnings(node)));

    const bool serverOld = compareVersions(kProgramVersion, node.serverVersion) < 0;
    info->addValueRow(NodeType::NodeInfo, "Server",
                      node.serverVersion + (serverOld ? "\t[older software version]" : ""));
    info->addValueRow(NodeType::NodeInfo, "Firmware",
                      node.firmwareVersion.empty() ? std::string("\t[unknown software version]")
                                                   : node.firmwareVersion);
    info->addValueRow(NodeType::NodeInfo, "QORIN API", node.apiVersion);
    info->addValueRow(NodeType::NodeInfo, "QORIN DRV",
                      node.driverVersion.empty() ? std::string("\t[unknown software version]") : node.driverVersion);
    info->addValueRow(NodeType::NodeInfo, "IP Version", node.ipVersion);
    info->addValueRow(NodeType::NodeInfo, "IP Mode", node.ipMode);
    info->addValueRow(NodeType::NodeInfo, "IP Address", node.address);
    info->addValueRow(NodeType::NodeInfo, "Net Mask", node.netMask);
    info->addValueRow(NodeType::NodeInfo, "Access State", accessState(node));
}

void NetworkNodeRows::buildCommunicationProblem(ModelNode& root, const NetworkNodeRecord& node)
{
    if (node.connectionState >= NetworkConnectionState::Established)
        return;
    const std::uint32_t type = NodeType::CommunicationProblem;
    root.addValueRow(type, "Communication problem", "possible IP mismatch or firewall restrictions");
    root.addValueRow(type, "QORINet IP address", node.address);
    root.addValueRow(type, "QORINet net mask", node.netMask);
    root.addValueRow(type, "Local IP address", node.localAddress);
    root.addValueRow(type, "Local net mask", node.localNetMask);
    if (node.failure != 0)
        root.addValueRow(type, "Failure", failureWords(node.failure));
    root.addValueRow(type,
                     "Please check your local system network and firewall settings, and make sure your QORINet "
                     "is reachable.",
                     std::string());
}

void NetworkNodeRows::fillRemoteSystem(RootNode& root, const NetworkNodeRecord& node)
{
    root.clear();
    root.resetOverview();
    for (std::size_t i = 0; i < node.enclosures.size(); ++i) {
        auto enclosure = std::make_unique<EnclosureNode>(root.systemKind);
        enclosure->index = static_cast<std::int32_t>(i);
        enclosure->number = static_cast<std::int32_t>(i);
        enclosure->locked = node.occupied;
        buildSlotStateNodes(*enclosure, node.enclosures[i]);
        root.addChild(std::move(enclosure));
    }
    buildNodeInfo(root, node);
    buildCommunicationProblem(root, node);
}

} // namespace z2e
