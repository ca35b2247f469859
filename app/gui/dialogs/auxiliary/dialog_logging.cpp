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
    connect(m_ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

DialogLogging::~DialogLogging() = default;

void DialogLogging::setSettings(const DriverLogSettings& settings)
{
    m_settings = settings;
    m_ui->editFileName->setText(QString::fromStdString(settings.fileName));
    fillChoice(*m_ui->comboLevel, settings.levelOptions, settings.level);
    fillChoice(*m_ui->comboType, settings.typeOptions, settings.type);
    fillChoice(*m_ui->comboMode, settings.appendOptions, settings.append);
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

void DialogLogging::done(int)
{
    // However the dialog closes, the values shown are the ones kept.
    const auto changed = [](const QString& shown, const std::string& held) {
        const std::string value = shown.trimmed().toStdString();
        return value == held ? std::string() : value;
    };
    // An emptied name keeps the one held; only the values changed are checked against the
    // lists, so that one the configuration already held outside them blocks nothing.
    const std::string name = m_ui->editFileName->text().trimmed().toStdString();
    const DriverLogChange change{name.empty() ? m_settings.fileName : name,
                                 changed(m_ui->comboLevel->currentText(), m_settings.level),
                                 changed(m_ui->comboType->currentText(), m_settings.type),
                                 changed(m_ui->comboMode->currentText(), m_settings.append)};
    std::string error;
    // A new name is a plain file name in the driver's log folder, refused in words otherwise.
    if (!applyLogChange(change, m_settings, error, m_configFile)) {
        CMiscUtils::notify(windowTitle(),
                           QString::fromStdString(error + "\nThe logging settings were left as they were."), this);
        QDialog::done(Rejected);
        return;
    }
    QDialog::done(Accepted);
}

} // namespace z2e
