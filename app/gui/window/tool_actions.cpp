#include "gui/window/tool_actions.h"

#include "core/model_node.h"
#include "core/problem_list.h"
#include "core/root_node.h"
#include "core/system_model.h"
#include "core/tool_registry.h"
#include "gui/lazy_icon_engine.h"
#include "gui/dialogs/tools/board_history_dialog.h"
#include "gui/window/board_change_tools.h"
#include "gui/window/board_tool_dialogs.h"
#include "gui/dialogs/tools/tool_dialog_factory.h"
#include "gui/window/eeprom_menu_actions.h"
#include "gui/window/tool_target_builder.h"
#include "tools/maintenance_journal.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QStyle>
#include <QToolBar>

namespace z2e {

namespace {

QIcon toolIcon(const std::string& name)
{
    if (name == "arrow-up")
        return LazyIconEngine::fromStyle(QStyle::SP_ArrowUp);
    return name.empty() ? QIcon() : LazyIconEngine::fromFile(QString::fromStdString(name));
}

} // namespace

ToolActions::ToolActions(QWidget* window, QToolBar* toolBar, Host host)
    : QObject(window), m_window(window), m_host(std::move(host))
{
    for (const ToolDescription& tool : ToolRegistry::tools()) {
        for (const ToolWindowEntry& entry : tool.window) {
            auto* action = new QAction(QString::fromUtf8(entry.title), window);
            if (*entry.toolTip != '\0')
                action->setToolTip(QString::fromUtf8(entry.toolTip));
            action->setIcon(toolIcon(entry.icon));
            const MenuEntry chosen = entry.entry;
            connect(action, &QAction::triggered, this, [this, chosen] { run(chosen); });
            m_actions[chosen] = action;
        }
    }
    for (MenuEntry entry : ToolRegistry::toolBarEntries()) {
        toolBar->addAction(m_actions.at(entry));
        m_actions.at(entry)->setVisible(false);
    }
}

QAction* ToolActions::action(MenuEntry entry) const
{
    const auto it = m_actions.find(entry);
    return it != m_actions.end() ? it->second : nullptr;
}

void ToolActions::showToolBar(const ToolBarTools& tools)
{
    for (MenuEntry entry : ToolRegistry::toolBarEntries())
        m_actions.at(entry)->setVisible(tools.shows(entry));
}

std::unique_ptr<QMenu> ToolActions::menu(const ContextMenuPlan& plan,
                                         const std::function<QAction*(MenuEntry)>& actionFor, QWidget* parent)
{
    auto addItems = [&actionFor](QMenu& menu, const std::vector<MenuItem>& items) {
        for (const MenuItem& item : items) {
            QAction* action = actionFor(item.entry);
            action->setEnabled(item.enabled);
            menu.addAction(action);
        }
    };
    auto menu = std::make_unique<QMenu>(parent);
    addItems(*menu, plan.items);
    if (plan.eepromManagement) {
        QMenu* eeprom = menu->addMenu(LazyIconEngine::fromFile(":/icons/res/eeprom.png"), "EEPROM Management");
        addItems(*eeprom->addMenu("Backup"), plan.backup);
        if (plan.restoreMenu)
            addItems(*eeprom->addMenu("Restore"), plan.restore);
    }
    return menu;
}

const std::map<MenuEntry, ToolActions::Runner>& ToolActions::runners()
{
    // The entries that do more than open a dialog for the row's boards.
    static const std::map<MenuEntry, Runner> table = {
        {MenuEntry::ConfigureBaseEeprom, &ToolActions::eepromTool},
        {MenuEntry::BackupBase, &ToolActions::eepromTool},
        {MenuEntry::BackupPanel, &ToolActions::eepromTool},
        {MenuEntry::FileRestoreBase, &ToolActions::eepromTool},
        {MenuEntry::FileRestorePanel, &ToolActions::eepromTool},
        {MenuEntry::AutoRestoreBase, &ToolActions::eepromTool},
        {MenuEntry::AutoRestoreCon, &ToolActions::eepromTool},
        {MenuEntry::EnclosureData, &ToolActions::changeTool},
        {MenuEntry::CrossGrade, &ToolActions::changeTool},
        {MenuEntry::BoardConfiguration, &ToolActions::changeTool},
        {MenuEntry::ChannelModules, &ToolActions::changeTool},
        {MenuEntry::BoardHistory, &ToolActions::boardHistory},
    };
    return table;
}

bool ToolActions::opens(MenuEntry entry)
{
    return ToolDialogFactory::makes(entry) || runners().count(entry) != 0;
}

void ToolActions::run(MenuEntry entry)
{
    if (ToolDialogFactory::makes(entry)) {
        boardTool(entry);
        return;
    }
    const auto it = runners().find(entry);
    if (it != runners().end())
        (this->*(it->second))(entry);
}

void ToolActions::boardTool(MenuEntry entry)
{
    const ModelNode* row = m_host.row();
    ToolTarget target;
    if (!row || !m_host.target(*row, target)) {
        m_host.status("Choose a board, an enclosure or a linked network node first.");
        return;
    }
    std::unique_ptr<QDialog> dialog = ToolDialogFactory::make(entry, target, m_host.chooser(), m_window);
    if (dialog)
        dialog->exec();
    else
        m_host.status("This tool needs a board.");
}

void ToolActions::eepromTool(MenuEntry entry)
{
    const ModelNode* row = m_host.row();
    ToolTarget target;
    const bool board = row && m_host.target(*row, target);
    EepromMenuActions(m_window, m_host.chooser(), m_host.status).run(entry, board ? &target : nullptr);
}

void ToolActions::changeTool(MenuEntry entry)
{
    const ModelNode* row = m_host.row();
    if (entry == MenuEntry::ChannelModules) {
        SystemModel* system = m_host.system();
        DemoSystemEditor* editor = m_host.demoEditor();
        if (row && system && editor && BoardChangeTools::channelModules(*system, *editor, *row, m_window))
            m_host.demoChanged();
        return;
    }
    ToolTarget target;
    const bool found = row && m_host.target(*row, target);
    if (entry == MenuEntry::CrossGrade) {
        // The free choice is for the operator who still holds Shift when choosing the entry.
        BoardChangeTools::crossGrade(found ? &target : nullptr,
                                     QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier), m_window);
        return;
    }
    if (entry == MenuEntry::EnclosureData) {
        if (!found || !BoardChangeTools::enclosureData(target, m_window))
            m_host.status("Choose an enclosure first.");
        return;
    }
    BoardReadBack after;
    QString outcome = "Choose one board first.";
    if (!found || !BoardChangeTools::boardConfiguration(target, m_window, after, outcome)) {
        m_host.status(outcome);
        return;
    }
    if (row->systemKind == SystemKind::Local)
        m_host.localBoardChanged(target.boards.front(), after);
    m_host.status(outcome);
}

