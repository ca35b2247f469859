#pragma once
// Answers the program's message dialogs by itself, for runs without an operator (the tests'
// subprocess runs, screenshots). Each answered dialog is written to standard error as
// "auto-answer: [<title>] <texts>", so a run can be checked for what it said.

#include <QObject>
#include <QString>

class QTimer;
class QWidget;

namespace z2e {

class ModalAutoAnswer : public QObject {
    Q_OBJECT

public:
    /// `answer` for save/discard/cancel questions: "save", "discard" or "cancel" (anything
    /// else is cancel). Message boxes and notifications are always acknowledged.
    explicit ModalAutoAnswer(QString answer, QObject* parent = nullptr);

    /// One from $ZAMO2_AUTO_ANSWER, or null when it is not set.
    static ModalAutoAnswer* fromEnvironment(QObject* parent);

    /// Looks every few milliseconds for a modal dialog to answer.
    void start();
    /// Answers `dialog` now; false when it is none this class answers (the progress window).
    bool answer(QWidget* dialog);
    /// The texts a dialog shows, its labels joined by " | ".
    static QString dialogText(QWidget* dialog);

private slots:
    void poll();

private:
    QString m_answer;
    QTimer* m_timer;
};

} // namespace z2e
