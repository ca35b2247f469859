#pragma once
// The board tool dialogs the window opens from its menus and tool bar, made from the menu entry
// that asked for them (the one place a plain board tool's dialog is named), and the named
// dialogs a screenshot run can picture.

#include "core/tree_context_menu.h"
#include "gui/dialogs/tools/tool_target.h"
#include "gui/window/file_chooser.h"

#include <QString>
#include <QStringList>

#include <memory>

class QDialog;
class QWidget;

namespace z2e {

class BoardToolDialogs {
public:
    /// The dialog of `entry` for `target`, its file dialogs through `chooser`; null for an
    /// entry that is no board tool, and for the single-board tools when `target` holds more
    /// than one board.
    static std::unique_ptr<QDialog> make(MenuEntry entry, const ToolTarget& target, const FileChooser& chooser,
                                         QWidget* parent);
    /// Whether `entry` is a board tool whose dialog make() makes.
    static bool makes(MenuEntry entry);

    /// What `--dialog` accepts: "selftest", "firmware", "firmware-pro", "firmware-select",
    /// "board-history", "eeprom-editor", and those of BoardChangeTools (opened by the window).
    static QStringList pictureNames();
    /// Opens the named dialog without a modal loop, in the state its picture shows: the self
    /// test after a run over `system`, the firmware table after its check, the PRO dialog, the
    /// history and the EEPROM editor for `board`, the firmware listing of the node. Null for an
    /// unknown name.
    static QDialog* openForPicture(const QString& name, const ToolTarget& system, const ToolTarget& board,
                                   const std::string& boardSerial, const QString& boardCaption, QWidget* parent);
};

} // namespace z2e
