#include "gui/dialogs/auxiliary/misc_utils.h"

#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/dialogs/auxiliary/error_dialog.h"
#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/notify_dialog.h"
#include "gui/window/worker_job.h"

#include "core/application_status.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdarg>
#include <cstdio>

namespace z2e {
namespace {

constexpr int kMessageVerticalCorrection = 10;
constexpr int kMessageHorizontalCorrection = 15;
// A window system that never paints must not hang start-up.
constexpr int kFirstPaintLimitMs = 3000;

template <class Dialog>
void runModal(Dialog& dialog)
{
    // Placed once shown: only then are its final size and window frame known.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.adjustSize();
    dialog.show();
    placeOverParent(&dialog, kMessageVerticalCorrection, kMessageHorizontalCorrection);
    dialog.exec();
}

} // namespace

CInProgress* CMiscUtils::createProgress(const QString& title, const QString& message, QWidget* parent, bool timedMode)
{
    return new CInProgress(title, message, parent, timedMode);
}

CInProgress* CMiscUtils::createAndShowProgress(const QString& title, const QString& message, QWidget* parent,
                                               bool timedMode)
{
    CInProgress* progress = createProgress(title, message, parent, timedMode);
    progress->show();
    QElapsedTimer waited;
    waited.start();
    while (!progress->hasPainted() && waited.elapsed() < kFirstPaintLimitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return progress;
}

std::int32_t CMiscUtils::runBehindProgress(const QString& title, const QString& message, QWidget* parent, Work work,
                                           bool timedMode, std::function<void()> cancel)
{
    WorkerJob job(title, message, parent);
    if (timedMode)
        job.timed();
    if (cancel)
        job.offerCancel(std::move(cancel));
    return job.run(work);
}

void CMiscUtils::notify(const QString& title, const QString& text, QWidget* parent)
{
    CNotifyDialog dialog(title, text, parent);
    runModal(dialog);
}

void CMiscUtils::notifyStatus(const QString& title, std::int32_t status, QWidget* parent)
{
    notify(title, QString::fromStdString(statusMessage(status)), parent);
}

int CMiscUtils::askYesNo(const QString& title, const QString& text, QWidget* parent)
{
    CDecisionDialogYesNo dialog(title, text, parent);
    runModal(dialog);
    return dialog.result() == CDecisionDialogYesNo::Yes ? CDecisionDialogYesNo::Yes : CDecisionDialogYesNo::No;
}

void CMiscUtils::showError(std::string& title, std::string& text, QWidget* parent)
{
    {
        CErrorDialog dialog(title, text, parent);
        runModal(dialog);
    }
    title.clear();
    text.clear();
}

int CMiscUtils::formatBounded(char* buffer, std::size_t size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int needed = std::vsnprintf(buffer, size, format, arguments);
    va_end(arguments);
    return needed;
}

void CMiscUtils::placeOverParent(QWidget* dialog, int verticalCorrection, int horizontalCorrection)
{
    z2e::placeOverParent(dialog, verticalCorrection, horizontalCorrection);
}

} // namespace z2e
