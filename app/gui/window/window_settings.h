#pragma once
// The program's own settings: window layout, the network options and the extended-features
// switch, under organisation "NORVALE", application "ZAMO2Explorer".

#include <QString>

#include <string>

class QMainWindow;
class QSettings;

namespace z2e {

/// The network interface the client listens on, as the operator chose it last.
struct NetworkOptions {
    QString interfaceName = "None";
    int interfaceIndex = -1;
    QString address;
    QString mask;
    bool automaticInterface = true;
};

class WindowSettings {
public:
    static const char* const kOrganisation; ///< "NORVALE"
    static const char* const kApplication;  ///< "ZAMO2Explorer"

    /// Restores "MainWindow/geometry" and "MainWindow/windowState" (state version 0).
    static void restoreLayout(QSettings& settings, QMainWindow& window);
    /// Writes both layout keys.
    static void saveLayout(QSettings& settings, const QMainWindow& window);

    /// The "Options" group with its defaults ("None", 0, "127.0.1.1", "255.255.255.0").
    static NetworkOptions readNetworkOptions(QSettings& settings);
    static void writeNetworkOptions(QSettings& settings, const NetworkOptions& options);

    /// "ApplicationSettings/ExtendedFeatures", false when unset, as the store holds it now.
    static bool extendedFeatures(QSettings& settings);
    /// "ApplicationSettings/MaintenanceSnapshots", true when unset: the board tools save a
    /// board's EEPROMs before they change it. Off only for boards whose EEPROM cannot be read.
    static bool maintenanceSnapshots(QSettings& settings);
    /// "ApplicationSettings/SiteRegister", else $ZAMO2_REGISTER: the site register's connection
    /// string; empty when there is none or it names no PostgreSQL server.
    static std::string siteRegister(QSettings& settings);
};

} // namespace z2e
