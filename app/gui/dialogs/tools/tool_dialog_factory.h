#pragma once
// The dialog a tool's window entry opens for the boards of the chosen row. Each dialog names
// itself here, in its own source, so that a new tool's dialog needs no edit of the window:
//
//     const ToolDialogFactory kOpens(MenuEntry::SelfTest, makeSelfTest, "selftest");
//
// zamo2_gui is linked whole (app/gui/CMakeLists.txt): a plain archive would drop a dialog's
// object file, and its factory with it, when nothing else names the dialog.

#include "core/menu_entry.h"
#include "gui/dialogs/tools/tool_target.h"
#include "gui/window/file_chooser.h"

#include <QStringList>

#include <map>
#include <memory>

class QDialog;
class QWidget;

namespace z2e {

class ToolDialogFactory {
public:
    /// Null when the boards of `target` do not fit the dialog (a single-board tool on many).
    using Make = std::unique_ptr<QDialog> (*)(const ToolTarget& target, const FileChooser& chooser, QWidget* parent);

    /// Names `make` as the dialog of `entry`; with `picture`, `--dialog picture` opens it for
    /// the first board of the local system. One object at namespace scope, made before main().
    ToolDialogFactory(MenuEntry entry, Make make, const char* picture = nullptr);

    /// The dialog of `entry` for `target`; null for an entry no dialog named, a target without
    /// a node or boards, or boards the dialog does not take.
    static std::unique_ptr<QDialog> make(MenuEntry entry, const ToolTarget& target, const FileChooser& chooser,
                                         QWidget* parent);
    static bool makes(MenuEntry entry);

    /// The picture names the dialogs gave.
    static QStringList pictureNames();
    /// The dialog of picture `name` for `board`, shown; null for another name or no board.
    static QDialog* openForPicture(const QString& name, const ToolTarget& board, QWidget* parent);

private:
    struct Entry {
        Make make;
        const char* picture;
    };
    static std::map<MenuEntry, Entry>& entries();
};

} // namespace z2e
