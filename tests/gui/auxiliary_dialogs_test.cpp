#include "gui/crash_screenshot.h"
#include "gui/dialogs/auxiliary/decision_dialog.h"
#include "gui/dialogs/auxiliary/decision_dialog_yes_no.h"
#include "gui/dialogs/auxiliary/dialog_support.h"
#include "gui/dialogs/auxiliary/error_dialog.h"
#include "gui/dialogs/auxiliary/in_progress.h"
#include "gui/dialogs/auxiliary/misc_utils.h"
#include "gui/dialogs/auxiliary/notify_dialog.h"
#include "gui/window/worker_job.h"

#include "crash/crash_monitor.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <stdexcept>
#include <thread>

namespace z2e {
namespace {

// What the window system does when the user clicks the close box.
void closeLikeTheUser(QWidget* window)
{
    ASSERT_NE(window->windowHandle(), nullptr);
    window->windowHandle()->close();
}

template <class Widget>
Widget* child(QWidget* parent, const char* name)
{
    return parent ? parent->findChild<Widget*>(name) : nullptr;
}

// Acts on the modal dialog once its loop runs.
void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}

TEST(InProgressTest, OnlyTheWorkerEndsTheWaitAndItsUpdatesArrive)
{
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<CInProgress*> running{nullptr};
    bool openAfterUserClose = false;
    QPoint position;

    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        CInProgress* progress = running.load();
        QProgressBar* bar = child<QProgressBar>(progress, "progressBar");
        if (!bar || !bar->isVisible() || bar->value() != 3 ||
            child<QLabel>(progress, "labelMessage")->text() != "Updating firmware.")
            return;
        watcher.stop();
        EXPECT_EQ(QApplication::activeModalWidget(), progress);
        EXPECT_EQ(bar->maximum(), 8);
        EXPECT_EQ(child<QLabel>(progress, "labelProgressText")->text(), "Updating Board 3/8");
        position = progress->pos();
        closeLikeTheUser(progress);
        QTest::keyClick(progress, Qt::Key_Escape);
        QCoreApplication::processEvents();
        openAfterUserClose = progress->isVisible();
        release.set_value();
    });
    watcher.start();

    const std::int32_t status =
        CMiscUtils::runBehindProgress("System", "Initializing ZAMO2Explorer.", &owner, [&](CInProgress& progress) {
            running = &progress;
            emit progress.doSetMsgSig("Updating firmware.");
            progress.initProg(3, 0, 8, "Updating Board 3/8");
            progress.showProgBar();
            released.wait();
            return 42;
        });
    EXPECT_EQ(status, 42);
    EXPECT_TRUE(openAfterUserClose);
    // Centred over the owner with the progress window's own corrections (30 down, 10 across).
    EXPECT_EQ(position, centreOverParent(owner.frameGeometry(), 30, 10) - QPoint(150, 50));
}

namespace {

/// Whether a progress window is on screen now.
bool progressShown()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<CInProgress*>(widget) && widget->isVisible())
            return true;
    return false;
}

} // namespace

// A job shorter than its delay never shows the progress window; a longer one shows it (the job
// here ends only once it has been seen, or after ten seconds).
TEST(WorkerJobTest, TheProgressWindowShowsOnlyForAJobLongerThanItsDelay)
{
    bool seen = false;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&seen] { seen = seen || progressShown(); });
    watch.start();
    EXPECT_EQ(WorkerJob("System", "Quick.", nullptr).showAfter(60000).run([](CInProgress&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return 3;
    }),
              3);
    QCoreApplication::processEvents();
    EXPECT_FALSE(seen);

    std::atomic<bool> shown{false};
    QObject::connect(&watch, &QTimer::timeout, [&shown] { shown = shown || progressShown(); });
    const std::int32_t status = WorkerJob("System", "Slow.", nullptr).showAfter(1).run([&shown](CInProgress&) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!shown && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 4;
    });
    EXPECT_EQ(status, 4);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(progressShown());
}

