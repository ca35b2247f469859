#pragma once
// "EEPROM Config": rewrites a board's base EEPROM from the driver's default document of a
// chosen generation with a serial number, or erases it. Both are journalled changes that run
// behind the progress window; the window shows the outcome once the dialog has closed.

#include "gui/dialogs/tools/tool_target.h"
#include "tools/eeprom_editor.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CDialogSetEEPROM;
}

namespace z2e {

class MaintenanceJournal;

class CDialogSetEEPROM : public QDialog {
    Q_OBJECT

public:
    /// Reads the summary, type code and offered generations of the target's first board.
    explicit CDialogSetEEPROM(const ToolTarget& target, QWidget* parent = nullptr);
    ~CDialogSetEEPROM() override;

    /// What the window shows after the dialog closed: nothing after Cancel.
    const EepromEditorOutcome& outcome() const { return m_outcome; }

public slots:
    void hdl_Btn_Store();
    void hdl_Btn_Erase();
    void hdl_Btn_Cancel();
    void hdl_EDIT_Event(const QString& text);

private:
    void updateWidgets();
    /// Worker: what the window shows after the editor's action; its words may be the node's.
    EepromEditorOutcome outcomeOf(const EepromEditor& editor) const;

    std::unique_ptr<Ui::CDialogSetEEPROM> m_ui;
    ToolTarget m_target;
    std::unique_ptr<MaintenanceJournal> m_journal;
    std::unique_ptr<EepromEditor> m_editor;
    EepromEditorOutcome m_outcome;
};

} // namespace z2e
