#include "gui/window/network_diagnosis.h"

#include "core/discovery_doctor.h"
#include "core/remembered_nodes.h"
#include "gui/dialogs/network/diagnose_dialog.h"

#include <QAction>

namespace z2e {

NetworkDiagnosis::NetworkDiagnosis(QAction* diagnose, Settings settings, QWidget* window)
    : QObject(window), m_settings(std::move(settings)), m_window(window)
{
    if (diagnose)
        connect(diagnose, &QAction::triggered, this, &NetworkDiagnosis::hdl_Diagnose);
}

QDialog* NetworkDiagnosis::makeDialog()
{
    DiscoveryProbe::Options options;
    options.settings = m_settings();
    auto* dialog = new CDiagnoseDialog(
        [options](const std::atomic<bool>& cancel) {
            DiscoveryProbe::Options asked = options;
            asked.rememberedNodes = RememberedNodes().addresses();
            return DiscoveryDoctor::run(asked, cancel);
        },
        m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->runDiagnosis();
    return dialog;
}

void NetworkDiagnosis::hdl_Diagnose()
{
    makeDialog();
}

QDialog* NetworkDiagnosis::openForPicture()
{
    return makeDialog();
}

} // namespace z2e
