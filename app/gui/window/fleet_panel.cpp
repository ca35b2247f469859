#include "gui/window/fleet_panel.h"

#include "config/output_destination.h"
#include "core/node_result_text.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/models/fleet_model.h"
#include "gui/window/fleet_action_run.h"
#include "gui/window/window_settings.h"
#include "gui/window/worker_job.h"
#include "tools/maintenance_journal.h"
#include "tools/system_lock.h"

#include <map>
#include <set>

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace z2e {
namespace {

const char* const kIntervalKey = "fleet/calibrationIntervalMonths";

} // namespace

FleetPanel::FleetPanel(Host host, QWidget* parent) : QWidget(parent), m_host(std::move(host))
{
    setObjectName("fleetPanel");
    m_model = new FleetModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setFilterKeyColumn(-1);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortRole(FleetModel::kSortRole);

    m_read = new QPushButton(tr("Read Fleet"), this);
    m_read->setToolTip(tr("Read every board of this computer and of every network node that answers"));
    m_readSite = new QPushButton(tr("Read Site"), this);
    m_readSite->setToolTip(tr("List every board the site register knows, as every computer of the site recorded it"));
    m_readSite->setVisible(static_cast<bool>(m_host.site));
    m_filter = new QLineEdit(this);
    m_filter->setPlaceholderText(tr("Filter: node, model, serial, firmware, date, warning..."));
    m_filter->setClearButtonEnabled(true);
    m_interval = new QSpinBox(this);
    m_interval->setRange(1, 120);
    m_interval->setValue(m_model->options().intervalMonths);
    m_interval->setPrefix(tr("Calibration every "));
    m_interval->setSuffix(tr(" months"));
    m_export = new QPushButton(tr("Export..."), this);
    m_export->setToolTip(tr("Save the rows shown as CSV, JSON or a printable HTML page"));
    m_action = new QPushButton(tr("Run on Selected"), this);
    m_action->setToolTip(tr("Run a tool on the boards of the selected rows (all rows shown when none is selected)"));
    auto* actions = new QMenu(m_action);
    for (const FleetTool tool :
         {FleetTool::SelfTest, FleetTool::FirmwareCheck, FleetTool::FirmwareUpdate, FleetTool::EepromBackup}) {
        const QString text = tool == FleetTool::SelfTest         ? tr("Self Test")
                             : tool == FleetTool::FirmwareCheck  ? tr("Firmware Check")
                             : tool == FleetTool::FirmwareUpdate ? tr("Firmware Update...")
                                                                 : tr("EEPROM Backup...");
        actions->addAction(text, this, [this, tool] { chooseAction(tool); });
    }
    m_action->setMenu(actions);
    m_summary = new QLabel(tr("Read Fleet lists every board of every system."), this);
    m_summary->setWordWrap(true);

    m_table = new QTableView(this);
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setWordWrap(false);

    auto* controls = new QHBoxLayout;
    controls->addWidget(m_read);
    controls->addWidget(m_readSite);
    controls->addWidget(m_filter, 1);
    controls->addWidget(m_interval);
    controls->addWidget(m_action);
    controls->addWidget(m_export);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);

    connect(m_read, &QPushButton::clicked, this, &FleetPanel::readFleet);
    connect(m_readSite, &QPushButton::clicked, this, &FleetPanel::readSite);
    connect(m_export, &QPushButton::clicked, this, &FleetPanel::chooseExport);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_proxy->setFilterFixedString(text);
        showSummary();
    });
    connect(m_interval, QOverload<int>::of(&QSpinBox::valueChanged), this, [this](int months) {
        // Kept only when the operator changes it: a start writes no settings.
        if (m_host.settings)
            m_host.settings->setValue(kIntervalKey, months);
        setInterval(months);
    });
    // A value out of range in the settings file comes back clamped by the spin box.
    if (m_host.settings)
        setInterval(m_host.settings->value(kIntervalKey, CalibrationDue::kDefaultIntervalMonths).toInt());
}

FleetPanel::~FleetPanel() = default;

void FleetPanel::setInterval(int months)
{
    if (m_interval->value() != months) {
        const QSignalBlocker quiet(m_interval);
        m_interval->setValue(months);
    }
    FleetTable::Options options = m_model->options();
    options.intervalMonths = m_interval->value();
    m_model->setOptions(options);
    showSummary();
}

