#pragma once
// The "Configure Base EEPROM" entry and the "EEPROM Management" submenu of a board's context
// menu: the editor, backup to a folder, restore from a file and the driver's automatic restore.
// Each asks on the GUI thread, runs its procedure behind the progress window and tells the
// outcome; the procedures are the Qt-free ones of the command line.

#include "core/tree_context_menu.h"
#include "gui/dialogs/tools/tool_target.h"
#include "gui/window/file_chooser.h"
#include "tools/eeprom_which.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace z2e {

class EepromMenuActions {
public:
    /// Dialogs go over `parent`; `status` puts a line into the window's status bar.
    EepromMenuActions(QWidget* parent, FileChooser chooser, std::function<void(const QString&)> status);

    /// Carries out `entry` for `target`, the board of the chosen row; null when the row is no
    /// single board (that is told as the procedure's refusal).
    void run(MenuEntry entry, const ToolTarget* target);

    /// Restores `which` of the target's board from the backup file `path` behind the progress
    /// window and tells the outcome as "EEPROM Restore"; the status.
    static std::int32_t restoreFromFile(const ToolTarget& target, EepromWhich which, const std::string& path,
                                        QWidget* parent);

private:
    void configure(const ToolTarget* target);
    void backup(const ToolTarget* target, EepromWhich which);
    void restoreFromChosenFile(const ToolTarget* target, EepromWhich which);
    void autoRestore(const ToolTarget* target, EepromWhich which);

    QWidget* m_parent;
    FileChooser m_chooser;
    std::function<void(const QString&)> m_status;
};

} // namespace z2e
