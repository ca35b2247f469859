#include "gui/dialogs/tools/bus_test_dialog.h"

#include "ui_bus_test_dialog.h"

#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/tool_dialog_factory.h"
#include "gui/dialogs/tools/tool_read.h"
#include "gui/models/bus_frame_model.h"
#include "tools/bus_frame_text.h"
#include "tools/bus_session.h"
#include "tools/bus_trace_file.h"

#include <QEventLoop>
#include <QHeaderView>
#include <QScrollBar>

namespace z2e {
namespace {

enum TransmitColumn { TxChannel, TxId, TxData, TxEvery, TxColumnCount };
constexpr std::uint32_t kDefaultEveryMs = 100;

QString countsOf(const std::vector<std::pair<std::int32_t, std::uint32_t>>& counters)
{
    QStringList parts;
    for (const auto& [channel, errors] : counters)
        parts << QString("%1: %2").arg(channel).arg(errors);
    return parts.join(", ");
}

QString rateText(BusKind kind, std::uint32_t bitsPerSecond)
{
    if (kind == BusKind::Uart)
        return QString("%1 Bd").arg(bitsPerSecond);
    if (bitsPerSecond % 1000000 == 0)
        return QString("%1 Mbit/s").arg(bitsPerSecond / 1000000);
    if (bitsPerSecond % 1000 == 0)
        return QString("%1 kbit/s").arg(bitsPerSecond / 1000);
    return QString("%1 bit/s").arg(bitsPerSecond);
}

} // namespace

CBusTestDialog::CBusTestDialog(const ToolTarget& target, FileChooser chooser, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBusTestDialog>()), m_target(target), m_chooser(std::move(chooser)),
      m_model(new BusFrameModel(this))
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    for (std::size_t i = 0; i < m_target.boards.size(); ++i) {
        const std::uint32_t board = m_target.boards[i];
        const bool placed = i < m_target.facts.size() && !m_target.facts[i].place.empty();
        m_ui->comboBoard->addItem(
            placed ? QString("%1 (board %2)").arg(QString::fromStdString(m_target.facts[i].place)).arg(board)
                   : QString("Board %1").arg(board),
            board);
    }
    m_ui->tableFrames->setModel(m_model);
    m_ui->tableFrames->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Wide enough for eight bytes of data and a 29-bit id without eliding.
    const int digit = m_ui->tableFrames->fontMetrics().horizontalAdvance("0");
    const int widths[] = {13, 8, 10, 7, 7, 27};
    for (int column = 0; column < BusFrameModel::Text; ++column)
        m_ui->tableFrames->setColumnWidth(column, widths[column] * digit);
    m_ui->tableFrames->verticalHeader()->setDefaultSectionSize(m_ui->tableFrames->fontMetrics().height() + 4);
    m_ui->tableTransmit->setColumnCount(TxColumnCount);
    m_ui->tableTransmit->setHorizontalHeaderLabels({"Channel", "Id (hex)", "Data (hex)", "Every (ms)"});
    const int txWidths[] = {9, 12, 30};
    for (int column = 0; column < TxEvery; ++column)
        m_ui->tableTransmit->setColumnWidth(column, txWidths[column] * digit);
    m_ui->tableTransmit->verticalHeader()->setDefaultSectionSize(m_ui->tableFrames->fontMetrics().height() + 8);
    fillChannels();

