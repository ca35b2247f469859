#include "gui/dialogs/tools/board_history_dialog.h"

#include "ui_board_history_dialog.h"

#include "tools/board_identity.h"
#include "tools/board_record.h"

#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/window/eeprom_menu_actions.h"
#include "gui/window/window_settings.h"
#include "gui/window/worker_job.h"
#include "tools/change_intent.h"
#include "tools/journal_line_reader.h"
#include "tools/maintenance_journal.h"

#include <QHeaderView>
#include <QInputDialog>
#include <QSettings>

#include <sys/stat.h>

namespace z2e {
namespace {

const char* const kRestoreTitle = "Restore this snapshot";
const char* const kBase = "Base EEPROM";
const char* const kConnector = "Connector EEPROM";

bool fileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

CBoardHistoryDialog::CBoardHistoryDialog(const std::string& journalFolder, const std::string& serial,
                                         const QString& boardCaption, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBoardHistoryDialog>()), m_journalFolder(journalFolder),
      m_serial(serial)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CBoardHistoryDialog::hdl_BtnClicked_Close);
    connect(m_ui->btnRestore, &QPushButton::clicked, this, &CBoardHistoryDialog::hdl_BtnClicked_Restore);
    connect(m_ui->tableHistory, &QTableWidget::itemSelectionChanged, this, &CBoardHistoryDialog::updateWidgets);
    m_caption = QString("%1  (serial number %2)").arg(boardCaption, QString::fromStdString(serial));
    QSettings settings(WindowSettings::kOrganisation, WindowSettings::kApplication);
    m_site = WindowSettings::siteRegister(settings);
    load();
}

CBoardHistoryDialog::~CBoardHistoryDialog() = default;

// A long journal or a register catching up with it takes a while: read on a worker, with a
// progress window only when it lasts.
void CBoardHistoryDialog::load()
{
    BoardRecord record;
    WorkerJob(windowTitle(), tr("Reading the board's history."), this).showAfter(300).run([&](CInProgress&) {
        record = BoardRecord::read(m_journalFolder, m_serial, m_site);
        return 0;
    });
    fillHistory(record.journal);
    fillPlaces(record);
}