void FleetPanel::readFleet()
{
    if (!m_host.systems)
        return;
    m_model->clear();
    m_failures.clear();
    m_systems = 0;
    m_site.clear();
    m_action->setEnabled(true);
    m_read->setEnabled(false);
    const std::int32_t status = FleetCollection::read(
        m_host.systems(), this, this,
        [this](const std::string& system, const std::string& address, std::int32_t result,
               std::vector<FleetBoard> boards) { addSystem(system, address, result, std::move(boards)); });
    m_read->setEnabled(true);
    m_read->setText(tr("Read Again"));
    if (status != 0)
        m_failures << tr("the network client did not start (%1): only this computer was read")
                          .arg(QString::fromStdString(failureWords(status)));
    m_table->resizeColumnsToContents();
    showSummary();
    if (m_host.status)
        m_host.status(tr("Fleet read: %1").arg(summary()));
}

void FleetPanel::readSite()
{
    if (!m_host.site)
        return;
    SiteFleetRead site;
    WorkerJob(tr("Fleet"), tr("Reading the site register."), this).showAfter(300).run([&](CInProgress&) {
        site = m_host.site();
        return 0;
    });
    m_model->clear();
    m_failures.clear();
    m_site = QString::fromStdString(site.site);
    m_systems = static_cast<int>(site.computers);
    // Its rows name other computers' boards: a tool here would reach this computer's instead.
    m_action->setEnabled(false);
    if (!site.error.empty())
        m_failures << QString::fromStdString(oneLine(site.error));
    m_model->append(std::move(site.boards));
    m_table->resizeColumnsToContents();
    showSummary();
    if (m_host.status)
        m_host.status(tr("Site read: %1").arg(summary()));
}

void FleetPanel::addSystem(const std::string& system, const std::string& address, std::int32_t result,
                           std::vector<FleetBoard> boards)
{
    ++m_systems;
    if (result > 0) {
        const QString who =
            address.empty() ? tr("this computer") : QString::fromStdString(system + " (" + address + ")");
        m_failures << tr("%1: %2").arg(who, QString::fromStdString(oneLine(failureWords(result))));
    }
    m_model->append(std::move(boards));
    showSummary();
}

QString FleetPanel::summary() const
{
    const int overdue = m_model->calibrationCount(CalibrationDue::State::Overdue);
    const int soon = m_model->calibrationCount(CalibrationDue::State::DueSoon);
    const QString where = m_site.isEmpty() ? tr("%1 boards on %2 systems").arg(m_model->rowCount()).arg(m_systems)
                                           : tr("%1 boards known to the site register %2, recorded by %3 computers")
                                                 .arg(m_model->rowCount())
                                                 .arg(m_site)
                                                 .arg(m_systems);
    QString text = tr("%1; calibration overdue on %2, due within 30 days on %3").arg(where).arg(overdue).arg(soon);
    if (m_proxy->rowCount() != m_model->rowCount())
        text += tr("; %1 shown").arg(m_proxy->rowCount());
    if (!m_failures.isEmpty())
        text += tr(". Not read completely: %1").arg(m_failures.join("; "));
    text += ".";
    return m_actionSummary.isEmpty() ? text : text + "\n" + m_actionSummary;
}

void FleetPanel::showSummary()
{
    m_summary->setText(summary());
}

bool FleetPanel::exportShown(const QString& path, QString& error) const
{
    std::vector<FleetBoard> boards;
    for (int row = 0; row < m_proxy->rowCount(); ++row)
        boards.push_back(
            m_model->boards()[static_cast<std::size_t>(m_proxy->mapToSource(m_proxy->index(row, 0)).row())]);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const std::string text = suffix == "csv"    ? FleetTable::toCsv(boards, m_model->options())
                             : suffix == "json" ? FleetTable::toJson(boards, m_model->options())
                                                : FleetTable::toHtml(boards, m_model->options());
    // Whole or not at all, and never over what is not a regular file; the save dialog has
    // asked before a file is replaced.
    const OutputDestination::Result written = OutputDestination::write(path.toStdString(), text, {true, true});
    error = QString::fromStdString(written.message);
    return written.ok();
}

void FleetPanel::chooseExport()
{
    if (!m_host.chooser)
        return;
    const QString path =
        m_host.chooser()(this, {true, tr("Export Fleet"), QString(), "CSV (*.csv);;JSON (*.json);;HTML (*.html)"});
    if (path.isEmpty())
        return;
    QString error;
    const bool saved = exportShown(path, error);
    if (m_host.status)
        m_host.status(saved ? tr("Fleet exported to %1.").arg(path)
                            : tr("The fleet could not be exported: %1").arg(error));
}