    connect(m_ui->comboBus, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        fillChannels();
        updateWidgets();
    });
    connect(m_ui->comboBoard, qOverload<int>(&QComboBox::currentIndexChanged), this, &CBusTestDialog::followBoard);
    followBoard(m_ui->comboBoard->currentIndex());
    connect(m_ui->btnStart, &QPushButton::clicked, this, &CBusTestDialog::start);
    connect(m_ui->btnStop, &QPushButton::clicked, this, &CBusTestDialog::stop);
    connect(m_ui->btnClear, &QPushButton::clicked, this, [this] {
        m_model->clear();
        m_behind = 0;
        showCounts();
    });
    connect(m_ui->checkPause, &QCheckBox::toggled, this, [this] { showCounts(); });
    connect(m_ui->btnAddTransmit, &QPushButton::clicked, this,
            [this] { addTransmit(0, kind() == BusKind::Can ? "123" : "", "01 02 03", kDefaultEveryMs); });
    connect(m_ui->btnRemoveTransmit, &QPushButton::clicked, this, [this] {
        const int row = m_ui->tableTransmit->currentRow();
        if (row >= 0)
            m_ui->tableTransmit->removeRow(row);
        updateWidgets();
    });
    connect(m_ui->btnSendOnce, &QPushButton::clicked, this, &CBusTestDialog::sendOnce);
    connect(m_ui->btnSendPeriodic, &QPushButton::clicked, this, &CBusTestDialog::sendPeriodically);
    connect(m_ui->btnStopSending, &QPushButton::clicked, this, [this] {
        if (m_session)
            m_session->stopSends();
    });
    connect(m_ui->btnSave, &QPushButton::clicked, this, &CBusTestDialog::saveTrace);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CBusTestDialog::reject);
    connect(&m_drain, &QTimer::timeout, this, &CBusTestDialog::drain);
    m_drain.setInterval(kDrainMs);
    updateWidgets();
}

// The session's end stops the channels and closes the bus.
CBusTestDialog::~CBusTestDialog() = default;

bool CBusTestDialog::chooseBoard(std::uint32_t board)
{
    const int index = m_ui->comboBoard->findData(board);
    if (index < 0)
        return false;
    m_ui->comboBoard->setCurrentIndex(index);
    return true;
}

void CBusTestDialog::followBoard(int index)
{
    // A board with one kind of bus starts on it; with both or unknown the choice stays.
    if (index < 0 || static_cast<std::size_t>(index) >= m_target.facts.size())
        return;
    const ToolTarget::BoardFacts& facts = m_target.facts[static_cast<std::size_t>(index)];
    if (facts.can != facts.uart)
        chooseBus(facts.uart ? BusKind::Uart : BusKind::Can);
}

void CBusTestDialog::chooseBus(BusKind kind)
{
    m_ui->comboBus->setCurrentIndex(kind == BusKind::Can ? 0 : 1);
}

BusKind CBusTestDialog::kind() const
{
    return m_ui->comboBus->currentIndex() == 0 ? BusKind::Can : BusKind::Uart;
}

bool CBusTestDialog::running() const
{
    return m_session && m_session->running();
}

void CBusTestDialog::fillChannels()
{
    m_ui->comboChannel->clear();
    // A CAN run starts every channel, so that the far end of a cable acknowledges; UART one.
    if (kind() == BusKind::Can)
        m_ui->comboChannel->addItem("all", -1);
    for (std::int32_t channel = 0; channel < kBusChannels; ++channel)
        m_ui->comboChannel->addItem(QString::number(channel), channel);
    const bool can = kind() == BusKind::Can;
    for (QWidget* widget : {static_cast<QWidget*>(m_ui->editIdLow), static_cast<QWidget*>(m_ui->editIdHigh),
                            static_cast<QWidget*>(m_ui->labelIds), static_cast<QWidget*>(m_ui->labelIdsTo)})
        widget->setVisible(can);
    m_ui->tableTransmit->setColumnHidden(TxId, !can);
}

void CBusTestDialog::addTransmit(std::int32_t channel, const QString& id, const QString& data, std::uint32_t everyMs)
{
    QTableWidget* table = m_ui->tableTransmit;
    const int row = table->rowCount();
    table->insertRow(row);
    const QString cells[] = {QString::number(channel), id, data, QString::number(everyMs)};
    for (int column = 0; column < TxColumnCount; ++column)
        table->setItem(row, column, new QTableWidgetItem(cells[column]));
    updateWidgets();
}