void ToolActions::boardHistory(MenuEntry)
{
    const ModelNode* row = m_host.row();
    const std::string serial = row ? ToolTargetBuilder::boardSerial(*row) : std::string();
    if (serial.empty()) {
        m_host.status("This row has no board serial number to look up.");
        return;
    }
    CBoardHistoryDialog dialog(MaintenanceJournal::defaultFolder(), serial,
                               QString::fromStdString(ProblemList::title(*row)), m_window);
    ToolTarget target;
    if (m_host.target(*row, target) && !target.multiBoard)
        dialog.setRestoreTarget(target);
    dialog.exec();
}

QDialog* ToolActions::openForPicture(const QString& name, SystemModel& system, DemoSystemEditor* editor,
                                     const ToolTargetBuilder& targets)
{
    if (editor && BoardChangeTools::pictureNames().contains(name))
        return BoardChangeTools::openForPicture(name, system, *editor, targets, m_window);
    RootNode& local = system.localRoot();
    ToolTarget whole;
    ToolTarget board;
    std::string serial;
    QString caption;
    targets.local(local, system, whole);
    if (const ModelNode* row = ToolTargetBuilder::firstBoardRow(local)) {
        targets.local(*row, system, board);
        serial = ToolTargetBuilder::boardSerial(*row);
        caption = QString::fromStdString(ProblemList::title(*row));
    }
    return BoardToolDialogs::openForPicture(name, whole, board, serial, caption, m_window);
}

} // namespace z2e
