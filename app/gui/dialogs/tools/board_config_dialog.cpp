#include "gui/dialogs/tools/board_config_dialog.h"
#include "gui/window/system_change_lock.h"

#include "ui_board_config_dialog.h"

#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/choice_table.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/snapshot_question.h"
#include "gui/dialogs/tools/tool_read.h"

#include "core/node_result_text.h"
#include "driver/command/app_status.h"
#include "tools/maintenance_journal.h"
#include "uni/number_text.h"

#include <QComboBox>

namespace z2e {

namespace {

const char* const kTitle = "Board Configuration";

QString hex(std::uint32_t value)
{
    return QString::fromStdString(uni::text::hex8(value, false));
}

} // namespace

CBoardConfigDialog::CBoardConfigDialog(const ToolTarget& target, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DialogBoardConfig>()), m_target(target), m_journal(journalFor(target))
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->btnApply, &QPushButton::clicked, this, &CBoardConfigDialog::save);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &QDialog::close);
    m_readStatus = AppStatus::NoSuchBoard;
    if (m_target.wrapper && !m_target.boards.empty()) {
        QorinNodeUtilWrapper& wrapper = *m_target.wrapper;
        const std::uint32_t board = m_target.boards.front();
        m_readStatus = readBehindProgress(m_target, kTitle, "Reading the board configuration.", parent,
                                          [&] { return BoardFeatures(wrapper, nullptr).read(board, m_table); });
    }
    showTable();
}

CBoardConfigDialog::~CBoardConfigDialog() = default;

void CBoardConfigDialog::showTable()
{
    if (m_readStatus == AppStatus::Ok)
        m_ui->labelBoard->setText(
            QString("Board %1, feature set %2").arg(m_target.boards.front()).arg(hex(m_table.featureSet)));
    else if (m_readStatus == AppStatus::Cancelled)
        m_ui->labelBoard->setText(readFailureText(m_readStatus));
    else
        m_ui->labelBoard->setText(QString("The board's features cannot be read (%1).").arg(m_readStatus));
    m_ui->btnApply->setEnabled(m_readStatus == AppStatus::Ok && !m_table.rows.empty());

    QTableWidget* table = m_ui->tableFeatures;
    setupChoiceTable(table, "Feature Name", "Value", static_cast<int>(m_table.rows.size()));
    for (std::size_t r = 0; r < m_table.rows.size(); ++r) {
        const FeatureRow& row = m_table.rows[r];
        QComboBox* values = addChoiceRow(table, static_cast<int>(r), QString::fromStdString(row.name));
        for (const FeatureChoice& choice : row.values)
            values->addItem(QString::fromStdString(choice.text),
                            QVariant::fromValue(BoardConfigFeatureValue{row.mask, choice.value}));
        values->setCurrentIndex(row.selected(m_table.featureSet));
    }
    table->resizeColumnToContents(0);
}

std::uint32_t CBoardConfigDialog::chosenFeatureSet() const
{
    std::uint32_t featureSet = m_table.featureSet;
    for (int r = 0; r < m_ui->tableFeatures->rowCount(); ++r) {
        const QComboBox* values = choiceAt(m_ui->tableFeatures, r);
        if (!values || values->currentIndex() < 0)
            continue;
        const auto choice = values->currentData().value<BoardConfigFeatureValue>();
        featureSet = BoardFeatures::apply(featureSet, choice.mask, choice.value);
    }
    return featureSet;
}

void CBoardConfigDialog::save()
{
    if (m_readStatus != AppStatus::Ok || !m_target.wrapper)
        return;
    const auto lock = SystemChangeLock::take(m_target, "changing board features", kTitle, this);
    if (!lock)
        return;
    m_writtenSet = chosenFeatureSet();
    BoardFeatures tool(*m_target.wrapper, m_journal.get());
    const std::uint32_t board = m_target.boards.front();
    const std::uint32_t featureSet = m_writtenSet;
    const QorinNodeUtilWrapper* wrapper = m_target.wrapper.get();
    std::string why;
    m_result = runChangeBehindProgress(
        kTitle, "Writing the board configuration.", this, m_journal.get(),
        [&tool, board, featureSet, wrapper, &why](CInProgress&) {
            const std::int32_t result = tool.write(board, featureSet);
            // The words of a failure may be the node's own.
            why = tool.message().empty() && result >= 1 ? nodeResultText(result, wrapper) : tool.message();
            return result;
        },
        [&tool] { return tool.message(); });
    m_readBack = tool.readBack();
    m_message = why;
    m_written = true;
    accept();
}

QString CBoardConfigDialog::outcomeText() const
{
    if (!m_written)
        return QString();
    const QString board = QString::number(m_target.boards.front());
    if (m_result >= 1) {
        return QString("Board configuration of board %1 failed: %2 %3")
            .arg(board)
            .arg(m_result)
            .arg(QString::fromStdString(m_message));
    }
    return QString("Board configuration of board %1: feature set %2 -> %3, board now %4 (read back: %5)")
        .arg(board, hex(m_table.featureSet), hex(m_writtenSet), QString::fromStdString(m_readBack.identity.model),
             QString::fromStdString(m_readBack.verification));
}

} // namespace z2e