void CBusTestDialog::start()
{
    if (running() || m_ui->comboBoard->currentIndex() < 0)
        return;
    BusMonitorSettings settings;
    settings.kind = kind();
    settings.board = m_ui->comboBoard->currentData().toUInt();
    settings.channel = m_ui->comboChannel->currentData().toInt();
    settings.ringSize = static_cast<std::size_t>(m_ui->spinRing->value());
    if (settings.kind == BusKind::Can) {
        bool extended = false;
        std::string error;
        if (!BusFrameText::parseId(m_ui->editIdLow->text().trimmed().toStdString(), settings.idLow, extended, error) ||
            !BusFrameText::parseId(m_ui->editIdHigh->text().trimmed().toStdString(), settings.idHigh, extended,
                                   error)) {
            m_ui->labelState->setText(QString::fromStdString(error));
            return;
        }
        if (settings.idLow > settings.idHigh) {
            m_ui->labelState->setText("The lowest id shown is above the highest: no frame would show.");
            return;
        }
    }
    m_session = std::make_unique<BusSession>(m_target.wrapper);
    // One list holds one bus's frames: a trace names a single bus.
    if (settings.kind != m_model->kind())
        m_model->clear();
    m_runKind = settings.kind;
    m_model->setKind(settings.kind);
    m_model->setCapacity(settings.ringSize);
    m_counts.reset();
    m_framesPerSecond = 0;
    m_load.reset();
    settings.readRates = true;
    m_lastCountsAt = std::chrono::steady_clock::now();
    m_outcome.clear();
    if (!m_session->start(settings))
        return;
    m_ui->labelState->setText(QString("Running on board %1.").arg(settings.board));
    m_drain.start();
    updateWidgets();
}

void CBusTestDialog::stop()
{
    if (m_session)
        m_session->stop();
}

void CBusTestDialog::drain()
{
    if (!m_session)
        return;
    if (!m_ui->checkPause->isChecked()) {
        QScrollBar* bar = m_ui->tableFrames->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        takeFrames();
        // Follow the newest frame unless the operator scrolled back to read.
        if (atEnd)
            m_ui->tableFrames->scrollToBottom();
    }
    const std::optional<BusMonitorStatus> counts = m_session->status();
    if (counts && (!m_counts || counts->shown != m_counts->shown || counts->sent != m_counts->sent ||
                   counts->wireBits != m_counts->wireBits))
        takeRates(*counts);
    if (counts)
        m_counts = counts;
    if (std::optional<BusMonitorResult> result = m_session->finished())
        ended(*result);
    showCounts();
}

void CBusTestDialog::takeRates(const BusMonitorStatus& counts)
{
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - m_lastCountsAt).count();
    // The run's first counts come as it starts: a rate over those few ms would say little.
    if (m_counts && seconds > 0) {
        m_framesPerSecond = static_cast<double>(counts.shown - m_counts->shown) / seconds;
        std::array<double, kBusChannels> load{};
        for (std::size_t channel = 0; channel < load.size(); ++channel) {
            const double bits = static_cast<double>(counts.wireBits[channel] - m_counts->wireBits[channel]);
            const std::uint32_t rate = counts.rates[channel];
            load[channel] = rate == 0 ? 0 : 100.0 * bits / seconds / rate;
        }
        m_load = load;
    }
    m_lastCountsAt = now;
}

QString CBusTestDialog::loadText() const
{
    if (!m_load || !m_counts)
        return QString();
    const BusRates& rates = m_counts->rates;
    QStringList parts;
    for (std::size_t channel = 0; channel < rates.size(); ++channel) {
        // A UART run listens on one channel: the others' lines say nothing.
        if (rates[channel] == 0 || (m_runKind == BusKind::Uart && m_counts->wireBits[channel] == 0))
            continue;
        parts << QString("%1: %2 % of %3")
                     .arg(channel)
                     .arg((*m_load)[channel], 0, 'f', 1)
                     .arg(rateText(m_runKind, rates[channel]));
    }
    return parts.isEmpty() ? QString() : QString("\nLine load %1").arg(parts.join(", "));
}

void CBusTestDialog::takeFrames()
{
    m_session->take(m_taken, m_behind);
    m_model->append(m_taken);
}

