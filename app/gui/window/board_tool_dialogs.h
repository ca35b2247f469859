#pragma once
// The named board tool dialogs a screenshot run can picture: those whose picture needs a state
// of its own (a finished self test, the firmware listing), and those their dialogs named.

#include "gui/dialogs/tools/tool_target.h"

#include <QString>
#include <QStringList>

#include <string>

class QDialog;
class QWidget;

namespace z2e {

class BoardToolDialogs {
public:
    /// What `--dialog` accepts: "selftest", "firmware", "firmware-select", "board-history",
    /// "eeprom-editor", the names of ToolDialogFactory (such as "firmware-pro") and those of
    /// BoardChangeTools (opened by the window).
    static QStringList pictureNames();
    /// Opens the named dialog without a modal loop, in the state its picture shows: the self
    /// test after a run over `system`, the firmware table after its check, the history and the
    /// EEPROM editor for `board`, the firmware listing of the node, and a ToolDialogFactory's
    /// dialog (the PRO dialog) for `board`. Null for an unknown name.
    static QDialog* openForPicture(const QString& name, const ToolTarget& system, const ToolTarget& board,
                                   const std::string& boardSerial, const QString& boardCaption, QWidget* parent);
};

} // namespace z2e
