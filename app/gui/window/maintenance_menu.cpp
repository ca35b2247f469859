#include "gui/window/maintenance_menu.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace z2e {

MaintenanceMenu::MaintenanceMenu(QMainWindow* window, QAction* before, Host host)
    : QObject(window), m_host(std::move(host))
{
    m_menu = new QMenu(tr("&Maintenance"), window);
    m_menu->setObjectName("menuMaintenance");
    // A disabled entry says in its tip what to choose.
    m_menu->setToolTipsVisible(true);
    window->menuBar()->insertMenu(before, m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &MaintenanceMenu::fill);
}

void MaintenanceMenu::fill()
{
    m_menu->clear();
    QMenu* advanced = nullptr;
    for (const MaintenanceItem& item : MaintenanceMenuPlan::items(m_host.selected(), m_host.context())) {
        if (item.advanced && !advanced) {
            m_menu->addSeparator();
            advanced = m_menu->addMenu(tr("Advanced"));
            advanced->setToolTipsVisible(true);
        }
        add(item.advanced ? *advanced : *m_menu, item);
    }
    m_menu->addSeparator();
    QAction* package = m_menu->addAction(tr("Create Support Package\u2026"));
    package->setToolTip(tr("The driver's logs, an inventory of every system and the maintenance journal, in one "
                           "ZIP file for the service"));
    connect(package, &QAction::triggered, this, [this] { m_host.supportPackage(); });
}

void MaintenanceMenu::add(QMenu& menu, const MaintenanceItem& item)
{
    const QAction* source = m_host.actionFor(item.entry);
    if (!source)
        return;
    QAction* action = menu.addAction(source->icon(), source->text());
    action->setEnabled(item.enabled);
    action->setToolTip(item.enabled ? source->toolTip() : QString::fromStdString(item.hint));
    const MenuEntry entry = item.entry;
    connect(action, &QAction::triggered, this, [this, entry] { m_host.run(entry); });
}

} // namespace z2e
