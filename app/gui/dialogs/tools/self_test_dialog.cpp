#include "gui/dialogs/tools/self_test_dialog.h"
#include "gui/window/system_change_lock.h"

#include "ui_self_test_dialog.h"

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/snapshot_question.h"
#include "gui/dialogs/tools/test_view_model.h"
#include "gui/dialogs/tools/tool_dialog_factory.h"
#include "gui/dialogs/tools/tool_read.h"
#include "tools/maintenance_journal.h"
#include "tools/test_result_files.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace z2e {
namespace {

const char* const kTitle = "Hardware Tools";

} // namespace

CSelfTestDialog::CSelfTestDialog(const ToolTarget& target, bool factoryTest, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSelfTestDialog>()), m_target(target), m_factoryTest(factoryTest),
      m_model(new CTestViewModel(this)), m_chooser(chooseFileWithDialog)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_ui->treeResults->setModel(m_model);
    connect(m_ui->treeResults->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CSelfTestDialog::updateWidgets);

    connect(m_ui->btnSelfTest, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_Perform);
    connect(m_ui->btnExcitationTest, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_PerformEx);
    connect(m_ui->btnAutoZero, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_AutoZero);
    connect(m_ui->btnGainCal, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_GainCal);
    connect(m_ui->btnThreeWire, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_ThreeWire);
    connect(m_ui->btnResetDefault, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_ResetDefaults);
    connect(m_ui->btnSaveSingle, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_Save);
    connect(m_ui->btnSaveAll, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_SaveAll);
    connect(m_ui->btnClose, &QPushButton::clicked, this, &CSelfTestDialog::hdl_BtnClicked_Close);

    if (!m_target.journalFolder.empty()) {
        m_journal = std::make_unique<MaintenanceJournal>(m_target.journalFolder, m_target.nodeText);
        m_journal->setSnapshotsEnabled(m_target.snapshots);
    }
    const std::int32_t read = readBoards();
    // Only a multi-function board has a separate excitation supply worth testing on its own.
    m_ui->btnExcitationTest->setVisible(m_multiModel);
    showOutcome(BoardTestOutcome(), 0);
    if (read == AppStatus::Cancelled)
        m_ui->labelStatus->setText(readFailureText(read));
}

std::int32_t CSelfTestDialog::readBoards()
{
    if (!m_target.wrapper)
        return AppStatus::Ok;
    QorinNodeUtilWrapper& wrapper = *m_target.wrapper;
    std::vector<BoardTestRow> rows;
    const std::int32_t read = readBehindProgress(m_target, kTitle, "Reading the boards.", parentWidget(), [&] {
        std::vector<std::uint32_t> boards = m_target.boards;
        if (boards.empty()) {
            for (std::uint32_t b = 0; b < wrapper.getBoardCount(); ++b)
                boards.push_back(b);
        }
        for (const std::uint32_t b : boards) {
            BoardTestRow row;
            row.board = BoardIdentity::read(wrapper, b);
            row.simulated = m_target.simulated;
            rows.push_back(row);
        }
        return std::int32_t{AppStatus::Ok};
    });
    // Boards half read would offer tests on boards nobody looked at.
    if (read == AppStatus::Cancelled)
        return read;
    for (const BoardTestRow& row : rows)
        m_multiModel = m_multiModel || row.board.model.find("-MULTI") != std::string::npos;
    m_boards = rows;
    return read;
}

CSelfTestDialog::~CSelfTestDialog() = default;

void CSelfTestDialog::setFileChooser(FileChooser chooser)
{
    m_chooser = std::move(chooser);
}

bool CSelfTestDialog::offered(BoardTest test) const
{
    if (test == BoardTest::ExcitationTest && !m_multiModel)
        return false;
    return !(m_target.simulated && BoardTestProcedure::changesBoard(test));
}

void CSelfTestDialog::updateWidgets()
{
    const bool idle = !m_running;
    // Without boards (none read) every run would end before it starts.
    const bool ready = idle && !m_boards.empty();
    m_ui->btnSelfTest->setEnabled(ready);
    m_ui->btnExcitationTest->setEnabled(ready && offered(BoardTest::ExcitationTest));
    m_ui->btnAutoZero->setEnabled(ready && offered(BoardTest::AutoZero));
    m_ui->btnGainCal->setEnabled(ready && offered(BoardTest::GainCal));
    m_ui->btnThreeWire->setEnabled(ready && offered(BoardTest::ThreeWire));
    m_ui->btnResetDefault->setEnabled(ready && offered(BoardTest::ResetDefaults));
    m_ui->btnSaveSingle->setEnabled(idle && selectedBoardRow() >= 0);
    m_ui->btnSaveAll->setEnabled(idle && anyDocument());
    m_ui->btnClose->setEnabled(idle);
}

void CSelfTestDialog::hdl_BtnClicked_Perform()
{
    runTest(m_factoryTest ? BoardTest::FactoryTest : BoardTest::SelfTest);
}

