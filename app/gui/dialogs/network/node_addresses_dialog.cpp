#include "gui/dialogs/network/node_addresses_dialog.h"

#include "ui_node_addresses_dialog.h"

namespace z2e {

CNodeAddressesDialog::CNodeAddressesDialog(RememberedNodes store, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CNodeAddressesDialog>()), m_store(std::move(store))
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(m_ui->btnAdd, &QPushButton::clicked, this, &CNodeAddressesDialog::hdl_BtnClicked_Add);
    connect(m_ui->btnRemove, &QPushButton::clicked, this, &CNodeAddressesDialog::hdl_BtnClicked_Remove);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->editAddress, &QLineEdit::textChanged, this, [this] { updateWidgets(); });
    connect(m_ui->listAddresses, &QListWidget::currentRowChanged, this, [this] { updateWidgets(); });
    fillList();
}

CNodeAddressesDialog::~CNodeAddressesDialog() = default;

void CNodeAddressesDialog::fillList()
{
    m_ui->listAddresses->clear();
    for (const std::string& address : m_store.addresses())
        m_ui->listAddresses->addItem(QString::fromStdString(address));
    updateWidgets();
}

void CNodeAddressesDialog::updateWidgets()
{
    m_ui->btnAdd->setEnabled(!m_ui->editAddress->text().trimmed().isEmpty());
    m_ui->btnRemove->setEnabled(m_ui->listAddresses->currentItem() != nullptr);
}

void CNodeAddressesDialog::showOutcome(bool refused, const QString& message)
{
    m_ui->labelStatus->setStyleSheet(refused ? QStringLiteral("color: red") : QString());
    m_ui->labelStatus->setText(message);
}

void CNodeAddressesDialog::hdl_BtnClicked_Add()
{
    std::string message;
    const auto outcome = m_store.add(m_ui->editAddress->text().trimmed().toStdString(), message);
    const bool added = outcome == RememberedNodes::Outcome::Added;
    showOutcome(!added && outcome != RememberedNodes::Outcome::AlreadyThere, QString::fromStdString(message));
    if (!added)
        return;
    m_ui->editAddress->clear();
    fillList();
    emit ctrlAddressesChanged();
}

void CNodeAddressesDialog::hdl_BtnClicked_Remove()
{
    const QListWidgetItem* item = m_ui->listAddresses->currentItem();
    if (!item)
        return;
    std::string message;
    const auto outcome = m_store.remove(item->text().toStdString(), message);
    showOutcome(outcome == RememberedNodes::Outcome::Failed, QString::fromStdString(message));
    fillList();
    if (outcome == RememberedNodes::Outcome::Removed)
        emit ctrlAddressesChanged();
}

} // namespace z2e
