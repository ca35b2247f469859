#pragma once
// The board tool dialogs a screenshot run can picture, by name.

#include "gui/dialogs/tools/tool_target.h"

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace z2e {

class BoardToolDialogs {
public:
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