void CSelfTestDialog::hdl_BtnClicked_PerformEx()
{
    runTest(BoardTest::ExcitationTest);
}

void CSelfTestDialog::hdl_BtnClicked_AutoZero()
{
    runTest(BoardTest::AutoZero);
}

void CSelfTestDialog::hdl_BtnClicked_GainCal()
{
    runTest(BoardTest::GainCal);
}

void CSelfTestDialog::hdl_BtnClicked_ThreeWire()
{
    runTest(BoardTest::ThreeWire);
}

void CSelfTestDialog::hdl_BtnClicked_ResetDefaults()
{
    runTest(BoardTest::ResetDefaults);
}

bool CSelfTestDialog::threeWireConfirmed()
{
    QMessageBox box(QMessageBox::Question, "Three wire offest", BoardTestProcedure::threeWireQuestion(),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    // Whatever ends the box other than OK itself (a closed window, an automatic accept) aborts.
    return box.clickedButton() == box.button(QMessageBox::Ok);
}

void CSelfTestDialog::runTest(BoardTest test)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_running || !offered(test))
        return;
    if (test == BoardTest::ThreeWire && !threeWireConfirmed())
        return;
    const int selected = selectedBoardRow();
    m_testName = BoardTestProcedure::testName(test);
    m_ui->labelStatus->setText(QString::fromStdString(BoardTestProcedure::statusLine(test)));
    m_model->setRows(m_boards);
    if (m_boards.empty()) {
        updateWidgets();
        return;
    }
    std::unique_ptr<SystemLock> lock;
    // Self tests only read; the calibrations change the boards.
    if (test >= BoardTest::AutoZero) {
        lock = SystemChangeLock::take(m_target, std::string("calibrating (") + BoardTestProcedure::testName(test) + ")",
                                      windowTitle(), this);
        if (!lock)
            return;
    }
    m_running = true;
    updateWidgets();
    repaint();

    BoardTestOutcome outcome = runPass(test, m_target.boards);
    // The boards whose EEPROMs could not be saved first were left out; the operator may run
    // the procedure on them without snapshots (often they are the ones being repaired).
    std::vector<std::uint32_t> leftOut;
    std::vector<std::string> reasons;
    for (const BoardTestRow& row : outcome.rows) {
        if (!row.snapshotFailed)
            continue;
        leftOut.push_back(row.board.index);
        reasons.push_back(row.details.empty() ? std::string() : row.details.front());
    }
    // A journal that cannot be written (a read-only disk) keeps no repair from going on either.
    const bool finished = outcome.status == 0 || outcome.status == AppStatus::JournalFailed;
    if (finished && !leftOut.empty() && m_journal && m_journal->snapshotsEnabled()) {
        showOutcome(outcome, selected);
        if (continueWithoutSnapshot(reasons, this)) {
            const SnapshotsOff off(m_journal.get());
            const BoardTestOutcome again = runPass(test, leftOut);
            for (const BoardTestRow& row : again.rows) {
                for (BoardTestRow& shown : outcome.rows) {
                    if (shown.board.index == row.board.index)
                        shown = row;
                }
            }
            // A failure of the first pass still stands when the second went well: the boards
            // it did not start stay unstarted.
            if (again.status != 0 || outcome.status == 0) {
                outcome.status = again.status;
                outcome.message = again.message;
            }
        }
    }
    m_running = false;
    showOutcome(outcome, selected);
    if (outcome.status != 0) {
        QString text = QString::fromStdString(statusMessage(outcome.status));
        if (!outcome.message.empty())
            text += "\n" + QString::fromStdString(outcome.message);
        CMiscUtils::notify(BoardTestProcedure::progressTitle(test), text, this);
    }
}

BoardTestOutcome CSelfTestDialog::runPass(BoardTest test, const std::vector<std::uint32_t>& boards)
{
    const QString message = test == BoardTest::ThreeWire ? "Running ...\nPlease Wait" : "Tests running ...";
    BoardTestOutcome outcome;
    // Read only after the worker has been joined.
    BoardTestOutcome* result = &outcome;
    const std::shared_ptr<QorinNodeUtilWrapper> wrapper = m_target.wrapper;
    MaintenanceJournal* journal = m_journal.get();
    const int count = static_cast<int>(boards.empty() ? m_boards.size() : boards.size());
    // On a network node Cancel closes the link: the running request ends, no board is started.
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    const std::function<void()> cancel = cancelOf(m_target, *cancelled);
    const std::int32_t status = CMiscUtils::runBehindProgress(
        BoardTestProcedure::progressTitle(test), message, this,
        [=](CInProgress& progress) {
            progress.showProgBar();
            const ToolProgress report = [&progress, count](const std::string&, double fraction, double) {
                const int board = std::min(count, static_cast<int>(fraction * count) + 1);
                progress.initProg(static_cast<int>(std::lround(fraction * 100)), 0, 100,
                                  " Board " + std::to_string(board) + "/" + std::to_string(count));
            };
            *result = BoardTestProcedure(*wrapper, journal).run(test, boards, report, *cancelled);
            return result->status;
        },
        false, cancel);
    if (outcome.status == 0)
        outcome.status = status; // the worker itself failed
    return outcome;
}

