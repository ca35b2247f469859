#include "gui/window/system_dialogs.h"

#include "core/driver_library.h"
#include "core/root_node.h"
#include "core/software_versions.h"
#include "core/system_model.h"
#include "gui/dialogs/auxiliary/dialog_logging.h"
#include "gui/dialogs/auxiliary/dialog_versions.h"
#include "gui/dialogs/overview/sys_view_dialog.h"

#include <memory>

namespace z2e {
namespace {

std::unique_ptr<DialogVersions> versionsDialog(const SystemModel* system, QWidget* parent)
{
    static const std::vector<SoftwareVersionRecord> none;
    auto dialog = std::make_unique<DialogVersions>(parent);
    dialog->setRecords(softwareVersionList(buildIdentity(), system ? system->softwareVersions() : none,
                                           DriverLibrary::loaded()));
    return dialog;
}

} // namespace

void SystemDialogs::showVersions(const SystemModel* system, QWidget* parent)
{
    versionsDialog(system, parent)->exec();
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
