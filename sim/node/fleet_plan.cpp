#include "fleet_plan.h"

#include "fleet_generator.h"
#include "node_fleet.h"
#include "node_workspace.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace nodesim {

namespace fs = std::filesystem;

namespace {

std::string numbered(unsigned index)
{
    char text[16];
    std::snprintf(text, sizeof text, "%03u", index + 1);
    return text;
}

} // namespace

std::string FleetPlan::defaultRoot(const NodeSimOptions& options)
{
    const fs::path single = NodeWorkspace::defaultRoot(options);
    return (single.parent_path() / ("fleet_" + single.filename().string())).string();
}

bool FleetPlan::prepare(const NodeSimOptions& options, long today, std::string& error, bool& refused)
{
    refused = false;
    m_options = options;
    m_root = options.workDir.empty() ? defaultRoot(options) : options.workDir;
    m_members.clear();
    std::vector<std::string> files;
    if (!options.fleetDir.empty() && !listHardwareFiles(files, error, refused))
        return false;
    NodeSimOptions counted = options;
    counted.nodes = options.fleetDir.empty() ? options.fleet : static_cast<unsigned>(files.size());
    std::vector<uni::ipv4::IpAddressPair> addresses;
    if (!NodeFleet::nodeAddresses(counted, addresses, error)) {
        refused = true;
        return false;
    }
    const std::string prefix = options.name.empty() ? "Fleet" : options.name;
    for (unsigned i = 0; i < addresses.size(); ++i) {
        FleetMember member;
        member.index = i;
        member.address = addresses[i].address();
        member.name = prefix + "-" + numbered(i);
        member.workDir = m_root + "/node-" + numbered(i);
        member.hardwareFile = files.empty() ? m_root + "/hardware/node-" + numbered(i) + ".xml" : files[i];
        m_members.push_back(member);
    }
    return !files.empty() || generate(today, error);
}

bool FleetPlan::listHardwareFiles(std::vector<std::string>& files, std::string& error, bool& refused) const
{
    std::error_code code;
    refused = true;
    fs::directory_iterator entries(m_options.fleetDir, code);
    if (code) {
        error = "cannot read the folder " + m_options.fleetDir + " (--fleet-dir): " + code.message();
        return false;
    }
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.front() == '.' || entry.path().extension() != ".xml" || !entry.is_regular_file(code))
            continue;
        if (entry.file_size(code) > kMaxHardwareFileBytes) {
            error = "hardware file " + entry.path().string() + " is larger than 1 MiB";
            return false;
        }
        files.push_back(fs::absolute(entry.path(), code).string());
    }
    if (files.empty()) {
        error = "no hardware files (*.xml) in " + m_options.fleetDir + " (--fleet-dir)";
        return false;
    }
    if (files.size() > NodeSimOptions::kMaxNodes) {
        error = std::to_string(files.size()) + " hardware files in " + m_options.fleetDir + "; a fleet takes at most " +
                std::to_string(NodeSimOptions::kMaxNodes);
        return false;
    }
    std::sort(files.begin(), files.end());
    refused = false;
    return true;
}

bool FleetPlan::generate(long today, std::string& error)
{
    if (!NodeWorkspace::makeFolder(m_root + "/hardware", error))
        return false;
    const FleetGenerator generator(m_options.seed, today);
    for (const FleetMember& member : m_members) {
        const FleetHardware hardware = generator.node(member.index);
        if (!NodeWorkspace::makeFolder(member.workDir + "/config", error) ||
            !NodeWorkspace::writeFile(member.hardwareFile, hardware.hardwareDocument(), error) ||
            !NodeWorkspace::writeFile(member.workDir + "/config/zmpxi_api_config.xml", hardware.configDocument(),
                                      error))
            return false;
    }
    return true;
}

std::vector<std::string> FleetPlan::arguments(const FleetMember& member) const
{
    const NodeSimOptions& o = m_options;
    std::vector<std::string> args = {"--bind",           member.address,
                                     "--name",           member.name,
                                     "--work-dir",       member.workDir,
                                     "--hardware",       member.hardwareFile,
                                     "--base-port",      std::to_string(o.basePort),
                                     "--netmask",        o.netmask,
                                     "--fault-delay-ms", std::to_string(o.faultDelayMs),
                                     "--delay-ms",       std::to_string(o.delayMs),
                                     "--heartbeat-ms",   std::to_string(o.heartbeatMs),
                                     "--reboot-ms",      std::to_string(o.rebootMs),
                                     "--data-every-ms",  std::to_string(o.dataEveryMs)};
    if (o.simulation)
        args.push_back("--simulation");
    if (o.fault != NodeFault::None)
        args.insert(args.end(), {"--fault", nodeFaultName(o.fault)});
    if (!o.logFile.empty())
        args.insert(args.end(), {"--log", o.logFile + "." + numbered(member.index)});
    return args;
}

} // namespace nodesim
