#pragma once
// "Maintenance" in the menu bar: every tool, filled each time it opens for the row chosen
// then (see MaintenanceMenuPlan), the Shift-only ones in "Advanced", and "Create Support
// Package...". Its entries run the same actions as the context menus.

#include "core/maintenance_menu_plan.h"

#include <QObject>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;

namespace z2e {

class MaintenanceMenu : public QObject {
    Q_OBJECT

public:
    struct Host {
        std::function<const ModelNode*()> selected; ///< the chosen row of the tab in front
        std::function<RowContext()> context;
        std::function<QAction*(MenuEntry)> actionFor;
        std::function<void(MenuEntry)> run; ///< runs the entry for the chosen row
        std::function<void()> supportPackage;
    };

    /// Puts the menu into `window`'s menu bar in front of `before`.
    MaintenanceMenu(QMainWindow* window, QAction* before, Host host);

    QMenu* menu() const { return m_menu; }
    /// Fills the menu for the row chosen now (also done each time it opens).
    void fill();

private:
    void add(QMenu& menu, const MaintenanceItem& item);

    Host m_host;
    QMenu* m_menu = nullptr;
};

} // namespace z2e
