#pragma once
// The driver's folders of one simulator process: a configuration folder with a default
// configuration, a state folder, a lock folder and a hardware description, all created on
// first use and kept between runs. Points the driver at them through its environment
// variables, which must happen before the driver is loaded.

#include "node_sim_options.h"

#include <string>

namespace nodesim {

class NodeWorkspace {
public:
    /// Creates what is missing and sets ZMPXI_API_CONFIG_DIR, ZMPXI_SIM_STATE_DIR,
    /// ZMPXI_SIM_HARDWARE and XDG_RUNTIME_DIR. False with `error` set when a folder or file
    /// cannot be made.
    bool prepare(const NodeSimOptions& options, std::string& error);

    const std::string& root() const { return m_root; }
    const std::string& configDir() const { return m_configDir; }
    const std::string& hardwareFile() const { return m_hardwareFile; }

    /// The folder used when none is given: below TMPDIR (or /tmp), per user, address and port.
    static std::string defaultRoot(const NodeSimOptions& options);

    /// Creates `path` with its parents. False with `error` set when it is no folder after.
    static bool makeFolder(const std::string& path, std::string& error);
    /// Writes `content` to a temporary beside `path` and renames it over `path`, so that a
    /// reader never sees half a file. False with `error` set.
    static bool writeFile(const std::string& path, const std::string& content, std::string& error);

    /// A driver configuration whose Simulation section holds `entries` (SimulatedEnclosures
    /// and SimulatedBoards elements as text).
    static std::string configDocument(const std::string& entries);
    /// A hardware description of `entries`.
    static std::string hardwareDocument(const std::string& entries);

    /// The entries (one network enclosure, four boards) the default files describe. Serial
    /// numbers derive from `seed`, so that simulators on different addresses differ.
    static std::string defaultEntries(unsigned seed);

private:
    std::string m_root;
    std::string m_configDir;
    std::string m_hardwareFile;
};

} // namespace nodesim
