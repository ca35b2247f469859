#pragma once
// A failure with one OK button; takes its texts as standard strings because the failures come
// from the driver and library layers.

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class CErrorDialog;
}

namespace z2e {

class CErrorDialog : public QDialog {
    Q_OBJECT

public:
    CErrorDialog(const std::string& title, const std::string& text, QWidget* parent = nullptr);
    ~CErrorDialog() override;

    /// The text as shown.
    QString text() const;

private slots:
    void hdl_ButtonClicked_OK();

private:
    std::unique_ptr<Ui::CErrorDialog> m_ui;
};

} // namespace z2e