void FleetPanel::chooseAction(FleetTool tool)
{
    QString folder;
    if (tool == FleetTool::EepromBackup) {
        if (!m_host.chooser)
            return;
        folder = m_host.chooser()(this, {false, tr("Folder for the EEPROM Backups"), QString(), QString(), true});
        if (folder.isEmpty())
            return;
    }
    if (tool == FleetTool::FirmwareUpdate) {
        const int rows = m_table->selectionModel()->selectedRows().isEmpty()
                             ? m_proxy->rowCount()
                             : m_table->selectionModel()->selectedRows().size();
        const QString question =
            tr("Update the firmware of %1 boards to the release? Each board's EEPROMs are saved first.").arg(rows);
        if (CMiscUtils::askYesNo(tr("Fleet"), question, this) != 3)
            return;
    }
    runAction(tool, folder);
}

void FleetPanel::runAction(FleetTool tool, const QString& backupFolder)
{
    if (!m_host.systems)
        return;
    QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        for (int row = 0; row < m_proxy->rowCount(); ++row)
            rows << m_proxy->index(row, 0);
    }
    // The boards by system, in the order the systems first appear.
    std::vector<FleetActionRun::Chosen> chosen;
    std::map<std::string, std::size_t> systemAt;
    for (const QModelIndex& row : rows) {
        const FleetBoard& board = m_model->boards()[static_cast<std::size_t>(m_proxy->mapToSource(row).row())];
        if (board.serial.empty())
            continue;
        const auto [at, added] = systemAt.emplace(board.address, chosen.size());
        if (added)
            chosen.push_back({board.system, board.address, {}});
        chosen[at->second].serials.push_back(board.serial);
    }
    if (chosen.empty())
        return;

    FleetActionSettings settings;
    settings.tool = tool;
    settings.journalFolder = MaintenanceJournal::defaultFolder();
    settings.lockFolder = SystemLock::defaultFolder();
    settings.program = "ZAMO2Explorer";
    settings.snapshots = !m_host.settings || WindowSettings::maintenanceSnapshots(*m_host.settings);
    settings.backupFolder = backupFolder.toStdString();
    if (tool == FleetTool::FirmwareUpdate)
        settings.activity = "updating firmware";

    m_model->clearActions();
    int succeeded = 0;
    int failed = 0;
    std::set<std::string> done;
    QStringList troubles;
    FleetActionRun::run(
        settings, chosen, m_host.systems(), this, this,
        [&](const FleetActionRun::Chosen& system, const FleetBoardOutcome& outcome) {
            const bool ok = outcome.result == FleetBoardResult::Succeeded;
            done.insert(system.address + "|" + MaintenanceJournal::serialKey(outcome.board.serial));
            (ok ? succeeded : failed) += 1;
            m_model->setAction(system.address, outcome.board.serial, QString::fromStdString(outcome.verdict), ok);
        },
        [&](const FleetActionRun::Chosen& system, const FleetSystemOutcome& outcome) {
            if (outcome.message.empty())
                return;
            const QString who = system.address.empty()
                                    ? tr("this computer")
                                    : QString::fromStdString(system.system + " (" + system.address + ")");
            troubles << tr("%1: %2").arg(who, QString::fromStdString(oneLine(outcome.message)));
        });
    // A board no outcome came for (its system could not be reached, or Cancel came first).
    for (const FleetActionRun::Chosen& system : chosen) {
        for (const std::string& serial : system.serials) {
            if (done.insert(system.address + "|" + MaintenanceJournal::serialKey(serial)).second) {
                ++failed;
                m_model->setAction(system.address, serial, tr("not done"), false);
            }
        }
    }
    m_actionSummary = tr("%1 on %2 systems: %3 boards succeeded, %4 failed or not done")
                          .arg(QString::fromStdString(FleetAction::toolName(tool)))
                          .arg(chosen.size())
                          .arg(succeeded)
                          .arg(failed);
    if (!troubles.isEmpty())
        m_actionSummary += tr("; %1").arg(troubles.join("; "));
    m_actionSummary += ".";
    showSummary();
    if (m_host.status)
        m_host.status(m_actionSummary);
}

} // namespace z2e
