#pragma once
// "Board History": what the maintenance journal recorded for one board, newest first.

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class CBoardHistoryDialog;
}

namespace z2e {

class CBoardHistoryDialog : public QDialog {
    Q_OBJECT

public:
    /// Reads the history of the board `serial` from the journal in `journalFolder`
    /// (".../maintenance"); `boardCaption` names the board above the table.
    CBoardHistoryDialog(const std::string& journalFolder, const std::string& serial, const QString& boardCaption,
                        QWidget* parent = nullptr);
    ~CBoardHistoryDialog() override;

private slots:
    void hdl_BtnClicked_Close();

private:
    std::unique_ptr<Ui::CBoardHistoryDialog> m_ui;
};

} // namespace z2e
