#pragma once
// The system object: the three system trees, the command layer over the local node, the
// driver configuration and the driver's log settings, and the start-up scan that fills them.

#include "config/driver_log_settings.h"
#include "core/root_node.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qorinet_api {
class QORINetIfClientNode;
}

namespace z2e {

class QorinCfgHandler;
class QorinNodeUtilWrapper;

/// One software part of the driver side, for the versions dialog.
struct SoftwareVersionRecord {
    std::string description;
    std::string fileName;
    std::string version;
    std::string comment;
};

/// Network settings of this computer until the operator chooses others.
struct LocalNetworkSettings {
    std::string address = "0.0.0.0";
    std::string mode = "Static";
    std::string protocol = "IPv4";
    std::string mask = "0.0.0.0";
};

class SystemModel {
public:
    using NodePtr = std::shared_ptr<qorinet_api::QORINetIfClientNode>;

    /// `node` is the local node to use; null makes the program's own local node.
    explicit SystemModel(bool extendedFeatures, NodePtr node = nullptr);
    ~SystemModel();

    SystemModel(const SystemModel&) = delete;
    SystemModel& operator=(const SystemModel&) = delete;

    /// Start-up scan: loads the driver, reads the demo system (forced simulation) and the
    /// driver configuration, then the local hardware, then the driver's software versions.
    /// 0 done; 10 the hardware is held by another program; 100004 the driver cannot be
    /// loaded; 501 the simulated system could not be started; 500 the hardware could not be
    /// started; 100 the versions could not be read.
    std::int32_t initializeSystem();

    /// Connects the local node again in forced simulation: demo editing needs the simulated
    /// system only, also while another program holds the hardware. The result of connect.
    std::int32_t reconnectSimulatedOnly();

    /// Scans the local hardware again as the start-up does and refills the local tree (views
    /// showing it must let go first). 0, 10, 500 or a scan status as initializeSystem().
    std::int32_t rescanLocalSystem() { return scanLocalSystem(); }

    /// Releases the local node and with it the hardware; the trees stay. Also done on destruction.
    void shutdown();

    /// Root of a system kind (1 local, 2 demo, 3 remote); null for any other kind.
    RootNode* root(std::uint32_t systemKind);
    RootNode& localRoot() { return m_local; }
    RootNode& demoRoot() { return m_demo; }
    RootNode& remoteRoot() { return m_remote; }

    /// The local node all local commands go through.
    const NodePtr& node() const { return m_node; }
    QorinNodeUtilWrapper& wrapper() { return *m_wrapper; }
    const std::shared_ptr<QorinNodeUtilWrapper>& sharedWrapper() const { return m_wrapper; }
    QorinCfgHandler& configHandler() { return *m_config; }
    const std::shared_ptr<QorinCfgHandler>& sharedConfigHandler() const { return m_config; }
    DriverLogSettings& logSettings() { return m_logSettings; }

    /// Full path of the driver configuration file (empty until the start-up found it).
    const std::string& configFilePath() const { return m_configPath; }
    /// Why the start-up could not use the driver configuration file and took the built-in
    /// defaults instead (line and column for XML errors); empty when it loaded or was missing.
    const std::string& configurationProblem() const { return m_configProblem; }
    /// Where the first save kept the unusable configuration file; empty until then.
    const std::string& keptConfigurationFile() const;
    const std::vector<SoftwareVersionRecord>& softwareVersions() const { return m_versions; }
    const LocalNetworkSettings& localNetwork() const { return m_network; }
    bool extendedFeatures() const { return m_extendedFeatures; }
    /// True when the last scan of this computer found real (not simulated) boards.
    bool localHardwarePresent() const;

    bool hasUnsavedChanges() const { return m_unsaved; }
    void setUnsavedChanges(bool unsaved) { m_unsaved = unsaved; }

    /// Reads a versions document into records; false when it does not parse.
    static bool parseSoftwareVersions(const std::string& document, std::vector<SoftwareVersionRecord>& records);

private:
    std::int32_t connectWithMode(const char* mode);
    void prepareDriver();
    std::int32_t scanDemoSystem();
    std::int32_t scanLocalSystem();
    void loadConfiguration();

    bool m_extendedFeatures;
    NodePtr m_node;
    std::shared_ptr<QorinNodeUtilWrapper> m_wrapper;
    std::shared_ptr<QorinCfgHandler> m_config;
    RootNode m_local;
    RootNode m_demo;
    RootNode m_remote;
    DriverLogSettings m_logSettings;
    std::string m_configPath;
    std::string m_configProblem;
    std::vector<SoftwareVersionRecord> m_versions;
    LocalNetworkSettings m_network;
    bool m_unsaved = false;
};

} // namespace z2e