void CBusTestDialog::ended(const BusMonitorResult& result)
{
    m_drain.stop();
    if (!m_ui->checkPause->isChecked())
        takeFrames();
    m_framesPerSecond = 0;
    m_load.reset();
    m_outcome = result.error.empty() ? QString("Stopped; the channels are stopped and the bus is closed.")
                                     : QString::fromStdString(result.error) +
                                           ". Check the board and its channel settings, then start again.";
    m_ui->labelState->setText(m_outcome);
    updateWidgets();
}

void CBusTestDialog::showCounts()
{
    if (!m_counts) {
        m_ui->labelCounts->setText(m_model->rowCount() == 0 ? QString()
                                                            : QString("%1 frames").arg(m_model->rowCount()));
        return;
    }
    const BusMonitorStatus& c = *m_counts;
    QString text = QString("Shown %1, filtered out %2, sent %3, %4 frames/s")
                       .arg(c.shown)
                       .arg(c.filtered)
                       .arg(c.sent)
                       .arg(m_framesPerSecond, 0, 'f', 0);
    if (m_runKind == BusKind::Can)
        text += QString("; error frames %1; error counters %2").arg(c.errorFrames).arg(countsOf(c.errorCounters));
    if (c.lost)
        text += QString("; lost on the way from the node %1 %2")
                    .arg(*c.lost)
                    .arg(m_runKind == BusKind::Can ? "frames" : "bytes");
    text += loadText();
    text += QString("\nIn the list %1 of the last %2; overwritten %3, not listed (paused or behind) %4")
                .arg(m_model->rowCount())
                .arg(m_model->capacity())
                .arg(m_model->overwritten())
                .arg(m_behind);
    if (m_ui->checkPause->isChecked())
        text += " \u2014 paused";
    m_ui->labelCounts->setText(text);
}

std::optional<std::vector<BusSend>> CBusTestDialog::transmitLines(bool periodic)
{
    QTableWidget* table = m_ui->tableTransmit;
    std::vector<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty()) {
        for (int row = 0; row < table->rowCount(); ++row)
            rows.push_back(row);
    }
    std::vector<BusSend> sends;
    for (const int row : rows) {
        const auto cell = [&](int column) {
            const QTableWidgetItem* item = table->item(row, column);
            return item ? item->text().trimmed().toStdString() : std::string();
        };
        BusSend send;
        std::string error;
        std::uint32_t every = 0;
        bool ok = true;
        send.channel = QString::fromStdString(cell(TxChannel)).toInt(&ok);
        if (!ok || send.channel < 0 || send.channel >= kBusChannels)
            error = "the channel " + cell(TxChannel) + " is not one of 0 to 3";
        const std::size_t most = m_runKind == BusKind::Can ? BusFrameText::kMaxCanData : 1024;
        if (error.empty() && m_runKind == BusKind::Can)
            BusFrameText::parseId(cell(TxId), send.id, send.extended, error);
        if (error.empty())
            BusFrameText::parseData(cell(TxData), most, send.data, error);
        if (error.empty() && m_runKind == BusKind::Uart && send.data.empty())
            error = "a UART line needs at least one byte";
        if (error.empty() && periodic) {
            every = QString::fromStdString(cell(TxEvery)).toUInt(&ok);
            if (!ok || every == 0)
                error = "the interval " + cell(TxEvery) + " is not a number of milliseconds above 0";
        }
        if (!error.empty()) {
            m_ui->labelState->setText(QString("Transmit line %1: %2.").arg(row + 1).arg(QString::fromStdString(error)));
            return std::nullopt;
        }
        send.everyMs = every;
        send.count = periodic ? 0 : 1;
        sends.push_back(std::move(send));
    }
    return sends;
}

void CBusTestDialog::sendOnce()
{
    const auto sends = running() ? transmitLines(false) : std::nullopt;
    for (const BusSend& send : sends.value_or(std::vector<BusSend>()))
        m_session->send(send);
}

void CBusTestDialog::sendPeriodically()
{
    const auto sends = running() ? transmitLines(true) : std::nullopt;
    for (const BusSend& send : sends.value_or(std::vector<BusSend>()))
        m_session->send(send);
}

