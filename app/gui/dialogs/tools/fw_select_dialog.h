#pragma once
// "Firmware Select": one of the driver's listed firmware files, chosen from a list.

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class CFWSelectDialog;
}

namespace z2e {

class CFWSelectDialog : public QDialog {
    Q_OBJECT

public:
    explicit CFWSelectDialog(const std::vector<std::string>& files, QWidget* parent = nullptr);
    ~CFWSelectDialog() override;

    /// The file chosen with OK; empty before that or after Cancel.
    const std::string& selectedFile() const { return m_selected; }

private slots:
    void hdl_ButtonClicked_OK();
    void hdl_ButtonClicked_Cancel();

private:
    void updateWidgets();

    std::unique_ptr<Ui::CFWSelectDialog> m_ui;
    std::string m_selected;
};

} // namespace z2e
