#pragma once
// Long work of the window and its dialogs: the job runs on a worker thread behind a progress
// window while the GUI thread runs that window's modal loop. run() returns on the GUI thread
// once the worker has ended, so whatever the work wrote into the caller's variables is safe to
// read there and then. The worker reaches the progress window only through its queued calls.
//
//   WorkerJob job("Network Node", "Reading the network node.", this);
//   job.offerCancel([&] { client.disconnectNode(id); });
//   NetworkNodeRecord record;
//   job.run([&](CInProgress&) { record = node.read(); return 0; });
//   if (!job.cancelled())
//       show(record);
//
// This is the only place in the window that starts a thread for such work.

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

namespace z2e {

class CInProgress;

class WorkerJob {
public:
    /// The job: gets the progress window (queued calls only) and returns a status.
    using Work = std::function<std::int32_t(CInProgress& progress)>;
    /// The status of a job that threw or whose worker could not start.
    static constexpr std::int32_t kInternalError = 7;

    WorkerJob(const QString& title, const QString& message, QWidget* parent);

    /// A timer-driven bar instead of the message with its animation.
    WorkerJob& timed();
    /// The worker starts at once instead of after the progress window's first paint, so the
    /// work does not wait for a window system that is still busy (start-up).
    WorkerJob& withoutFirstPaint();
    /// The progress window only for work that lasts longer than `ms`: a short job then costs
    /// no window at all. Until then the GUI thread runs its events but holds back the
    /// operator's input, as the modal window would.
    WorkerJob& showAfter(int ms);
    /// Offers Cancel; `cancel` runs once on the GUI thread and must make the work end soon.
    WorkerJob& offerCancel(std::function<void()> cancel);

    /// Runs `work` to its end and returns its status.
    std::int32_t run(const Work& work);
    /// The operator asked to cancel during the last run().
    bool cancelled() const { return m_cancelled; }

private:
    QString m_title;
    QString m_message;
    QWidget* m_parent;
    bool m_timed = false;
    bool m_waitForPaint = true;
    int m_showAfterMs = 0;
    std::function<void()> m_cancel;
    bool m_cancelled = false;
};

} // namespace z2e
