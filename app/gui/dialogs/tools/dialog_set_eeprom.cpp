#include "gui/dialogs/tools/dialog_set_eeprom.h"
#include "gui/window/system_change_lock.h"

#include "ui_dialog_set_eeprom.h"

#include "core/application_status.h"
#include "driver/command/app_status.h"
#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/tools/firmware_dialog_support.h"
#include "gui/dialogs/tools/snapshot_question.h"
#include "gui/dialogs/tools/tool_read.h"
#include "tools/board_identity.h"
#include "tools/maintenance_journal.h"

#include <QFontDatabase>
#include <QSignalBlocker>

#include <algorithm>

namespace z2e {
namespace {

const char* const kProgressTitle = "Executing";
const char* const kProgressText = "Executing ..";

} // namespace

CDialogSetEEPROM::CDialogSetEEPROM(const ToolTarget& target, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDialogSetEEPROM>()), m_target(target)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    connect(m_ui->btnStore, &QPushButton::clicked, this, &CDialogSetEEPROM::hdl_Btn_Store);
    connect(m_ui->btnErase, &QPushButton::clicked, this, &CDialogSetEEPROM::hdl_Btn_Erase);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &CDialogSetEEPROM::hdl_Btn_Cancel);
    connect(m_ui->editSerial, &QLineEdit::textChanged, this, &CDialogSetEEPROM::hdl_EDIT_Event);
    // The combo texts line up in columns only in a fixed-width font.
    m_ui->comboModel->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    std::string serialText;
    std::string boardLabel;
    if (m_target.wrapper && !m_target.boards.empty()) {
        m_journal = journalFor(m_target);
        m_editor = std::make_unique<EepromEditor>(*m_target.wrapper, m_journal.get());
        EepromEditor& editor = *m_editor;
        const std::uint32_t board = m_target.boards.front();
        const std::int32_t read = readBehindProgress(m_target, kProgressTitle, "Reading the EEPROM.", parent, [&] {
            editor.load(board);
            // The words of a failed read may be the node's own.
            serialText = editor.serialFieldText();
            boardLabel = BoardIdentity::read(*m_target.wrapper, board).label();
            return std::int32_t{AppStatus::Ok};
        });
        if (read == AppStatus::Cancelled) {
            m_editor.reset();
            m_ui->labelBoard->setText(readFailureText(read));
        }
    }
    const QSignalBlocker quiet(m_ui->editSerial);
    if (!m_editor) {
        updateWidgets();
        return;
    }
    const EepromSummary& summary = m_editor->summary();
    if (m_editor->summaryResult() < 1)
        // Named as the tree and the board's label name it, then what the EEPROM says it is.
        m_ui->labelBoard->setText(QString("%1     Model: %2     Revision: %3")
                                      .arg(QString::fromStdString(boardLabel),
                                           QString::fromStdString(summary.baseModel),
                                           QString::fromStdString(summary.baseVersion)));
    const std::vector<std::string> texts = m_editor->comboTexts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        m_ui->comboModel->addItem(QString::fromStdString(texts[i]));
        const EepromModelList::Entry& entry = m_editor->offered()[i];
        if (entry.baseModel == summary.baseModel && entry.baseVersion == summary.baseVersion)
            m_ui->comboModel->setCurrentIndex(static_cast<int>(i));
    }
    if (m_editor->writable())
        m_ui->editSerial->setMaxLength(static_cast<int>(EepromEditor::kSerialLength));
    m_ui->editSerial->setText(QString::fromStdString(serialText));
    updateWidgets();
}

CDialogSetEEPROM::~CDialogSetEEPROM() = default;

void CDialogSetEEPROM::updateWidgets()
{
    const bool writable = m_editor && m_editor->writable();
    // The field shows why the EEPROM cannot be read; that text is no serial number to edit.
    m_ui->editSerial->setReadOnly(!writable);
    m_ui->btnStore->setEnabled(writable && m_ui->comboModel->count() > 0);
    m_ui->btnErase->setEnabled(writable);
}

void CDialogSetEEPROM::hdl_EDIT_Event(const QString& text)
{
    if (!m_editor || !m_editor->writable())
        return;
    const QString valid = QString::fromStdString(m_editor->serialEdited(text.toStdString()));
    if (valid != text) {
        const int cursor = m_ui->editSerial->cursorPosition() - (text.size() - valid.size());
        const QSignalBlocker quiet(m_ui->editSerial);
        m_ui->editSerial->setText(valid);
        m_ui->editSerial->setCursorPosition(std::max(0, cursor));
    }
    updateWidgets();
}

void CDialogSetEEPROM::hdl_Btn_Store()
{
    std::string name;
    std::string model;
    std::string revision;
    if (!m_editor ||
        !EepromModelList::splitComboText(m_ui->comboModel->currentText().toStdString(), name, model, revision))
        return;
    const std::string serial = m_ui->editSerial->text().toStdString();
    const auto lock = SystemChangeLock::take(m_target, "rewriting an EEPROM", kProgressTitle, this);
    if (!lock)
        return;
    EepromEditor& editor = *m_editor;
    const std::int32_t status = runChangeBehindProgress(
        kProgressTitle, kProgressText, this, m_journal.get(),
        [this, &editor, &model, &revision, &serial](CInProgress&) {
            const std::int32_t status = editor.writeDefault(model, revision, serial);
            m_outcome = outcomeOf(editor);
            return status;
        },
        [&editor] { return editor.message(); });
    if (!editor.actionDone()) {
        // Refused before anything was sent: the operator may correct the input.
        CMiscUtils::notify(windowTitle(), QString::fromStdString(statusMessage(status) + "\n" + editor.message()),
                           this);
        return;
    }
    accept();
}

void CDialogSetEEPROM::hdl_Btn_Erase()
{
    if (!m_editor)
        return;
    const auto lock = SystemChangeLock::take(m_target, "erasing an EEPROM", kProgressTitle, this);
    if (!lock)
        return;
    EepromEditor& editor = *m_editor;
    runChangeBehindProgress(
        kProgressTitle, kProgressText, this, m_journal.get(),
        [this, &editor](CInProgress&) {
            const std::int32_t status = editor.erase();
            m_outcome = outcomeOf(editor);
            return status;
        },
        [&editor] { return editor.message(); });
    accept();
}

void CDialogSetEEPROM::hdl_Btn_Cancel()
{
    reject();
}

EepromEditorOutcome CDialogSetEEPROM::outcomeOf(const EepromEditor& editor) const
{
    return EepromEditor::outcome(editor.actionDone(), editor.result(), m_target.wrapper.get(), editor.verification());
}

} // namespace z2e
