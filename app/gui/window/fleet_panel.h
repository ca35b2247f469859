#pragma once
// The Fleet tab: every board of this computer and of every network node in one table, read on
// demand ("Read Fleet"), sorted by any column, filtered by any text, and exported as CSV, JSON
// or a printable HTML page. Overdue calibrations are red, those due within 30 days amber. With a
// site register set, "Read Site" lists instead what every computer of the site has recorded.

#include "gui/window/file_chooser.h"
#include "gui/window/fleet_collection.h"
#include "tools/fleet_action.h"
#include "tools/site_fleet.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace z2e {

class FleetModel;

class FleetPanel : public QWidget {
    Q_OBJECT

public:
    struct Host {
        /// What to read now (this computer, the nodes the window lists, the network settings).
        std::function<FleetCollection::Systems()> systems;
        std::function<FileChooser()> chooser;
        /// A line in the window's status bar.
        std::function<void(const QString&)> status;
        /// The window's settings: the calibration interval is kept there, and a change saves the
        /// board's EEPROMs first as they say. Null: 12 months, kept nowhere, snapshots taken.
        QSettings* settings = nullptr;
        /// Reads the site register's boards; called on a worker. Null: no site register is set.
        std::function<SiteFleetRead()> site;
    };

    FleetPanel(Host host, QWidget* parent);
    ~FleetPanel() override;

    /// Reads every system again behind the progress window; the table fills as they end.
    void readFleet();
    /// Lists the site register's boards instead (on a worker); tools cannot run on them from here.
    void readSite();
    /// Writes the rows shown, in their order, as the file's suffix says (.csv, .json, else HTML).
    /// False with `error` set when it could not be written.
    bool exportShown(const QString& path, QString& error) const;
    /// The months between calibrations (1..120); the Due and Calibration columns follow. The
    /// operator's choice in the panel is kept in the settings.
    void setInterval(int months);

    FleetModel* model() const { return m_model; }
    QSortFilterProxyModel* shown() const { return m_proxy; }
    QTableView* table() const { return m_table; }
    QLineEdit* filter() const { return m_filter; }
    QString summary() const;
    /// Runs `tool` on the boards of the selected rows (all rows shown when none is selected),
    /// behind the progress window; each board's outcome goes to its "Last action" cell and the
    /// run's summary to the line above the table. An EEPROM backup goes to `backupFolder`.
    void runAction(FleetTool tool, const QString& backupFolder = QString());
    /// The summary of the last action run; empty before any.
    const QString& actionSummary() const { return m_actionSummary; }
    /// Shows what was read of one system: its boards, and in the summary why it could not be
    /// read completely when `result` is a failure.
    void addSystem(const std::string& system, const std::string& address, std::int32_t result,
                   std::vector<FleetBoard> boards);

private:
    void chooseExport();
    void chooseAction(FleetTool tool);
    void showSummary();

    Host m_host;
    FleetModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QTableView* m_table = nullptr;
    QLineEdit* m_filter = nullptr;
    QSpinBox* m_interval = nullptr;
    QPushButton* m_read = nullptr;
    QPushButton* m_readSite = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_action = nullptr;
    QString m_actionSummary;
    QLabel* m_summary = nullptr;
    int m_systems = 0;
    QString m_site;         ///< the site register's name while its boards are shown; empty otherwise
    QStringList m_failures; ///< systems that could not be read completely in the last read
};

} // namespace z2e
