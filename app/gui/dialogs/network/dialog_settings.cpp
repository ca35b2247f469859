#include "gui/dialogs/network/dialog_settings.h"

#include "ui_dialog_settings.h"

#include "gui/window/network_interface_choice.h"

namespace z2e {

const char* const DialogSettings::kAutomatic = "Automatic";
const char* const DialogSettings::kNoNetwork = "No Network";
const char* const DialogSettings::kManualItem = "Manual Configuration";

DialogSettings::DialogSettings(const qorinet_api::LocalInterfaceList& interfaces, bool manualAllowed, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DialogSettings>()), m_interfaces(interfaces)
{
    qRegisterMetaType<NetworkOptions>("NetInterfaces");
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(m_ui->cmbInterface, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &DialogSettings::hdl_SelectionChanged);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    NetworkOptions initial;
    initial.address = "127.0.1.1";
    initial.mask = "255.255.255.0";
    initial.interfaceName = kManualItem;
    initial.automaticInterface = false;
    fill(initial, manualAllowed);
}

DialogSettings::~DialogSettings() = default;

void DialogSettings::fill(const NetworkOptions& current, bool manualAllowed)
{
    QComboBox& box = *m_ui->cmbInterface;
    const QSignalBlocker quiet(&box);
    box.clear();
    box.addItem("AUTO", QString(kAutomatic));
    int matching = -1;
    for (const auto& entry : NetworkInterfaceChoice::interfaceList(m_interfaces)) {
        const NetworkOptions& record = entry.second;
        if (matching < 0 && record.address == current.address && record.mask == current.mask)
            matching = box.count();
        box.addItem(QString("%1 (%2)").arg(record.address, record.interfaceName), QVariant::fromValue(record));
    }
    box.addItem(NetworkInterfaceChoice::kOff, QString(kNoNetwork));
    const int off = box.count() - 1;
    int manual = -1;
    if (manualAllowed) {
        NetworkOptions record = current;
        record.automaticInterface = false;
        // A manual address with the name "Off" would switch the network off instead.
        if (record.interfaceName == NetworkInterfaceChoice::kOff)
            record.interfaceName = kManualItem;
        box.addItem(kManualItem, QVariant::fromValue(record));
        manual = box.count() - 1;
    }
    int chosen = 0;
    if (current.automaticInterface)
        chosen = 0;
    else if (current.interfaceName == NetworkInterfaceChoice::kOff)
        chosen = off;
    else if (matching >= 0)
        chosen = matching;
    else if (manual >= 0)
        chosen = manual;
    box.setCurrentIndex(chosen);
    m_ui->editAddress->setText(current.address);
    m_ui->editMask->setText(current.mask);
    hdl_SelectionChanged(chosen);
}

void DialogSettings::hdl_SelectionChanged(int index)
{
    const QVariant data = m_ui->cmbInterface->itemData(index);
    if (data.canConvert<NetworkOptions>()) {
        const NetworkOptions record = data.value<NetworkOptions>();
        m_ui->editAddress->setText(record.address);
        m_ui->editMask->setText(record.mask);
    }
    const bool manual = m_ui->cmbInterface->itemText(index).contains(kManualItem);
    m_ui->editAddress->setEnabled(manual);
    m_ui->editMask->setEnabled(manual);
}

NetworkOptions DialogSettings::result() const
{
    const QVariant data = m_ui->cmbInterface->currentData();
    NetworkOptions chosen;
    if (data.canConvert<NetworkOptions>()) {
        chosen = data.value<NetworkOptions>();
    } else if (data.toString() == kNoNetwork) {
        chosen.automaticInterface = false;
        chosen.interfaceIndex = -1;
        chosen.interfaceName = NetworkInterfaceChoice::kOff;
        return chosen;
    } else {
        chosen.automaticInterface = true;
        chosen.interfaceIndex = -1;
        chosen.interfaceName.clear();
    }
    chosen.address = m_ui->editAddress->text();
    chosen.mask = m_ui->editMask->text();
    return chosen;
}

bool DialogSettings::manualChosen() const
{
    return m_ui->cmbInterface->currentText().contains(kManualItem);
}

} // namespace z2e