void CBusTestDialog::saveTrace()
{
    FileRequest request;
    request.save = true;
    request.title = "Save trace";
    request.folder = QString::fromStdString(m_target.folder);
    request.filter = "CSV files (*.csv)";
    const QString path = m_chooser(this, request);
    if (path.isEmpty())
        return;
    std::string error;
    // The save dialog asked before a file was chosen that exists.
    if (BusTraceFile::write(path.toStdString(), m_runKind, m_model->records(), true, error))
        m_ui->labelState->setText(QString("Saved %1 frames to %2.").arg(m_model->rowCount()).arg(path));
    else
        CMiscUtils::notify("Save trace", QString::fromStdString(error), this);
}

void CBusTestDialog::updateWidgets()
{
    const bool run = running();
    m_ui->btnStart->setEnabled(!run && m_ui->comboBoard->count() > 0);
    m_ui->btnStop->setEnabled(run);
    for (QWidget* widget : {static_cast<QWidget*>(m_ui->comboBoard), static_cast<QWidget*>(m_ui->comboBus),
                            static_cast<QWidget*>(m_ui->comboChannel), static_cast<QWidget*>(m_ui->editIdLow),
                            static_cast<QWidget*>(m_ui->editIdHigh), static_cast<QWidget*>(m_ui->spinRing)})
        widget->setEnabled(!run);
    const bool lines = m_ui->tableTransmit->rowCount() > 0;
    m_ui->btnSendOnce->setEnabled(run && lines);
    m_ui->btnSendPeriodic->setEnabled(run && lines);
    m_ui->btnStopSending->setEnabled(run);
    m_ui->btnRemoveTransmit->setEnabled(lines);
    m_ui->tableFrames->setColumnHidden(BusFrameModel::Id, m_runKind != BusKind::Can);
    m_ui->tableFrames->setColumnHidden(BusFrameModel::Flags, m_runKind != BusKind::Can);
    // CAN data is rarely text; a UART's often is.
    m_ui->tableFrames->setColumnHidden(BusFrameModel::Text, m_runKind == BusKind::Can);
}

void CBusTestDialog::done(int result)
{
    // Closed mid-run: the run ends here, so that the bus is closed before the dialog is gone.
    m_drain.stop();
    m_session.reset();
    QDialog::done(result);
}

QDialog* CBusTestDialog::openForPicture(const ToolTarget& system, QWidget* parent)
{
    if (!system.wrapper)
        return nullptr;
    std::optional<std::uint32_t> found;
    QorinNodeUtilWrapper& wrapper = *system.wrapper;
    readBehindProgress(system, "Bus Test", "Looking for a CAN board.", parent, [&] {
        for (const std::uint32_t board : system.boards) {
            const auto index = static_cast<std::int32_t>(board);
            if (wrapper.node()->OpenCAN(index) <= 0) {
                wrapper.node()->CloseCAN(index);
                found = board;
                return 0;
            }
        }
        return 0;
    });
    if (!found)
        return nullptr;
    auto* dialog = new CBusTestDialog(system, chooseFileWithDialog, parent);
    dialog->chooseBoard(*found);
    dialog->addTransmit(0, "123", "DE AD 01", 40);
    dialog->addTransmit(2, "18FF0001", "01 02 03 04 05 06 07 08", 70);
    dialog->addTransmit(1, "7E0", "02 10 03", 110);
    dialog->show();
    dialog->start();
    dialog->sendPeriodically();
    // Two seconds of traffic, so that the list and the counts have something to show.
    QEventLoop settle;
    QTimer::singleShot(2150, &settle, &QEventLoop::quit);
    settle.exec();
    return dialog;
}

namespace {

std::unique_ptr<QDialog> makeBusTest(const ToolTarget& target, const FileChooser& chooser, QWidget* parent)
{
    if (!target.wrapper || target.boards.empty())
        return nullptr;
    return std::make_unique<CBusTestDialog>(target, chooser, parent);
}

const ToolDialogFactory kOpens(MenuEntry("bus-test"), makeBusTest);

} // namespace

} // namespace z2e
