#include "core/system_model.h"

#include "config/qorin_cfg_handler.h"
#include "core/app_paths.h"
#include "core/application_status.h"
#include "core/description_parser.h"
#include "core/driver_library.h"
#include "core/driver_logging.h"
#include "core/network_node_rows.h"
#include "core/system_scanner.h"
#include "driver/command/app_status.h"
#include "driver/command/qorin_node_util_wrapper.h"
#include "qorinet_api/client/qorinet_local_client_node.h"
#include "qorinet_api/common/qorinet_result_codes.h"
#include "uni/log.h"
#include "xpugi/element.h"

namespace z2e {
namespace {

const char* const kLogChannel = "core";
const char* const kSimulationTarget = "driver/api/config/simulation";
const char* const kXmlTarget = "driver/api/config/xml";

} // namespace

SystemModel::SystemModel(bool extendedFeatures, NodePtr node)
    : m_extendedFeatures(extendedFeatures),
      m_node(node ? std::move(node) : std::make_shared<qorinet_api::QORINetLocalClientNode>(0)),
      m_wrapper(std::make_shared<QorinNodeUtilWrapper>(m_node)), m_config(std::make_shared<QorinCfgHandler>()),
      m_local(SystemKind::Local), m_demo(SystemKind::Demo), m_remote(SystemKind::Remote)
{
}

SystemModel::~SystemModel()
{
    shutdown();
}

void SystemModel::shutdown()
{
    m_wrapper->setReady(false);
    if (m_node->isConnected())
        m_node->disconnect();
}

RootNode* SystemModel::root(std::uint32_t systemKind)
{
    switch (systemKind) {
    case SystemKind::Local: return &m_local;
    case SystemKind::Demo: return &m_demo;
    case SystemKind::Remote: return &m_remote;
    default: return nullptr;
    }
}

const std::string& SystemModel::keptConfigurationFile() const
{
    return m_config->keptInvalidFile();
}

bool SystemModel::localHardwarePresent() const
{
    return m_node->isConnected() && !m_node->isSimulation() && m_node->getBoardCount() > 0;
}

std::int32_t SystemModel::initializeSystem()
{
    if (!DriverLibrary::load()) {
        // The program goes on with its network side: the log is where the operator learns why
        // the local system stays empty.
        UNI_LOG(kLogChannel, uni::log::error) << DriverLibrary::loadFailure();
        return AppStatus::DriverNotLoadable;
    }
    prepareDriver();

    std::int32_t result = scanDemoSystem();
    if (result != AppStatus::Ok)
        return result;
    result = scanLocalSystem();
    if (result != AppStatus::Ok)
        return result;

    std::string versions;
    result = m_wrapper->getSystemVersions(versions);
    if (result != AppStatus::Ok)
        return result;
    parseSoftwareVersions(versions, m_versions);
    return AppStatus::Ok;
}

void SystemModel::prepareDriver()
{
    std::string version;
    const std::int32_t result = m_node->GetParamStruct_str("driver/api", "version", version);
    UNI_LOG(kLogChannel, uni::log::info) << "driver version " << version << " (" << result << ")";
    // Drivers from 2.4 on run long operations on worker threads when asked to.
    if (result <= 0 && NetworkNodeRows::compareVersions("2.4", version) >= 0)
        m_node->SetParamStruct_str("driver/api/config/thread", "Enabled", "true");
}

std::int32_t SystemModel::connectWithMode(const char* mode)
{
    m_wrapper->setReady(false);
    m_node->SetParamStruct_str(kXmlTarget, "AllowCachedMergeResult", "false");
    m_node->SetParamStruct_str(kSimulationTarget, "mode", mode);
    const std::int32_t result = m_node->connect();
    if (result <= 0)
        m_wrapper->setReady(true);
    return result;
}

std::int32_t SystemModel::reconnectSimulatedOnly()
{
    m_node->SetParamStruct_str(kSimulationTarget, "mode", "SIMMODE_FORCE");
    const std::int32_t result = m_node->connect();
    m_wrapper->setReady(result <= 0);
    return result;
}

std::int32_t SystemModel::scanDemoSystem()
{
    m_demo.clear();
    m_demo.resetOverview();
    const std::int32_t result = connectWithMode("SIMMODE_FORCE");
    if (result > 0) {
        UNI_LOG(kLogChannel, uni::log::error) << "simulated system not started: " << result;
        return AppStatus::SimulationLoadFailed;
    }
    loadConfiguration();
    return SystemScanner(*m_wrapper).scan(m_demo);
}

std::int32_t SystemModel::scanLocalSystem()
{
    m_local.clear();
    m_local.resetOverview();
    const std::int32_t result = connectWithMode("SIMMODE_OFF");
    if (result == qorinet_api::ERR_HARDWARE_ALREADY_IN_USE)
        return AppStatus::HardwareInUse;
    if (result > 0) {
        UNI_LOG(kLogChannel, uni::log::error) << "local hardware not started: " << result;
        return AppStatus::HardwareImportFailed;
    }
    return SystemScanner(*m_wrapper).scan(m_local);
}

void SystemModel::loadConfiguration()
{
    std::string path;
    if (m_wrapper->getConfigFilePath(path) != AppStatus::Ok) {
        UNI_LOG(kLogChannel, uni::log::warning) << "driver configuration folder unknown";
        return;
    }
    m_configPath = path;
    if (!m_config->loadConfig(path))
        UNI_LOG(kLogChannel, uni::log::error) << "driver configuration not usable: " << path;
    m_configProblem = m_config->invalidReason();
    m_logSettings = DriverLogSettings();
    m_config->readLoggerSettings(&m_logSettings);
    // No export may name the configuration or the driver's logs.
    protectProgramData(path, driverLogFolder(path, m_logSettings));
}

bool SystemModel::parseSoftwareVersions(const std::string& document, std::vector<SoftwareVersionRecord>& records)
{
    records.clear();
    pugi::xml_document parsed;
    if (!DescriptionParser::parseXml(document, parsed))
        return false;
    for (const pugi::xml_node component : parsed.document_element().children("Component")) {
        records.push_back(
            {xpugi::elementText(component.child("Description")), xpugi::elementText(component.child("FileName")),
             xpugi::elementText(component.child("Version")), xpugi::elementText(component.child("Comment"))});
    }
    return true;
}

} // namespace z2e
