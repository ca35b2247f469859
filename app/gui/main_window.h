#pragma once
// The program's only top-level window: the list of systems with the tree of the selected one,
// the demo editor tab, the menus and the tool bar. It owns the settings, the system model and
// the tree models, runs the start-up scan behind a progress window, and dispatches every action
// to the part that carries it out (DemoTab, TreeContextMenu, SystemReport, the tools).
//
// The list of systems and the network nodes in it are NetworkNodeController's; long work runs
// as a WorkerJob; the states and network dialogs a screenshot pictures are WindowPictures'.

#include "config/driver_log_settings.h"
#include "core/model_node.h"
#include "core/network_node_record.h"
#include "core/tree_context_menu.h"
#include "gui/window/file_chooser.h"
#include "gui/window/startup_scan.h"
#include "gui/window/network_interface_choice.h"
#include "gui/window/tool_target_builder.h"
#include "gui/window/window_settings.h"

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QSettings>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QCloseEvent;
class QDialog;
class QMenu;
class QModelIndex;
class QTreeView;

namespace Ui {
class MainWindow;
}

namespace z2e {

class CTreeFilterPanel;
class CTreeViewModel;
class DemoSystemEditor;
class DemoTab;
class NetworkNodeController;
class RootNode;
class SelectedNetworkNode;
class SiteUploader;
class SystemList;
class SystemModel;
class SystemStatusLine;
class ToolActions;
class TreeActions;
class MaintenanceMenu;
class TreeIconTable;
class WindowPictures;

/// Choices a test makes before the window starts; the program uses the defaults.
struct MainWindowOptions {
    /// Install the crash monitor in init() and keep a screenshot for its reports.
    bool crashReporting = true;
    /// Closing the window ends the application's event loop.
    bool quitOnClose = true;
    /// Makes the system model; null: the program's own, on the driver library.
    std::function<std::unique_ptr<SystemModel>(bool extendedFeatures)> systemFactory;
    /// Port and scan interval of the network client.
    NetworkClientTuning network;
};

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    explicit MainWindow(MainWindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Start-up: crash monitor, the system scan on a worker behind a progress window, the views
    /// filled, the signals connected. False when the program must end without an event loop
    /// (a scan status 2); a driver library that cannot be loaded (100004) leaves the local
    /// system empty and the network side running.
    bool init();

    /// The status the start-up scan ended with (valid after init()).
    std::int32_t startupStatus() const { return m_startupStatus; }
    SystemModel* system() const { return m_system.get(); }
    DemoSystemEditor* demoEditor() const { return m_demoEditor.get(); }
    DemoTab* demoTab() const { return m_demoTab; }
    Ui::MainWindow* ui() const { return m_ui.get(); }
    CTreeViewModel* hardwareModel() const { return m_localModel; }
    CTreeViewModel* demoModel() const { return m_demoModel; }
    CTreeFilterPanel* treePanel() const { return m_treePanel; }
    TreeActions* treeActions() const { return m_treeActions; }
    MaintenanceMenu* maintenanceMenu() const { return m_maintenance; }

    /// Used for every file dialog of the window (tests answer them).
    void setFileChooser(FileChooser chooser);
    /// The menu the window would open for the row at `index` of `view`, built but not shown
    /// (null for a row without one). Also applies the tool-bar rule of that row.
    std::unique_ptr<QMenu> contextMenuFor(QTreeView* view, const QModelIndex& index, bool shift);
    /// The action that stands for a menu entry.
    QAction* actionFor(MenuEntry entry) const;
    /// The four driver log settings the logging dialog would edit.
    DriverLogSettings& logSettings() { return m_logSettings; }
    /// The network node whose tree is shown (valid() false while the local system is).
    const SelectedNetworkNode& selectedNode() const { return *m_selected; }
    /// The list of systems with its network nodes.
    NetworkNodeController& networkNodes() const { return *m_nodes; }
    /// Window states and network dialogs for pictures (valid after init()).
    WindowPictures* pictures() const { return m_pictures.get(); }
    /// Opens a dialog by its picture name (see BoardToolDialogs and SystemDialogs) over the local
    /// system, without a modal loop; the window owns it. Null when it cannot be opened.
    QDialog* openToolForPicture(const QString& name);

signals:
    /// init() has filled the views (not emitted when start-up ends the program).
    void initialized();

public slots:
    /// Rebuilds the local and remote tree models and expands the hardware tree to depth 1.
    void updateHwTreeModel();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void hdl_TabSelected(int tab);
    void hdl_HWTreeClicked(const QModelIndex& index);
    void hdl_SaveConfiguration();
    void hdl_ImportSystem();
    void hdl_FileQuit();
    void hdl_HelpAbout();
    void hdl_HelpAboutQt();
    void hdl_HelpVersions();
    void hdl_HardwareLogging();
    void hdl_ButtonClicked_Collect();
    void hdl_TreeContextMenu(const QPoint& position);
    void hdl_ShowSystemReport();
    void hdl_SaveSystemReport();
    void showStatus(const QString& text);

private:
    /// The close handling: false when the operator cancels (nothing is written then).
    bool quit(QCloseEvent* event);
    void setUpActions();
    /// The tools' actions (ToolActions) over the rows of this window.
    void setUpToolActions();
    void setUpMaintenanceMenu();
    /// The Problems and Fleet tabs.
    void setUpPanels();
    void connectWidgets();
    void fillViews();
    /// The row a tool acts on: the one whose context menu is open, else the current row of the
    /// hardware tree.
    const ModelNode* toolRow() const;
    bool toolTarget(const ModelNode& row, ToolTarget& target) const;
    /// The menu rules' view of the moment; reads the ExtendedFeatures setting anew.
    RowContext rowContext(bool shift);
    /// The node of the clicked tree row and the root its report comes from.
    const ModelNode* treeNode(QTreeView* view, const QModelIndex& index) const;
    const RootNode* reportRoot() const;
    bool hasUnsavedChanges() const;
    /// Saves the configuration with the window's log settings; false when it was not written.
    bool saveConfiguration();

    std::unique_ptr<Ui::MainWindow> m_ui;
    MainWindowOptions m_options;
    QSettings m_settings;
    std::unique_ptr<TreeIconTable> m_icons;
    std::unique_ptr<SystemModel> m_system;
    /// After m_system: the scan ends before its system goes.
    StartupScan m_startupScan;
    std::unique_ptr<DemoSystemEditor> m_demoEditor;
    CTreeViewModel* m_demoModel = nullptr;
    CTreeViewModel* m_localModel = nullptr;
    CTreeViewModel* m_remoteModel = nullptr;
    CTreeFilterPanel* m_treePanel = nullptr;
    TreeActions* m_treeActions = nullptr;
    MaintenanceMenu* m_maintenance = nullptr;
    ToolActions* m_toolActions = nullptr;
    std::unique_ptr<SystemList> m_systemList;
    std::unique_ptr<SystemStatusLine> m_status;
    /// Records of the network nodes in the list, by node id.
    std::map<std::uint32_t, std::unique_ptr<NetworkNodeRecord>> m_nodeRecords;
    std::unique_ptr<SelectedNetworkNode> m_selected;
    std::unique_ptr<NetworkNodeController> m_nodes;
    std::unique_ptr<WindowPictures> m_pictures;
    /// Sends the asset register's new records to the site register, when one is set.
    std::unique_ptr<SiteUploader> m_siteUploader;
    DemoTab* m_demoTab = nullptr;
    FileChooser m_chooser;
    DriverLogSettings m_logSettings;

    std::int32_t m_startupStatus = -1;
    bool m_startupSucceeded = false;
    /// The row whose menu is open: the node its entries act on, the report it shows.
    const ModelNode* m_menuNode = nullptr;
    QPersistentModelIndex m_menuIndex;
    ToolTargetBuilder m_toolTargets;
    bool m_closing = false;
    /// The last save of the configuration failed.
    bool m_saveFailed = false;
};

} // namespace z2e
