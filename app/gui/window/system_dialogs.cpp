#include "gui/window/system_dialogs.h"

#include "core/driver_library.h"
#include "core/network_node_rows.h"
#include "core/root_node.h"
#include "core/software_versions.h"
#include "core/system_model.h"
#include "core/system_report.h"
#include "gui/dialogs/auxiliary/dialog_logging.h"
#include "gui/dialogs/auxiliary/dialog_versions.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/overview/sys_view_dialog.h"
#include "gui/window/about_text.h"

#include <QMessageBox>

#include <memory>

namespace z2e {
namespace {

std::unique_ptr<DialogVersions> versionsDialog(const SystemModel* system, QWidget* parent)
{
    static const std::vector<SoftwareVersionRecord> none;
    auto dialog = std::make_unique<DialogVersions>(parent);
    dialog->setRecords(
        softwareVersionList(buildIdentity(), system ? system->softwareVersions() : none, DriverLibrary::loaded()));
    return dialog;
}

} // namespace

void SystemDialogs::showVersions(const SystemModel* system, QWidget* parent)
{
    versionsDialog(system, parent)->exec();
}

void SystemDialogs::showAbout(const SystemModel* system, QWidget* parent)
{
    static const std::vector<SoftwareVersionRecord> none;
    QMessageBox::about(parent, AboutText::kTitle,
                       AboutText::text(buildIdentity(), system ? system->softwareVersions() : none));
}

void SystemDialogs::showReport(const RootNode& root, bool extendedFeatures, QWidget* parent)
{
    CSysViewDialog dialog(parent, root.boardOverview, extendedFeatures);
    dialog.exec();
}

QString SystemDialogs::saveReport(const RootNode& root, bool extendedFeatures, const FileChooser& chooser,
                                  QWidget* parent)
{
    const QString path = chooser(parent, {true, "Select File to Save", QString(), "Report Files (*.csv)"});
    if (path.isEmpty())
        return QString();
    std::string error;
    // The save dialog has asked before an existing file is replaced.
    if (SystemReport::save(path.toStdString(), root, extendedFeatures, error, true))
        return QString("System report saved to %1.").arg(path);
    CMiscUtils::notify("System",
                       QString("The system report could not be saved.\n%1").arg(QString::fromStdString(error)), parent);
    return QString();
}

QStringList SystemDialogs::pictureNames()
{
    return {"versions", "logging", "overview"};
}

QDialog* SystemDialogs::openForPicture(const QString& name, SystemModel& system, const DriverLogSettings& logSettings,
                                       QWidget* parent)
{
    QDialog* dialog = nullptr;
    if (name == "versions") {
        dialog = versionsDialog(&system, parent).release();
    } else if (name == "logging") {
        auto* logging = new DialogLogging(parent);
        logging->setSettings(logSettings);
        dialog = logging;
    } else if (name == "overview") {
        dialog = new CSysViewDialog(parent, system.localRoot().boardOverview, system.extendedFeatures());
    }
    if (dialog)
        dialog->show();
    return dialog;
}

} // namespace z2e
