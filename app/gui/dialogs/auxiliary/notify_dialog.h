#pragma once
// A message with one OK button: the outcome of an operation, a warning, a note.

#include <QDialog>

#include <memory>

namespace Ui {
class CNotifyDialog;
}

namespace z2e {

class CNotifyDialog : public QDialog {
    Q_OBJECT

public:
    CNotifyDialog(const QString& title, const QString& text, QWidget* parent = nullptr);
    ~CNotifyDialog() override;

    /// The text as shown.
    QString text() const;

private slots:
    void hdl_ButtonClicked_OK();

private:
    std::unique_ptr<Ui::CNotifyDialog> m_ui;
};

} // namespace z2e
