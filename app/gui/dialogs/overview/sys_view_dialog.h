#pragma once
// The board overview of one system as a read-only table.

#include "core/root_node.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class DialogSysOverview;
}

namespace z2e {

class CSysViewDialog : public QDialog {
    Q_OBJECT

public:
    /// Fills the table from `overview`: its first row gives the column titles, every further row
    /// is a board. `extended` shows 17 columns instead of 4. An empty overview leaves the table
    /// empty.
    CSysViewDialog(QWidget* parent, const std::vector<RootNode::OverviewRow>& overview, bool extended);
    ~CSysViewDialog() override;

private slots:
    void hdl_ButtonClose();

private:
    std::unique_ptr<Ui::DialogSysOverview> m_ui;
};

} // namespace z2e
