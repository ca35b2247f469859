#include "gui/window/window_pictures.h"

#include "core/demo_texts.h"
#include "core/selected_network_node.h"
#include "core/system_model.h"
#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/models/tree_view_model.h"
#include "gui/window/demo_tab.h"
#include "gui/window/fleet_panel.h"
#include "gui/window/maintenance_menu.h"
#include "gui/window/network_diagnosis.h"
#include "gui/window/network_node_controller.h"
#include "gui/window/node_actions.h"
#include "gui/window/system_list.h"
#include "gui/window/tool_target_builder.h"
#include "gui/window/tree_filter_panel.h"
#include "uni/ip_address_pair.h"

#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace z2e {

WindowPictures::WindowPictures(NetworkNodeController& nodes, QListWidget* systems, CTreeFilterPanel& treePanel,
                               SystemModel& system, DemoTab& demo, MaintenanceMenu& maintenance)
    : m_nodes(nodes), m_systems(systems), m_treePanel(treePanel), m_system(system), m_demo(demo),
      m_maintenance(maintenance)
{
}

bool WindowPictures::showNode(bool highest)
{
    int chosen = -1;
    std::uint32_t best = 0;
    for (const auto& [id, record] : m_nodes.records()) {
        const auto address = uni::ipv4::parseAddress(record->address);
        const int row = m_nodes.list().rowOfNode(id);
        if (!address || row <= 0)
            continue;
        if (chosen < 0 || (highest ? *address > best : *address < best)) {
            best = *address;
            chosen = row;
        }
    }
    if (chosen < 0)
        return false;
    m_systems->setCurrentRow(chosen);
    m_nodes.showSystemRow(chosen, true);
    return true;
}

QStringList WindowPictures::networkDialogNames()
{
    return NodeActions::pictureNames() << NetworkDiagnosis::pictureName();
}

QDialog* WindowPictures::openNetworkDialog(const QString& name)
{
    if (name == NetworkDiagnosis::pictureName())
        return m_nodes.diagnosis().openForPicture();
    if (!NodeActions::pictureNames().contains(name))
        return nullptr;
    // The network node with the lowest address: the first one tools/run starts.
    if (name != "net-settings" && name != "add-node" && !showNode(false))
        return nullptr;
    const NetworkNodeController::Records& records = m_nodes.records();
    const auto record = records.find(m_nodes.selected().id());
    const QString nodeName = record != records.end() ? QString::fromStdString(record->second->name) : QString();
    if (name == "use-as-demo") {
        if (record == records.end())
            return nullptr;
        const std::string source = DemoTexts::networkNodeSource(SystemList::nodeCaption(*record->second).toStdString());
        auto* question = new CDecisionDialogYesNo(
            DemoTexts::kQuestionTitle, QString::fromStdString(m_demo.replaceQuestion(source)), m_systems->window());
        question->setAttribute(Qt::WA_DeleteOnClose);
        question->show();
        return question;
    }
    return m_nodes.actions().openForPicture(name, m_nodes.options(), m_nodes.holdCommands(),
                                            m_nodes.remoteShown() ? &m_system.remoteRoot() : nullptr, nodeName);
}

bool WindowPictures::showState(const QString& name)
{
    if (name == "failed-node")
        return showNode(true);
    if (name == "maintenance")
        return openMaintenanceMenu();
    if (name == "problems" || name == "fleet") {
        auto* tabs = m_systems->window()->findChild<QTabWidget*>("tabWidget");
        QWidget* panel = tabs ? tabs->findChild<QWidget*>(name + "Panel") : nullptr;
        if (panel)
            tabs->setCurrentWidget(panel);
        // The fleet as an operator sees it after Read Fleet.
        if (auto* fleet = qobject_cast<FleetPanel*>(panel))
            fleet->readFleet();
        return panel != nullptr;
    }
    if (name != "filter")
        return false;
    const ModelNode* board = ToolTargetBuilder::firstBoardRow(m_system.localRoot());
    const std::string serial = board ? ToolTargetBuilder::boardSerial(*board) : std::string();
    if (serial.size() < 4)
        return false;
    // The last digits, as an operator reads them off a label.
    m_treePanel.filterFor(QString::fromStdString(serial.substr(serial.size() - 4)));
    return true;
}

bool WindowPictures::openMaintenanceMenu()
{
    const auto* model = qobject_cast<const CTreeViewModel*>(m_treePanel.shownModel());
    const QModelIndex board =
        model ? model->indexOf(ToolTargetBuilder::firstBoardRow(m_system.localRoot())) : QModelIndex();
    if (!board.isValid())
        return false;
    m_treePanel.selectSource(board);
    QMenu* menu = m_maintenance.menu();
    QMenuBar* bar = m_systems->window()->findChild<QMenuBar*>();
    if (!bar)
        return false;
    // Opened as a click on its title would, below it.
    bar->setActiveAction(menu->menuAction());
    return menu->isVisible();
}

} // namespace z2e
