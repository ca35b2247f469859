#pragma once
// "Add Node by Address": the node addresses asked directly at every scan. Adding and removing
// go to the remembered list at once (RememberedNodes says what happened, shown below the list);
// the window then asks the network client to follow.

#include "core/remembered_nodes.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CNodeAddressesDialog;
}

namespace z2e {

class CNodeAddressesDialog : public QDialog {
    Q_OBJECT

public:
    explicit CNodeAddressesDialog(RememberedNodes store, QWidget* parent = nullptr);
    ~CNodeAddressesDialog() override;

signals:
    /// The remembered list changed.
    void ctrlAddressesChanged();

private slots:
    void hdl_BtnClicked_Add();
    void hdl_BtnClicked_Remove();

private:
    void fillList();
    void updateWidgets();
    void showOutcome(bool refused, const QString& message);

    std::unique_ptr<Ui::CNodeAddressesDialog> m_ui;
    RememberedNodes m_store;
};

} // namespace z2e
