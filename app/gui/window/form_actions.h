#pragma once
// The actions of the main window's form that menu entries stand for (those not built from the
// tool registry): the demo and report entries of root rows, the EEPROM submenu, temperatures
// and the node entries.

#include "core/menu_entry.h"

class QAction;

namespace Ui {
class MainWindow;
}

namespace z2e {

class FormActions {
public:
    /// The form's action of `entry`; null for an entry the form has none for.
    static QAction* of(const Ui::MainWindow& form, MenuEntry entry);
};

} // namespace z2e
