#pragma once
// Who is who in a fleet of node processes: every node's address, name, work folder and
// hardware description, and the command line it is started with.

#include "node_sim_options.h"

#include <string>
#include <vector>

namespace nodesim {

struct FleetMember {
    unsigned index = 0;
    std::string address;
    std::string name;
    std::string workDir;
    std::string hardwareFile;
};

class FleetPlan {
public:
    /// Largest hardware file --fleet-dir reads.
    static constexpr std::size_t kMaxHardwareFileBytes = 1024 * 1024;

    /// For --fleet, generates every node's hardware description into <root>/hardware/ and its
    /// driver configuration into <root>/node-NNN/ (both replaced at every start; the driver's
    /// state is kept). For --fleet-dir, one node per DIR/*.xml. False with `error` set, and
    /// `refused` when the options are at fault rather than the file system.
    bool prepare(const NodeSimOptions& options, long today, std::string& error, bool& refused);

    const std::vector<FleetMember>& members() const { return m_members; }
    /// The arguments, without the program name, of the process that plays `member`.
    std::vector<std::string> arguments(const FleetMember& member) const;

    /// The folder used when --work-dir is not given: below TMPDIR (or /tmp), per user, first
    /// address and port.
    static std::string defaultRoot(const NodeSimOptions& options);

private:
    bool listHardwareFiles(std::vector<std::string>& files, std::string& error, bool& refused) const;
    bool generate(long today, std::string& error);

    NodeSimOptions m_options;
    std::string m_root;
    std::vector<FleetMember> m_members;
};

} // namespace nodesim
