#include "core/local_node_session.h"

#include "config/qorin_cfg_handler.h"
#include "core/app_paths.h"
#include "core/driver_library.h"
#include "core/driver_logging.h"
#include "driver/command/app_status.h"

#include "qorinet_api/client/qorinet_local_client_node.h"

#include <memory>

namespace z2e {

namespace {

constexpr std::uint32_t kNodeId = 1;

// A run that never reads the system as the window does still learns where the driver keeps its
// files, so that no file the operator names replaces them.
void protectDriverFiles(QorinNodeUtilWrapper& wrapper)
{
    std::string path;
    if (wrapper.getConfigFilePath(path) != AppStatus::Ok)
        return;
    QorinCfgHandler config;
    DriverLogSettings settings;
    if (config.loadConfig(path))
        config.readLoggerSettings(&settings);
    protectProgramData(path, driverLogFolder(path, settings));
}

} // namespace

LocalNodeSession::LocalNodeSession(const std::string& driverPath, const std::string& simulationMode)
    : m_wrapper(std::make_shared<qorinet_api::QORINetLocalClientNode>(kNodeId))
{
    if (!driverPath.empty())
        DriverLibrary::useFile(driverPath);
    qorinet_api::QORINetIfClientNode& node = *m_wrapper.node();
    if (!simulationMode.empty() && DriverLibrary::load())
        m_modeResult = node.SetParamStruct_str("driver/api/config/simulation", "mode", simulationMode);
    m_result = node.connect();
    m_wrapper.setReady(m_result <= 0);
    protectDriverFiles(m_wrapper);
}

LocalNodeSession::~LocalNodeSession()
{
    m_wrapper.setReady(false);
    if (m_wrapper.node()->isConnected())
        m_wrapper.node()->disconnect();
}

std::uint32_t LocalNodeSession::boardCount() const
{
    return m_wrapper.node()->getBoardCount();
}

std::uint32_t LocalNodeSession::enclosureCount() const
{
    return m_wrapper.node()->getEnclosureCount();
}

bool LocalNodeSession::isSimulation() const
{
    return m_wrapper.node()->isSimulation();
}

} // namespace z2e
