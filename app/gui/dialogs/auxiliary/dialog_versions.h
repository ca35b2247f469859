#pragma once
// "Software Versions": the program's record first, then the driver side's, one row each.

#include "core/system_model.h"

#include <QDialog>

#include <memory>
#include <vector>

class QTableWidget;

namespace Ui {
class DialogVersions;
}

namespace z2e {

class DialogVersions : public QDialog {
    Q_OBJECT

public:
    explicit DialogVersions(QWidget* parent);
    ~DialogVersions() override;

    /// One row per record: component (its file name as tool tip), version, comment.
    void setRecords(const std::vector<SoftwareVersionRecord>& records);
    QTableWidget* table() const;

private:
    std::unique_ptr<Ui::DialogVersions> m_ui;
};

} // namespace z2e
