#pragma once
// Command line of qorinet-node-sim.

#include "node_fault.h"

#include <cstdint>
#include <string>

namespace nodesim {

struct NodeSimOptions {
    static constexpr unsigned kMaxNodes = 1024;

    std::uint16_t basePort = 9237; ///< control port; discovery on +1, maintenance on +6
    std::string bindAddress = "127.0.0.1";
    std::string netmask = "255.0.0.0";
    /// Discovery names this address as the node's (net-addr) instead of its own, to which it
    /// stays bound. Empty: its own.
    std::string claimAddress;
    std::string name;        ///< empty: "SimNode-<last two address octets>"
    bool simulation = false; ///< simulated boards instead of the stand-in hardware
    unsigned nodes = 1;
    unsigned fleet = 0;     ///< nodes in processes of their own with generated hardware; 0: none
    std::uint32_t seed = 1; ///< what the generated fleet derives from
    std::string fleetDir;   ///< a node in a process of its own per hardware file in this folder
    NodeFault fault = NodeFault::None;
    unsigned faultDelayMs = 1500; ///< how late the slow fault answers
    unsigned delayMs = 0;         ///< extra time every driver command takes (with heartbeats)
    unsigned heartbeatMs = 300;
    unsigned rebootMs = 5000;  ///< how long a reboot keeps the node silent
    unsigned dataEveryMs = 20; ///< how often the data connection forwards what the buses received
    std::string workDir;       ///< folder for driver configuration and state
    std::string configDir;     ///< an existing driver configuration folder instead
    std::string hardwareFile;  ///< an existing hardware description instead
    std::string logFile;
    bool help = false;

    /// A fleet of node processes (--fleet or --fleet-dir) rather than nodes in this process.
    bool runsFleet() const { return fleet > 0 || !fleetDir.empty(); }

    /// Reads argv. False with `error` set for an unknown option, a missing or bad value, or
    /// options that do not go together.
    static bool parse(int argc, const char* const* argv, NodeSimOptions& out, std::string& error);

    /// The --help text.
    static std::string usage();
};

} // namespace nodesim