TEST(InProgressTest, FailingWorkerStillClosesTheWindow)
{
    const std::int32_t status = CMiscUtils::runBehindProgress(
        "System", "Working.", nullptr, [](CInProgress&) -> std::int32_t { throw std::runtime_error("broken"); });
    EXPECT_EQ(status, 7);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(InProgressTest, TimedModeShowsOnlyTheTimerDrivenBar)
{
    CInProgress timed("Firmware", "hidden text", nullptr, true);
    timed.show();
    EXPECT_FALSE(child<QLabel>(&timed, "labelMessage")->isVisible());
    EXPECT_FALSE(child<QLabel>(&timed, "labelAnimation")->isVisible());
    timed.progessT();
    timed.progessT();
    EXPECT_EQ(child<QProgressBar>(&timed, "progressBar")->value(), 2);

    CInProgress animated("System", "Reading.", nullptr, false);
    animated.show();
    EXPECT_TRUE(child<QLabel>(&animated, "labelAnimation")->isVisible() &&
                child<QLabel>(&animated, "labelAnimation")->movie());
    EXPECT_FALSE(child<QProgressBar>(&animated, "progressBar")->isVisible());

    // The window stays frameless and translucent at its rounded corners, but draws an opaque
    // panel under its texts: without a compositor the rest would show black.
    const QImage picture = animated.grab().toImage();
    EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << "a rounded corner";
    const QRgb inside = picture.pixel(picture.width() / 2, picture.height() - 4);
    EXPECT_EQ(qAlpha(inside), 255);
    EXPECT_EQ(QColor(inside), animated.palette().color(QPalette::Window));
}

// Each button, the close box and Escape: the way out and its answer.
TEST(DecisionDialogTest, EveryWayOutHasItsAnswer)
{
    const auto click = [](const char* name) {
        return [name](QWidget* dialog) { QTest::mouseClick(child<QPushButton>(dialog, name), Qt::LeftButton); };
    };
    const std::pair<std::function<void(QWidget*)>, int> ways[] = {
        {click("buttonOK"), CDecisionDialog::Save},
        {click("buttonDiscard"), CDecisionDialog::Discard},
        {click("buttonCancel"), CDecisionDialog::Cancel},
        {closeLikeTheUser, CDecisionDialog::Cancel},
        {[](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }, CDecisionDialog::Cancel}};
    for (const auto& [way, answer] : ways) {
        CDecisionDialog dialog("", "There are unsaved changes.\n\rDo you want to save the configuration?");
        dialog.show();
        way(&dialog);
        EXPECT_EQ(dialog.result(), answer);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowContextHelpButtonHint);
    }
}

TEST(DecisionDialogTest, YesNoThroughTheHelper)
{
    whenModal([](QWidget* modal) { QTest::mouseClick(child<QPushButton>(modal, "buttonOK"), Qt::LeftButton); });
    EXPECT_EQ(CMiscUtils::askYesNo("Question", "Go on?", nullptr), 3);
    whenModal([](QWidget* modal) { QTest::mouseClick(child<QPushButton>(modal, "buttonCancel"), Qt::LeftButton); });
    EXPECT_EQ(CMiscUtils::askYesNo("Question", "Go on?", nullptr), 1);
    whenModal([](QWidget* modal) { closeLikeTheUser(modal); });
    EXPECT_EQ(CMiscUtils::askYesNo("Question", "Go on?", nullptr), 1);
}

TEST(MessageDialogTest, NotificationShowsItsTextOverTheParentAndAnErrorEmptiesItsTexts)
{
    QWidget owner;
    owner.setGeometry(200, 150, 640, 480);
    owner.show();
    QString shown, title;
    QRect geometry;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CNotifyDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        shown = dialog->text();
        title = dialog->windowTitle();
        geometry = dialog->frameGeometry();
        QTest::mouseClick(child<QPushButton>(dialog, "buttonOK"), Qt::LeftButton);
    });
    CMiscUtils::notifyStatus("Warning", 10, &owner);
    EXPECT_EQ(title, "Warning");
    EXPECT_EQ(shown, "QORIN hardware is used by another application.\nZAMO2Explorer will not be able to\n"
                     "display local QORIN boards.");
    const QPoint centre = centreOverParent(owner.frameGeometry(), 10, 15);
    EXPECT_EQ(geometry.topLeft(), centre - QPoint(geometry.width() / 2, geometry.height() / 2));

    std::string errorTitle = "Error Information", text = "Base EEPROM Configuration Failed. [timeout] ";
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<CErrorDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        shown = dialog->text();
        QTest::mouseClick(child<QPushButton>(dialog, "buttonOK"), Qt::LeftButton);
    });
    CMiscUtils::showError(errorTitle, text, nullptr);
    EXPECT_EQ(shown, "Base EEPROM Configuration Failed. [timeout] ");
    EXPECT_TRUE(errorTitle.empty() && text.empty());
}

TEST(MiscUtilsTest, BoundedFormattingAndPlacement)
{
    char buffer[8];
    EXPECT_EQ(CMiscUtils::formatBounded(buffer, sizeof buffer, "%s-%d", "abcdef", 42), 9);
    EXPECT_STREQ(buffer, "abcdef-");

    // right() and bottom() are the last pixel inside: 899 and 699.
    EXPECT_EQ(centreOverParent(QRect(100, 100, 800, 600), 10, 15), QPoint(492, 394));
    EXPECT_EQ(centreOverParent(QRect(100, 100, 800, 600), 30, 10), QPoint(494, 384));
    EXPECT_EQ(displayText("a\r\nb\n\rc\rd"), "a\nb\ncd");
}

TEST(CrashScreenshotTest, KeepsAPictureForCrashReportsWhileItLives)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("screen.png");
    QWidget window;
    window.resize(200, 120);
    {
        CrashScreenshot screenshot(&window, path);
        EXPECT_FALSE(screenshot.refresh()); // not shown yet
        window.show();
        screenshot.start(60000);
        EXPECT_EQ(QImage(path).size(), window.grab().size());
        EXPECT_EQ(crash_monitor::CrashMonitor::Instance()->screenshotFile(), path.toStdString());
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(crash_monitor::CrashMonitor::Instance()->screenshotFile(), "");
    crash_monitor::CrashMonitor::uninstall();
}

} // namespace
} // namespace z2e
