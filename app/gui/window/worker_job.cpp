#include "gui/window/worker_job.h"

#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

namespace z2e {

WorkerJob::WorkerJob(const QString& title, const QString& message, QWidget* parent)
    : m_title(title), m_message(message), m_parent(parent)
{
}

WorkerJob& WorkerJob::timed()
{
    m_timed = true;
    return *this;
}

WorkerJob& WorkerJob::withoutFirstPaint()
{
    m_waitForPaint = false;
    return *this;
}

WorkerJob& WorkerJob::showAfter(int ms)
{
    m_showAfterMs = ms;
    m_waitForPaint = false;
    return *this;
}

WorkerJob& WorkerJob::offerCancel(std::function<void()> cancel)
{
    m_cancel = std::move(cancel);
    return *this;
}

std::int32_t WorkerJob::run(const Work& work)
{
    m_cancelled = false;
    // Without a first paint the window shows once its modal loop runs; its close is queued,
    // so a worker that ends early still ends that loop.
    std::unique_ptr<CInProgress> progress(m_waitForPaint
                                              ? CMiscUtils::createAndShowProgress(m_title, m_message, m_parent, m_timed)
                                              : CMiscUtils::createProgress(m_title, m_message, m_parent, m_timed));
    // Ended by the worker's queued quit or by the delay, whichever comes first; it outlives the
    // worker (joined below), so the worker's quit always has a loop to reach.
    QEventLoop quiet;
    std::atomic<bool> ended{false};
    if (m_cancel)
        progress->offerCancel(m_cancel);
    // Written before the close is posted, read after the join.
    std::int32_t status = kInternalError;
    CInProgress* window = progress.get();
    std::thread worker;
    try {
        worker = std::thread([&status, &ended, &quiet, window, &work] {
            try {
                status = work(*window);
            } catch (...) {
                status = kInternalError;
            }
            ended = true;
            window->closeFromWorker();
            QMetaObject::invokeMethod(&quiet, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (...) {
        return kInternalError;
    }
    if (m_showAfterMs > 0) {
        QTimer::singleShot(m_showAfterMs, &quiet, &QEventLoop::quit);
        quiet.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!ended)
        progress->exec();
    // exec() can return before the worker closes the window (a pending quit); the worker still
    // posts to it, so it may only go once the worker has ended.
    worker.join();
    m_cancelled = progress->cancelRequested();
    return status;
}

} // namespace z2e
