#pragma once
// What every message dialog (notify, error, the two questions) does alike: the pictures of its
// form, no help button, its title, and its text with plain line ends in the form's label. Each
// dialog keeps its own form and the buttons that end it.

#include <QDialog>

class QLabel;

namespace z2e {

class CMessageDialog : public QDialog {
    Q_OBJECT

public:
    /// The text as shown.
    QString text() const;

protected:
    explicit CMessageDialog(QWidget* parent);
    /// Once the form is set up: `text` goes to `label`.
    void present(QLabel* label, const QString& title, const QString& text);

private:
    QLabel* m_label = nullptr;
};

} // namespace z2e
