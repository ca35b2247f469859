#pragma once
// The window's side of ToolRegistry: one QAction per window entry of a tool (the tool-bar ones
// on the tool bar), the context menu of a row's plan, and what each entry opens for the row it
// was chosen for. The window only says which row that is and what it shows.

#include "core/tree_context_menu.h"
#include "gui/dialogs/tools/tool_target.h"
#include "gui/window/file_chooser.h"
#include "tools/board_read_back.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QDialog;
class QMenu;
class QToolBar;
class QWidget;

namespace z2e {

class DemoSystemEditor;
class ModelNode;
class SystemModel;
class ToolTargetBuilder;

class ToolActions : public QObject {
    Q_OBJECT

public:
    /// What the tools need of the window.
    struct Host {
        /// The row a tool acts on (null: none chosen).
        std::function<const ModelNode*()> row;
        /// The boards of `row` on its node; false when a tool cannot act on it.
        std::function<bool(const ModelNode& row, ToolTarget& target)> target;
        std::function<FileChooser()> chooser;
        std::function<void(const QString& text)> status;
        /// Null until start-up has made them.
        std::function<SystemModel*()> system;
        std::function<DemoSystemEditor*()> demoEditor;
        /// The demo system changed: its tab shows it again.
        std::function<void()> demoChanged;
        /// A local board reported itself anew after a change: its rows follow.
        std::function<void(std::uint32_t board, const BoardReadBack& after)> localBoardChanged;
    };

    /// The actions are children of `window`; the tool-bar ones go to the end of `toolBar`,
    /// hidden until a row shows them.
    ToolActions(QWidget* window, QToolBar* toolBar, Host host);

    /// The action of a tool's window entry; null for an entry that belongs to no tool.
    QAction* action(MenuEntry entry) const;
    /// Shows the tool-bar tools of `tools`, hides the others.
    void showToolBar(const ToolBarTools& tools);
    /// Carries out `entry` (a tool's or one of the EEPROM submenu) for the row of Host::row.
    void run(MenuEntry entry);
    /// Whether run() does anything for `entry`: a registry entry without is a forgotten line.
    static bool opens(MenuEntry entry);
    /// The menu of `plan`, its entries' actions found by `actionFor`.
    static std::unique_ptr<QMenu> menu(const ContextMenuPlan& plan, const std::function<QAction*(MenuEntry)>& actionFor,
                                       QWidget* parent);
    /// Opens a tool dialog by its picture name over the local system of `system`, without a
    /// modal loop; null for a name no tool pictures.
    QDialog* openForPicture(const QString& name, SystemModel& system, DemoSystemEditor* editor,
                            const ToolTargetBuilder& targets);

private:
    using Runner = void (ToolActions::*)(MenuEntry);
    static const std::map<MenuEntry, Runner>& runners();

    void boardTool(MenuEntry entry);
    void eepromTool(MenuEntry entry);
    void changeTool(MenuEntry entry);
    void boardHistory(MenuEntry entry);

    QWidget* m_window;
    Host m_host;
    std::map<MenuEntry, QAction*> m_actions;
};

} // namespace z2e
