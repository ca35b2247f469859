#pragma once
// What a screenshot run (tools/run --screenshot --dialog NAME) pictures besides the tool
// dialogs: states of the window and the network dialogs over a network node tools/run starts.

#include <QString>
#include <QStringList>

class QDialog;
class QListWidget;

namespace z2e {

class CTreeFilterPanel;
class CTreeViewModel;
class DemoTab;
class MaintenanceMenu;
class NetworkNodeController;
class SystemModel;

class WindowPictures {
public:
    /// All of them outlive this object.
    WindowPictures(NetworkNodeController& nodes, QListWidget* systems, CTreeFilterPanel& treePanel, SystemModel& system,
                   DemoTab& demo, MaintenanceMenu& maintenance);

    /// Window states that can be pictured instead of a dialog: "filter" (the tree filtered for
    /// part of the first board's serial number), "failed-node" (the network node with the
    /// highest address, which tools/run starts with a fault, shown), "maintenance" (the
    /// Maintenance menu open for the first board of this computer), "problems" (the Problems
    /// tab in front) and "fleet" (the Fleet tab in front, read).
    static QStringList stateNames() { return {"filter", "failed-node", "maintenance", "problems", "fleet"}; }
    /// Brings the window into state `name`; false when it cannot.
    bool showState(const QString& name);
    /// The node actions' picture names and "diagnose" (after one diagnosis).
    static QStringList networkDialogNames();
    /// Opens a network dialog by its picture name for the first network node, without a modal
    /// loop (deleted on close); null when it cannot.
    QDialog* openNetworkDialog(const QString& name);

private:
    /// Shows the network node with the lowest (or highest) address; false without nodes.
    bool showNode(bool highest);
    bool openMaintenanceMenu();

    NetworkNodeController& m_nodes;
    QListWidget* m_systems;
    CTreeFilterPanel& m_treePanel;
    SystemModel& m_system;
    DemoTab& m_demo;
    MaintenanceMenu& m_maintenance;
};

} // namespace z2e
