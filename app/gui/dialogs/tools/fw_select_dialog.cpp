#include "gui/dialogs/tools/fw_select_dialog.h"

#include "ui_fw_select_dialog.h"

namespace z2e {

CFWSelectDialog::CFWSelectDialog(const std::vector<std::string>& files, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CFWSelectDialog>())
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    for (const std::string& file : files)
        m_ui->listFirmware->addItem(QString::fromStdString(file));
    connect(m_ui->buttonOK, &QPushButton::clicked, this, &CFWSelectDialog::hdl_ButtonClicked_OK);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &CFWSelectDialog::hdl_ButtonClicked_Cancel);
    connect(m_ui->listFirmware, &QListWidget::itemDoubleClicked, this, &CFWSelectDialog::hdl_ButtonClicked_OK);
    connect(m_ui->listFirmware, &QListWidget::itemSelectionChanged, this, &CFWSelectDialog::updateWidgets);
    updateWidgets();
}

CFWSelectDialog::~CFWSelectDialog() = default;

void CFWSelectDialog::hdl_ButtonClicked_OK()
{
    const QList<QListWidgetItem*> chosen = m_ui->listFirmware->selectedItems();
    if (chosen.isEmpty())
        return;
    m_selected = chosen.front()->text().toStdString();
    accept();
}

void CFWSelectDialog::hdl_ButtonClicked_Cancel()
{
    m_selected.clear();
    reject();
}

void CFWSelectDialog::updateWidgets()
{
    m_ui->buttonOK->setEnabled(!m_ui->listFirmware->selectedItems().isEmpty());
}

} // namespace z2e
