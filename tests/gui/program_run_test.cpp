// The program as the operator starts it: a separate process on the driver stand-in, its message
// dialogs answered by ZAMO2_AUTO_ANSWER, its end forced by ZAMO2_SCREENSHOT.

#include "window_test_support.h"

#include "core/system_model.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace z2e {
namespace {

using z2e_test::SimulatedSite;

struct ProgramRun {
    bool finished = false;
    int exitCode = -1;
    QString errors;
};

// Qt 5's offscreen platform never frees its screen objects; in a sanitizer build that would fail
// every run of the program, so those allocations (and only those) are not reported.
QString qtLeakSuppressions(const SimulatedSite& site)
{
    const QString path = site.path("lsan.supp");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("leak:libqoffscreen.so\nleak:QScreen::QScreen\nleak:QPlatformScreen::QPlatformScreen\n"
                   "leak:QWindowSystemInterface::handleScreenAdded\n"
                   "leak:QtSharedPointer::ExternalRefCountData::getAndRef\nleak:QObject::QObject\n");
    return path;
}

ProgramRun runProgram(const SimulatedSite& site, const QString& screenshot, const QString& driver = QString())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LSAN_OPTIONS", "suppressions=" + qtLeakSuppressions(site));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ZAMO2_AUTO_ANSWER", "cancel");
    environment.insert("ZAMO2_SCREENSHOT", screenshot);
    if (!driver.isEmpty())
        environment.insert("ZAMO2_DRIVER_LIBRARY", driver);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(site.path(""));
    program.start(QCoreApplication::applicationDirPath() + "/zamo2explorer", QStringList());
    ProgramRun run;
    run.finished = program.waitForFinished(60000);
    if (!run.finished) {
        program.kill();
        program.waitForFinished();
    }
    run.exitCode = program.exitCode();
    run.errors = QString::fromLocal8Bit(program.readAllStandardError());
    return run;
}

TEST(ProgramRunTest, StartsFillsTheWindowAndWritesTheScreenshot)
{
    SimulatedSite site;
    const QString shot = site.path("shot.png");
    const ProgramRun run = runProgram(site, shot);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains("auto-answer:")) << run.errors.toStdString();
    const QImage picture(shot);
    EXPECT_FALSE(picture.isNull());
    EXPECT_GE(picture.width(), 400);
    // The application log is kept below the common documents folder.
    EXPECT_TRUE(QFile::exists(site.path("documents/Norvale/zamo2explorer/log/zamo2explorer.log")));
}

TEST(ProgramRunTest, WithoutTheDriverLibraryItRunsOnAndTheLogSaysWhatIsMissingAndWhere)
{
    SimulatedSite site;
    const QString shot = site.path("shot.png");
    const QString driver = site.path("missing/libzmpxi_api_x64.so");
    const ProgramRun run = runProgram(site, shot, driver);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains("auto-answer:")) << run.errors.toStdString(); // no message box
    EXPECT_TRUE(QFile::exists(shot));                                              // the event loop ran
    const QString log = SimulatedSite::read(site.path("documents/Norvale/zamo2explorer/log/zamo2explorer.log"));
    EXPECT_TRUE(log.contains("zmpxi_api_x64.dll") && log.contains("looked for in " + driver)) << log.toStdString();
}

TEST(ProgramRunTest, HardwareHeldByAnotherProgramIsAWarningAndTheProgramGoesOn)
{
    SimulatedSite site;
    SystemModel holder(false); // this test plays the first instance
    ASSERT_EQ(holder.initializeSystem(), 0);
    ASSERT_TRUE(holder.localHardwarePresent());

    const QString shot = site.path("shot.png");
    const ProgramRun run = runProgram(site, shot);
    holder.shutdown();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("auto-answer: [Warning] QORIN hardware is used by another application."))
        << run.errors.toStdString();
    EXPECT_TRUE(QFile::exists(shot));
}

} // namespace
} // namespace z2e
