#include "gui/dialogs/auxiliary/dialog_logging.h"

#include "ui_dialog_logging.h"

#include "core/driver_logging.h"
#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/dialogs/auxiliary/misc_utils.h"

namespace z2e {

DialogLogging::DialogLogging(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::DialogLogging>())
{
    m_ui->setupUi(this);
    setWindowIcon(QIcon(":/icons/res/logging.png"));
    removeContextHelpButton(this);
    connect(m_ui->btnCollect, &QPushButton::clicked, this, &DialogLogging::collectData);
    connect(m_ui->btnApply, &QPushButton::clicked, this, &DialogLogging::hdl_ButtonClicked_Apply);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->editFileName, &QLineEdit::textChanged, this, &DialogLogging::updateWidgets);
    updateWidgets();
}

DialogLogging::~DialogLogging() = default;

void DialogLogging::setSettings(const DriverLogSettings& settings)
{
    m_settings = settings;
    m_ui->editFileName->setText(QString::fromStdString(settings.fileName));
    fillChoice(*m_ui->comboLevel, settings.levelOptions, settings.level);
    fillChoice(*m_ui->comboType, settings.typeOptions, settings.type);
    fillChoice(*m_ui->comboMode, settings.appendOptions, settings.append);
    updateWidgets();
}

void DialogLogging::fillChoice(QComboBox& combo, const std::vector<std::string>& options, const std::string& value)
{
    combo.clear();
    // Without a list any value goes, as in the configuration itself.
    combo.setEditable(options.empty());
    for (const std::string& option : options)
        combo.addItem(QString::fromStdString(option));
    const QString current = QString::fromStdString(value);
    // A value outside the list stays what it is until the operator picks another.
    if (combo.findText(current) < 0)
        combo.insertItem(0, current);
    combo.setCurrentIndex(combo.findText(current));
}

void DialogLogging::updateWidgets()
{
    m_ui->btnApply->setEnabled(!m_ui->editFileName->text().trimmed().isEmpty());
}

void DialogLogging::hdl_ButtonClicked_Apply()
{
    // Only the values the operator changed are checked against the lists: one the configuration
    // already held outside them does not block the others. The name always gets its rule.
    const auto changed = [](const QString& shown, const std::string& held) {
        const std::string value = shown.trimmed().toStdString();
        return value == held ? std::string() : value;
    };
    const DriverLogChange change{m_ui->editFileName->text().trimmed().toStdString(),
                                 changed(m_ui->comboLevel->currentText(), m_settings.level),
                                 changed(m_ui->comboType->currentText(), m_settings.type),
                                 changed(m_ui->comboMode->currentText(), m_settings.append)};
    std::string error;
    // A new name is a plain file name in the driver's log folder, refused in words otherwise.
    if (!applyLogChange(change, m_settings, error, m_configFile)) {
        CMiscUtils::notify(windowTitle(), QString::fromStdString(error), this);
        return;
    }
    accept();
}

} // namespace z2e
