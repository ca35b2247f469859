#pragma once
// "Diagnose Network": why no network node shows up. Runs the discovery doctor on the worker
// thread behind a progress window whose Cancel ends the scan early, and lists the findings,
// each with its level's icon, the facts and the next step. "Run again" looks once more.

#include "core/doctor_finding.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class CDiagnoseDialog;
}

namespace z2e {

class CDiagnoseDialog : public QDialog {
    Q_OBJECT

public:
    /// The diagnosis; runs on the worker thread and ends soon once `cancel` is set.
    using Diagnosis = std::function<std::vector<DoctorFinding>(const std::atomic<bool>& cancel)>;

    explicit CDiagnoseDialog(Diagnosis diagnosis, QWidget* parent = nullptr);
    ~CDiagnoseDialog() override;

    /// Runs the diagnosis (the GUI thread waits in the progress window) and shows its findings.
    void runDiagnosis();
    /// What is shown.
    const std::vector<DoctorFinding>& findings() const { return m_findings; }

private slots:
    void hdl_BtnClicked_RunAgain();

private:
    void showFindings();

    std::unique_ptr<Ui::CDiagnoseDialog> m_ui;
    Diagnosis m_diagnosis;
    std::vector<DoctorFinding> m_findings;
};

} // namespace z2e
