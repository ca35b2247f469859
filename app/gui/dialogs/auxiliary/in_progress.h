#pragma once
// The frameless "please wait" window in front of every long operation. Only the worker that
// runs the operation ends it (closeFromWorker); the user cannot close it. A worker thread
// reaches it only through the queued calls below.

#include <QDialog>
#include <QPixmap>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class QMovie;
class QPushButton;
class QTimer;

namespace Ui {
class CInProgress;
}

namespace z2e {

class CInProgress : public QDialog {
    Q_OBJECT

public:
    /// In timed mode the message and animation are hidden and a one-second timer advances the
    /// bar; otherwise the message shows with the loading animation. With a parent the window
    /// sits centred over it.
    CInProgress(const QString& title, const QString& message, QWidget* parent = nullptr, bool timedMode = false);
    ~CInProgress() override;

    /// True once the window has painted itself.
    bool hasPainted() const { return m_painted.load(); }
    bool timedMode() const { return m_timedMode; }
    /// Steps made so far (bar value set by initProg, timer ticks, progressInternal).
    int step() const { return m_step.load(); }
    int maximum() const { return m_maximum.load(); }

    // Callable from any thread: each posts its change to the GUI thread.
    /// Sets the bar (value, minimum, maximum) and the text under it.
    void initProg(int value, int minimum, int maximum, const std::string& text);
    void showProgBar();
    void hideProgBar();
    void startT();
    void stopT();
    /// Ends the window (and the modal loop running it) from the worker.
    void closeFromWorker();

    /// GUI thread: shows a "Cancel" button (Escape does the same) that calls `cancel` once,
    /// and from the second second on how long the wait has taken. The window still ends only
    /// when the worker ends it.
    void offerCancel(std::function<void()> cancel);
    bool cancelRequested() const { return m_cancelRequested; }

signals:
    /// Emitted by a worker to replace the message.
    void doSetMsgSig(const QString& message);

public slots:
    void doSetMsgSlot(const QString& message);
    void initProgBar(int value, int minimum, int maximum);
    void initProgText(const QString& text);
    /// Timer tick: one step further.
    void progessT();
    /// One step further; outside timed mode the picture turns a quarter.
    void progressInternal();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setBarVisible(bool visible);
    void cancel();
    void showElapsed();

    std::unique_ptr<Ui::CInProgress> m_ui;
    QMovie* m_movie = nullptr;
    QPixmap m_pixmap;
    std::atomic<bool> m_painted{false};
    bool m_timedMode;
    std::atomic<int> m_step{0};
    std::atomic<int> m_maximum{0};
    QTimer* m_timer = nullptr;
    std::function<void()> m_cancel;
    bool m_cancelRequested = false;
    QPushButton* m_cancelButton = nullptr;
    QTimer* m_elapsedTimer = nullptr;
    int m_elapsedSeconds = 0;
    const int m_verticalCorrection = 30;
    const int m_horizontalCorrection = 10;
};

} // namespace z2e