void CSelfTestDialog::showOutcome(const BoardTestOutcome& outcome, int selectedRow)
{
    m_model->setRows(outcome.rows.empty() ? m_boards : outcome.rows);
    if (!m_testName.empty()) {
        QString line = QString(" %1  ").arg(QString::fromStdString(m_testName));
        if (outcome.status != 0) {
            line += "STOPPED";
        } else {
            const auto& rows = m_model->rows();
            const auto failed = std::count_if(
                rows.begin(), rows.end(), [](const BoardTestRow& row) { return CTestViewModel::failing(row.status); });
            line += "COMPLETED";
            if (failed > 0)
                line += QString(": %1 of %2 boards did not pass").arg(failed).arg(rows.size());
        }
        m_ui->labelStatus->setText(line);
    }
    // One board: its details are what the operator looks for. Several: every verdict must stay
    // in sight first; the red rows open on a click.
    const bool single = m_model->rowCount() == 1;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const BoardTestRow& board = m_model->rows()[static_cast<std::size_t>(row)];
        m_ui->treeResults->setExpanded(m_model->index(row, 0), single && CTestViewModel::failing(board.status));
    }
    if (m_model->rowCount() > 0) {
        const int row = std::clamp(selectedRow, 0, m_model->rowCount() - 1);
        m_ui->treeResults->setCurrentIndex(m_model->index(row, 0));
    }
    updateWidgets();
}

int CSelfTestDialog::selectedBoardRow() const
{
    QModelIndex index = m_ui->treeResults->currentIndex();
    if (!index.isValid())
        return -1;
    while (index.parent().isValid())
        index = index.parent();
    return index.row();
}

QString CSelfTestDialog::startFolder() const
{
    return m_target.folder.empty() ? QDir::homePath() : QString::fromStdString(m_target.folder);
}

bool CSelfTestDialog::anyDocument() const
{
    const auto& rows = m_model->rows();
    return std::any_of(rows.begin(), rows.end(), [](const BoardTestRow& row) { return !row.document.empty(); });
}

void CSelfTestDialog::saveResults(const QString& start, const SaveWork& write)
{
    const QString path = m_chooser(this, {true, "Select File to Save", start, "Config Files (*.xml)"});
    if (path.isEmpty())
        return;
    std::string why;
    // The save dialog has asked before an existing file is replaced; a device, FIFO, folder,
    // link or the program's own data is still refused, in words.
    const std::int32_t status = write(path.toStdString(), &why);
    if (status != 0) {
        CMiscUtils::notify(
            kTitle, QString("Saving failed (status %1):\n%2\n%3").arg(status).arg(path, QString::fromStdString(why)),
            this);
    }
}

void CSelfTestDialog::hdl_BtnClicked_Save()
{
    const int row = selectedBoardRow();
    if (row < 0)
        return;
    const BoardTestRow& board = m_model->rows()[static_cast<std::size_t>(row)];
    const std::string proposed = TestResultFiles::proposedName(startFolder().toStdString(), m_testName, board);
    saveResults(QString::fromStdString(proposed), [&board](const std::string& path, std::string* why) {
        return TestResultFiles::saveSingle(path, board, why, true);
    });
}

void CSelfTestDialog::hdl_BtnClicked_SaveAll()
{
    if (!anyDocument())
        return;
    saveResults(startFolder(), [this](const std::string& path, std::string* why) {
        return TestResultFiles::saveAll(path, m_model->rows(), why, true);
    });
}

void CSelfTestDialog::hdl_BtnClicked_Close()
{
    accept();
}

namespace {

std::unique_ptr<QDialog> makeSelfTest(const ToolTarget& target, const FileChooser& chooser, QWidget* parent,
                                      bool factory)
{
    // Opened for more than one board it works on every board of the system, as the reset to
    // factory calibration of all boards does.
    ToolTarget boards = target;
    if (boards.multiBoard)
        boards.boards.clear();
    auto dialog = std::make_unique<CSelfTestDialog>(boards, factory, parent);
    dialog->setFileChooser(chooser);
    return dialog;
}

const ToolDialogFactory kSelfTest(MenuEntry::SelfTest,
                                  [](const ToolTarget& target, const FileChooser& chooser, QWidget* parent) {
                                      return makeSelfTest(target, chooser, parent, false);
                                  });
const ToolDialogFactory kFactorySelfTest(MenuEntry::FactorySelfTest,
                                         [](const ToolTarget& target, const FileChooser& chooser, QWidget* parent) {
                                             return makeSelfTest(target, chooser, parent, true);
                                         });

} // namespace

} // namespace z2e
