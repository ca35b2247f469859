#pragma once
// Answers the window's question before a change without snapshot ("Continue without snapshot"
// or "Cancel") as a DialogRecorder handler, and keeps what it asked.

#include "gui/dialogs/tools/snapshot_question.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include <gtest/gtest.h>

namespace z2e_test {

class SnapshotQuestionAnswer {
public:
    explicit SnapshotQuestionAnswer(bool goOn) : m_goOn(goOn) {}

    /// The recorder's handler: takes only the snapshot question.
    bool operator()(QWidget* modal)
    {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || box->windowTitle() != z2e::kSnapshotQuestionTitle)
            return false;
        asked << box->text();
        defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton* button : box->buttons()) {
            const bool goOn = button->text() == z2e::kContinueWithoutSnapshot;
            buttons << button->text();
            if (goOn == m_goOn && (goOn || box->buttonRole(button) == QMessageBox::RejectRole)) {
                button->click();
                break;
            }
        }
        return true;
    }

    void setGoOn(bool goOn) { m_goOn = goOn; }

    /// Whether exactly one question came, and it holds `text`.
    ::testing::AssertionResult askedOnce(const QString& text) const
    {
        auto result = asked.size() == 1 && asked[0].contains(text) ? ::testing::AssertionSuccess()
                                                                   : ::testing::AssertionFailure();
        return result << "questions: " << asked.join("\n").toStdString();
    }

    QStringList asked;
    QStringList buttons;
    QString defaultText;

private:
    bool m_goOn;
};

} // namespace z2e_test
