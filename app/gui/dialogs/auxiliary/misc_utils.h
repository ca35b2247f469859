#pragma once
// Helpers of the main window and every tool dialog: a long operation runs on one worker thread
// behind a CInProgress window (WorkerJob), and its outcome is told in a small message dialog.
//
//   const int status = CMiscUtils::runBehindProgress("System", "Collecting report package files.",
//       this, [&](CInProgress& progress) { return collect(progress); });
//   CMiscUtils::notifyStatus("Report", status, this);
//
// All of them run on the GUI thread.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QString;
class QWidget;

namespace z2e {

class CInProgress;

class CMiscUtils {
public:
    /// A worker operation: gets the progress window (queued calls only) and returns a status.
    using Work = std::function<std::int32_t(CInProgress& progress)>;

    CMiscUtils() = delete;

    /// A new progress window, not shown yet.
    static CInProgress* createProgress(const QString& title, const QString& message, QWidget* parent,
                                       bool timedMode = false);
    /// A new progress window, shown; returns once it has painted itself.
    static CInProgress* createAndShowProgress(const QString& title, const QString& message, QWidget* parent,
                                              bool timedMode = false);
    /// The whole pattern (a WorkerJob): shows a progress window, runs `work` on a worker, waits
    /// until it ends and returns its status. An exception escaping `work` yields status 7. With `cancel`,
    /// the window offers a Cancel button that calls it on the GUI thread; it must make `work`
    /// end soon.
    static std::int32_t runBehindProgress(const QString& title, const QString& message, QWidget* parent, Work work,
                                          bool timedMode = false, std::function<void()> cancel = {});

    /// A modal CNotifyDialog over `parent`.
    static void notify(const QString& title, const QString& text, QWidget* parent);
    /// notify() with the text of an application status code.
    static void notifyStatus(const QString& title, std::int32_t status, QWidget* parent);
    /// A modal yes/no question: 3 for Yes, 1 for No or a closed window.
    static int askYesNo(const QString& title, const QString& text, QWidget* parent);
    /// A modal CErrorDialog; both strings are emptied afterwards.
    static void showError(std::string& title, std::string& text, QWidget* parent);

    /// vsnprintf into `buffer`, truncated to fit; returns the length the whole text needs.
    static int formatBounded(char* buffer, std::size_t size, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    /// Centres `dialog` over its parent's window with the given corrections (see
    /// centreOverParent); the message dialogs use 10 and 15.
    static void placeOverParent(QWidget* dialog, int verticalCorrection, int horizontalCorrection);
};

} // namespace z2e
