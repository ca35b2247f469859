#pragma once
// "Channel Modules": the channel module of a board of the demo system. Apply changes the node
// model only and marks the demo system changed, so that saving writes it into the driver
// configuration.

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class DialogPowerModules;
}

namespace z2e {

class DemoSystemEditor;
class SlotNode;
class SystemModel;

class CChannelModulesDialog : public QDialog {
    Q_OBJECT

public:
    /// Everything given must outlive the dialog.
    CChannelModulesDialog(SystemModel& system, DemoSystemEditor& editor, SlotNode& slot, QWidget* parent = nullptr);
    ~CChannelModulesDialog() override;

    /// Apply changed the board's module.
    bool changed() const { return m_changed; }

public slots:
    void save();

private:
    std::unique_ptr<Ui::DialogPowerModules> m_ui;
    SystemModel& m_system;
    DemoSystemEditor& m_editor;
    SlotNode& m_slot;
    std::string m_opened; ///< the module shown at opening
    bool m_changed = false;
};

} // namespace z2e