void CBoardHistoryDialog::fillHistory(const JournalHistory& history)
{
    const std::vector<std::string>& lines = history.lines;
    m_ui->labelBoard->setText(history.damaged == 0
                                  ? m_caption
                                  : m_caption + "\n" +
                                        QString::fromStdString(JournalLineReader::damagedText(history.damaged)) +
                                        " (the journal's file is damaged)");
    // The journal appends, so the file's last line is the newest.
    m_lines.assign(lines.rbegin(), lines.rend());

    QTableWidget* table = m_ui->tableHistory;
    const QStringList headers = {"Time", "Operation", "Result", "Status", "Node", "Firmware", "Duration"};
    table->clear();
    table->setColumnCount(headers.size());
    table->setHorizontalHeaderLabels(headers);
    table->setRowCount(static_cast<int>(m_lines.size()));
    for (int row = 0; row < static_cast<int>(m_lines.size()); ++row) {
        const std::string& line = m_lines[static_cast<std::size_t>(row)];
        using J = MaintenanceJournal;
        const auto text = [&](const char* key) { return QString::fromStdString(J::field(line, key)); };
        QString firmware;
        if (!text("firmwareBefore").isEmpty() || !text("firmwareAfter").isEmpty())
            firmware = text("firmwareBefore") + QString::fromUtf8(" \u2192 ") + text("firmwareAfter");
        const QString cells[] = {text("time"),
                                 text("operation"),
                                 text("result"),
                                 text("status").trimmed(),
                                 text("node"),
                                 firmware,
                                 text("durationSeconds") + " s"};
        // A change that never ended stands out: what the board holds is unknown.
        const bool interrupted = J::field(line, "verification") == ChangeIntent::kInterrupted;
        for (int column = 0; column < headers.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (interrupted) {
                item->setForeground(Qt::red);
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnsToContents();
    table->setVisible(!m_lines.empty());
    // A history that cannot be read is no empty one: say what stands in its place.
    m_ui->labelEmpty->setText(history.error.empty()
                                  ? tr("No maintenance recorded for this board.")
                                  : tr("The history cannot be read: %1").arg(QString::fromStdString(history.error)));
    m_ui->labelEmpty->setWordWrap(true);
    m_ui->labelEmpty->setVisible(m_lines.empty());
    updateWidgets();
}

void CBoardHistoryDialog::fillPlaces(const BoardRecord& record)
{
    const AssetHistory& history = record.assets;
    const bool known = history.found;
    QStringList places;
    for (const AssetPlace& place : known ? history.places : std::vector<AssetPlace>()) {
        const QString where =
            QString::fromStdString(place.computer.empty() ? place.system : place.computer + ": " + place.system) +
            (place.enclosure >= 0 && place.slot != BoardIdentity::kUnknownSlot
                 ? QString(" %1/%2").arg(place.enclosure).arg(place.slot)
                 : QString());
        places << QString("%1 (%2 .. %3)")
                      .arg(where, QString::fromStdString(place.firstSeen.substr(0, 10)),
                           QString::fromStdString(place.lastSeen.substr(0, 10)));
    }
    QStringList dates;
    for (const AssetCalibration& calibration : known ? history.calibrations : std::vector<AssetCalibration>())
        dates << QString::fromStdString(calibration.date);
    QString text = places.isEmpty() ? QString() : tr("Seen at: %1").arg(places.join("; "));
    if (!dates.isEmpty())
        text += (text.isEmpty() ? "" : "\n") + tr("Calibrated: %1").arg(dates.join(", "));
    if (!record.siteError.empty())
        text += (text.isEmpty() ? "" : "\n") +
                tr("The site register could not answer (%1); this computer's register is shown.")
                    .arg(QString::fromStdString(record.siteError));
    m_ui->labelPlaces->setText(text);
    m_ui->labelPlaces->setVisible(!text.isEmpty());
}

void CBoardHistoryDialog::setRestoreTarget(const ToolTarget& target)
{
    m_target = target;
    updateWidgets();
}

std::vector<std::string> CBoardHistoryDialog::selectedSnapshots() const
{
    const int row = m_ui->tableHistory->currentRow();
    const QList<QTableWidgetItem*> selected = m_ui->tableHistory->selectedItems();
    if (row < 0 || row >= static_cast<int>(m_lines.size()) || selected.isEmpty())
        return {};
    std::vector<std::string> files;
    for (const std::string& file :
         MaintenanceJournal(m_journalFolder, "").snapshotFiles(m_lines[static_cast<std::size_t>(row)])) {
        if (fileExists(file))
            files.push_back(file);
    }
    return files;
}

void CBoardHistoryDialog::updateWidgets()
{
    const bool restorable = m_target.wrapper && !m_target.boards.empty();
    m_ui->btnRestore->setVisible(restorable);
    m_ui->btnRestore->setEnabled(restorable && !selectedSnapshots().empty());
}

void CBoardHistoryDialog::hdl_BtnClicked_Restore()
{
    std::string base;
    std::string connector;
    for (const std::string& file : selectedSnapshots()) {
        if (endsWith(file, "_base.xml"))
            base = file;
        else if (endsWith(file, "_con.xml"))
            connector = file;
    }
    if (!m_target.wrapper || m_target.boards.empty() || (base.empty() && connector.empty()))
        return;
    bool isBase = !base.empty();
    if (!base.empty() && !connector.empty()) {
        bool chosen = false;
        const QString which = QInputDialog::getItem(this, kRestoreTitle, "Which EEPROM of the snapshot?",
                                                    {kBase, kConnector}, 0, false, &chosen);
        if (!chosen)
            return;
        isBase = which == kBase;
    }
    const std::string& file = isBase ? base : connector;
    const int row = m_ui->tableHistory->currentRow();
    const QString question =
        QString("Restore the %1 of board %2 as it was before \"%3\" at %4?\nThe EEPROM's present content is "
                "snapshotted first.")
            .arg(isBase ? "base EEPROM" : "connector panel EEPROM")
            .arg(m_target.boards.front())
            .arg(m_ui->tableHistory->item(row, 1)->text(), m_ui->tableHistory->item(row, 0)->text());
    if (CMiscUtils::askYesNo(kRestoreTitle, question, this) != CDecisionDialogYesNo::Yes)
        return;
    EepromMenuActions::restoreFromFile(m_target, isBase ? EepromWhich::Base : EepromWhich::Connector, file, this);
    load();
}

void CBoardHistoryDialog::hdl_BtnClicked_Close()
{
    accept();
}

} // namespace z2e
