#include "gui/window/modal_auto_answer.h"

#include "gui/dialogs/auxiliary/decision_dialog.h"
#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/in_progress.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace z2e {

ModalAutoAnswer::ModalAutoAnswer(QString answer, QObject* parent)
    : QObject(parent), m_answer(std::move(answer)), m_timer(new QTimer(this))
{
    m_timer->setInterval(20);
    connect(m_timer, &QTimer::timeout, this, &ModalAutoAnswer::poll);
}

ModalAutoAnswer* ModalAutoAnswer::fromEnvironment(QObject* parent)
{
    if (!qEnvironmentVariableIsSet("ZAMO2_AUTO_ANSWER"))
        return nullptr;
    return new ModalAutoAnswer(qEnvironmentVariable("ZAMO2_AUTO_ANSWER").trimmed().toLower(), parent);
}

void ModalAutoAnswer::start()
{
    m_timer->start();
}

void ModalAutoAnswer::poll()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        answer(modal);
}

QString ModalAutoAnswer::dialogText(QWidget* dialog)
{
    QStringList texts;
    if (auto* box = qobject_cast<QMessageBox*>(dialog))
        texts << box->text();
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && !texts.contains(label->text()))
            texts << label->text();
    }
    return texts.join(" | ").replace("\r", "").replace("\n", " ");
}

bool ModalAutoAnswer::answer(QWidget* dialog)
{
    if (!dialog || qobject_cast<CInProgress*>(dialog) || !dialog->isVisible())
        return false;
    auto* asked = qobject_cast<QDialog*>(dialog);
    if (!asked)
        return false;
    std::fprintf(stderr, "auto-answer: [%s] %s\n", qPrintable(dialog->windowTitle()), qPrintable(dialogText(dialog)));
    std::fflush(stderr);
    if (qobject_cast<CDecisionDialog*>(dialog)) {
        const int result = m_answer == "save"      ? CDecisionDialog::Save
                           : m_answer == "discard" ? CDecisionDialog::Discard
                                                   : CDecisionDialog::Cancel;
        asked->done(result);
        return true;
    }
    if (qobject_cast<CDecisionDialogYesNo*>(dialog)) {
        asked->done(m_answer == "save" ? CDecisionDialogYesNo::Yes : CDecisionDialogYesNo::No);
        return true;
    }
    asked->accept();
    return true;
}

} // namespace z2e
