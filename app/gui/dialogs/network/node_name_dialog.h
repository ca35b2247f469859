#pragma once
// "Net Node": a new name for a network node. Accepting asks first and refuses a name the node
// must not get (NodeActionRules); the main window then sends it.

#include <QDialog>

#include <memory>

namespace Ui {
class NodeNameDialog;
}

namespace z2e {

class NodeNameDialog : public QDialog {
    Q_OBJECT

public:
    explicit NodeNameDialog(const QString& name, QWidget* parent = nullptr);
    ~NodeNameDialog() override;

    /// The name the dialog was accepted with.
    QString name() const { return m_name; }
    /// Accepted with a name other than the initial one.
    bool changed() const { return m_name != m_initial; }

public slots:
    void accept() override;

private:
    std::unique_ptr<Ui::NodeNameDialog> m_ui;
    QString m_initial;
    QString m_name;
};

} // namespace z2e
