#include "gui/window/form_actions.h"

#include "ui_main_window.h"

#include <utility>

namespace z2e {

QAction* FormActions::of(const Ui::MainWindow& form, MenuEntry entry)
{
    using WindowAction = QAction* Ui::MainWindow::*;
    static const std::pair<MenuEntry, WindowAction> kWindowActions[] = {
        {MenuEntry::UseSelectedAsDemo, &Ui::MainWindow::actionUseSelectedAsDemo},
        {MenuEntry::SaveSelectedToDemo, &Ui::MainWindow::actionSaveSelectedToDemo},
        {MenuEntry::LoadDemo, &Ui::MainWindow::actionLoadDemo},
        {MenuEntry::SaveDemo, &Ui::MainWindow::actionSaveDemo},
        {MenuEntry::ShowSystemReport, &Ui::MainWindow::actionShowSystemReport},
        {MenuEntry::SaveSystemReport, &Ui::MainWindow::actionSaveSystemReport},
        {MenuEntry::BackupBase, &Ui::MainWindow::actionBackupBase},
        {MenuEntry::BackupPanel, &Ui::MainWindow::actionBackupPanel},
        {MenuEntry::AutoRestoreBase, &Ui::MainWindow::actionAutoRestoreBase},
        {MenuEntry::AutoRestoreCon, &Ui::MainWindow::actionAutoRestoreCon},
        {MenuEntry::FileRestoreBase, &Ui::MainWindow::actionFileRestoreBase},
        {MenuEntry::FileRestorePanel, &Ui::MainWindow::actionFileRestorePanel},
        {MenuEntry::UpdateTemperatures, &Ui::MainWindow::actionUpdateTemperatures},
        {MenuEntry::ChangeNodeIp, &Ui::MainWindow::actionChangeNodeIp},
        {MenuEntry::RestartNode, &Ui::MainWindow::actionRestartNode},
        {MenuEntry::RebootNode, &Ui::MainWindow::actionRebootNode},
        {MenuEntry::UpdateNode, &Ui::MainWindow::actionUpdateNode},
        {MenuEntry::RenameNode, &Ui::MainWindow::actionRenameNode},
    };
    for (const auto& [known, action] : kWindowActions) {
        if (known == entry)
            return form.*action;
    }
    return nullptr;
}

} // namespace z2e
