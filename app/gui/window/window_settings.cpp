#include "gui/window/window_settings.h"

#include "tools/site_register.h"

#include <QMainWindow>
#include <QSettings>

#include <cstdlib>

namespace z2e {

const char* const WindowSettings::kOrganisation = "NORVALE";
const char* const WindowSettings::kApplication = "ZAMO2Explorer";

void WindowSettings::restoreLayout(QSettings& settings, QMainWindow& window)
{
    settings.beginGroup("MainWindow");
    window.restoreGeometry(settings.value("geometry").toByteArray());
    window.restoreState(settings.value("windowState").toByteArray(), 0);
    settings.endGroup();
}

void WindowSettings::saveLayout(QSettings& settings, const QMainWindow& window)
{
    settings.beginGroup("MainWindow");
    settings.setValue("geometry", window.saveGeometry());
    settings.setValue("windowState", window.saveState(0));
    settings.endGroup();
}

NetworkOptions WindowSettings::readNetworkOptions(QSettings& settings)
{
    NetworkOptions options;
    settings.beginGroup("Options");
    options.interfaceName = settings.value("NetIfName", "None").toString();
    options.interfaceIndex = settings.value("NetIfIndex", 0).toInt();
    options.address = settings.value("NetAddress", "127.0.1.1").toString();
    options.mask = settings.value("NetMask", "255.255.255.0").toString();
    settings.endGroup();
    return options;
}

void WindowSettings::writeNetworkOptions(QSettings& settings, const NetworkOptions& options)
{
    settings.beginGroup("Options");
    settings.setValue("NetIfName", options.interfaceName);
    settings.setValue("NetIfIndex", options.interfaceIndex);
    settings.setValue("NetAddress", options.address);
    settings.setValue("NetMask", options.mask);
    settings.endGroup();
}

bool WindowSettings::extendedFeatures(QSettings& settings)
{
    // Another program (an editor, a second instance) may have changed the file meanwhile.
    settings.sync();
    return settings.value("ApplicationSettings/ExtendedFeatures", false).toBool();
}

bool WindowSettings::maintenanceSnapshots(QSettings& settings)
{
    return settings.value("ApplicationSettings/MaintenanceSnapshots", true).toBool();
}

std::string WindowSettings::siteRegister(QSettings& settings)
{
    const QString chosen = settings.value("ApplicationSettings/SiteRegister").toString();
    const char* named = std::getenv("ZAMO2_REGISTER");
    const std::string site = !chosen.isEmpty() ? chosen.toStdString() : named ? named : "";
    return SiteRegister::isSite(site) ? site : std::string();
}

} // namespace z2e
