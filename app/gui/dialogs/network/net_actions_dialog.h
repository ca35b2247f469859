#pragma once
// "Node Options": the maintenance actions for one network node. The dialog only names the
// choice; the main window carries it out (NodeActions).

#include <QDialog>

#include <memory>

namespace Ui {
class CNetActionsDialog;
}

namespace z2e {

class CNetActionsDialog : public QDialog {
    Q_OBJECT

public:
    /// The choices, as code() reports them.
    enum Code { Cancel = 0, Rename = 1, RebootSystem = 2, RestartServer = 3, ChangeIp = 4 };

    explicit CNetActionsDialog(QWidget* parent = nullptr);
    ~CNetActionsDialog() override;

    /// The button that closed the dialog; Cancel when it was closed otherwise.
    int code() const { return m_code; }

private slots:
    void hdl_ButtonClicked_ChangeIP();
    void hdl_ButtonClicked_RebootSystem();
    void hdl_ButtonClicked_RestartServer();
    void hdl_ButtonClicked_Rename();
    void hdl_ButtonClicked_Cancel();

private:
    void closeWith(int code);

    std::unique_ptr<Ui::CNetActionsDialog> m_ui;
    int m_code = Cancel;
};

} // namespace z2e
