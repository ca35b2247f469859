#include "gui/dialogs/network/diagnose_dialog.h"

#include "ui_diagnose_dialog.h"

#include "core/discovery_doctor.h"
#include "gui/window/worker_job.h"

#include <QStyle>
#include <QTreeWidgetItem>

namespace z2e {
namespace {

QIcon levelIcon(const QStyle& style, DoctorFinding::Level level)
{
    switch (level) {
    case DoctorFinding::Level::Problem: return style.standardIcon(QStyle::SP_MessageBoxCritical);
    case DoctorFinding::Level::Warning: return style.standardIcon(QStyle::SP_MessageBoxWarning);
    case DoctorFinding::Level::Ok: break;
    }
    return style.standardIcon(QStyle::SP_DialogApplyButton);
}

QString summaryOf(const std::vector<DoctorFinding>& findings, bool cancelled)
{
    int problems = 0;
    int warnings = 0;
    for (const DoctorFinding& finding : findings) {
        problems += finding.level == DoctorFinding::Level::Problem;
        warnings += finding.level == DoctorFinding::Level::Warning;
    }
    QString text = problems + warnings == 0
                       ? QStringLiteral("Nothing is wrong with the network side.")
                       : QStringLiteral("%1 problem(s) and %2 warning(s): see the next step below each.")
                             .arg(problems)
                             .arg(warnings);
    return cancelled ? QStringLiteral("Cancelled. ") + text : text;
}

} // namespace

CDiagnoseDialog::CDiagnoseDialog(Diagnosis diagnosis, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDiagnoseDialog>()), m_diagnosis(std::move(diagnosis))
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(m_ui->btnRunAgain, &QPushButton::clicked, this, &CDiagnoseDialog::hdl_BtnClicked_RunAgain);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

CDiagnoseDialog::~CDiagnoseDialog() = default;

void CDiagnoseDialog::runDiagnosis()
{
    std::atomic<bool> cancel{false};
    std::vector<DoctorFinding> findings;
    WorkerJob job(windowTitle(), QStringLiteral("Looking at interfaces, ports and nodes (a few seconds)."), this);
    job.offerCancel([&cancel] { cancel = true; });
    const Diagnosis diagnosis = m_diagnosis;
    job.run([&findings, &cancel, diagnosis](CInProgress&) {
        findings = diagnosis(cancel);
        return 0;
    });
    m_findings = std::move(findings);
    showFindings();
    m_ui->labelSummary->setText(summaryOf(m_findings, job.cancelled()));
}

void CDiagnoseDialog::hdl_BtnClicked_RunAgain()
{
    runDiagnosis();
}

void CDiagnoseDialog::showFindings()
{
    QTreeWidget& tree = *m_ui->treeFindings;
    tree.clear();
    for (const DoctorFinding& finding : m_findings) {
        auto* item = new QTreeWidgetItem(&tree, {QString::fromStdString(finding.title)});
        item->setIcon(0, levelIcon(*style(), finding.level));
        item->setData(0, Qt::UserRole, QString::fromLatin1(DoctorFinding::levelName(finding.level)));
        if (!finding.detail.empty())
            new QTreeWidgetItem(item, {QString::fromStdString(finding.detail)});
        if (!finding.nextStep.empty())
            new QTreeWidgetItem(item, {QStringLiteral("Next: ") + QString::fromStdString(finding.nextStep)});
        // What is wrong stands open; what is fine is one line each.
        item->setExpanded(finding.level != DoctorFinding::Level::Ok);
    }
}

} // namespace z2e
