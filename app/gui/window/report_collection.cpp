#include "gui/window/report_collection.h"

#include "core/application_status.h"
#include "core/driver_library.h"
#include "core/driver_logging.h"
#include "core/network_node_record.h"
#include "core/node_types.h"
#include "core/remote_system_builder.h"
#include "core/root_node.h"
#include "core/software_versions.h"
#include "core/system_model.h"
#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "tools/maintenance_journal.h"
#include "tools/report_contents.h"
#include "tools/report_package.h"

#include <cmath>
#include <filesystem>
#include <memory>

namespace z2e {
namespace {

const char* const kTitle = "System";
const char* const kCollecting = "Collecting report package files.";

} // namespace

ReportCollection::ReportCollection(SystemModel& system, std::int32_t startupStatus, FileChooser chooser)
    : m_system(system), m_startupStatus(startupStatus), m_chooser(std::move(chooser))
{
}

QString ReportCollection::run(const std::vector<const NetworkNodeRecord*>& nodes, QWidget* parent)
{
    // The records belong to the GUI thread: the worker gets trees of its own.
    std::vector<std::unique_ptr<RootNode>> nodeRoots;
    std::vector<InventorySource> sources{
        {"local", &m_system.localRoot(), m_startupStatus, {}},
        {"demo", &m_system.demoRoot(), m_startupStatus == AppStatus::HardwareInUse ? 0 : m_startupStatus, {}}};
    for (const NetworkNodeRecord* node : nodes) {
        nodeRoots.push_back(std::make_unique<RootNode>(SystemKind::Remote));
        RemoteSystemBuilder::fillRoot(*nodeRoots.back(), *node);
        sources.push_back({"node " + node->address, nodeRoots.back().get(), 0, {}, node});
    }
    const std::vector<SoftwareVersionRecord> versions =
        softwareVersionList(buildIdentity(), m_system.softwareVersions(), DriverLibrary::loaded());
    const std::string logFolder = m_system.configFilePath().empty()
                                      ? std::string()
                                      : driverLogFolder(m_system.configFilePath(), m_system.logSettings());
    std::error_code error;
    const std::string buildFolder = std::filesystem::temp_directory_path(error).string();

    ReportPackage package(logFolder);
    const bool checkFirmware = m_startupStatus == AppStatus::Ok;
    const std::int32_t status =
        CMiscUtils::runBehindProgress(kTitle, kCollecting, parent, [&](CInProgress& progress) -> std::int32_t {
            if (checkFirmware)
                sources.front().latestFirmware = ReportContents::latestFirmware(m_system.wrapper());
            ReportContents::addInventory(package, sources, versions, MaintenanceJournal::defaultFolder());
            progress.showProgBar();
            return package.collect(buildFolder, [&progress](const std::string&, double fraction, double) {
                progress.initProg(static_cast<int>(std::lround(fraction * 100)), 0, 100, " Packing files");
            });
        });
    if (status != AppStatus::Ok) {
        CMiscUtils::notifyStatus(kTitle, status, parent);
        return QString();
    }

    const QString destination = m_chooser(parent, {true, "Select File to Save", QString(), "Package Files (*.zip)"});
    if (destination.isEmpty())
        return QString();
    // The save dialog has asked before an existing file is replaced; what is not a regular
    // file, or the program's own data, is refused in words.
    const ReportPackage::Placement placed = package.place(destination.toStdString(), true);
    if (placed != ReportPackage::Placement::Placed) {
        QString text = ReportPackage::placementText(placed);
        if (!package.placeError().empty())
            text += "\n" + QString::fromStdString(package.placeError());
        CMiscUtils::notify(kTitle, text, parent);
        return QString();
    }
    QString text = QString("The report package was saved to\n%1").arg(destination);
    if (!package.skipped().empty())
        text += QString("\n%1 file(s) could not be read and were left out.").arg(package.skipped().size());
    CMiscUtils::notify(kTitle, text, parent);
    return destination;
}

} // namespace z2e
