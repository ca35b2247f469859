// The program as the operator starts it: a separate process on the driver stand-in, its message
// dialogs answered by ZAMO2_AUTO_ANSWER, its end forced by ZAMO2_SCREENSHOT.

#include "window_test_support.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>

namespace z2e {
namespace {

using z2e_test::SimulatedSite;

class ProgramRunTest : public ::testing::Test {
protected:
    /// Runs the program on the site until it has written its screenshot; it must end by itself
    /// with status 0. What it wrote to its error output.
    QString runProgram(const QString& driver = QString())
    {
        // Qt 5's offscreen platform never frees its screen objects; in a sanitizer build that
        // would fail every run of the program, so those allocations (and only those) are not
        // reported.
        const QString suppressions = m_site.path("lsan.supp");
        test::writeFile(suppressions.toStdString(),
                        "leak:libqoffscreen.so\nleak:QScreen::QScreen\nleak:QPlatformScreen::QPlatformScreen\n"
                        "leak:QWindowSystemInterface::handleScreenAdded\n"
                        "leak:QtSharedPointer::ExternalRefCountData::getAndRef\nleak:QObject::QObject\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LSAN_OPTIONS", "suppressions=" + suppressions);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("ZAMO2_AUTO_ANSWER", "cancel");
        environment.insert("ZAMO2_SCREENSHOT", m_shot);
        if (!driver.isEmpty())
            environment.insert("ZAMO2_DRIVER_LIBRARY", driver);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(m_site.path(""));
        program.start(QCoreApplication::applicationDirPath() + "/zamo2explorer", QStringList());
        const bool finished = program.waitForFinished(60000);
        if (!finished) {
            program.kill();
            program.waitForFinished();
        }
        const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(finished);
        EXPECT_EQ(program.exitCode(), 0) << errors.toStdString();
        EXPECT_TRUE(QFile::exists(m_shot)); // the event loop ran
        return errors;
    }

    SimulatedSite m_site;
    const QString m_shot = m_site.path("shot.png");
};

TEST_F(ProgramRunTest, StartsFillsTheWindowAndWritesTheScreenshot)
{
    const QString errors = runProgram();
    EXPECT_FALSE(errors.contains("auto-answer:")) << errors.toStdString();
    EXPECT_GE(QImage(m_shot).width(), 400);
    // The application log is kept below the common documents folder.
    EXPECT_TRUE(QFile::exists(m_site.path("documents/Norvale/zamo2explorer/log/zamo2explorer.log")));
}

TEST_F(ProgramRunTest, WithoutTheDriverLibraryItRunsOnAndTheLogSaysWhatIsMissingAndWhere)
{
    const QString driver = m_site.path("missing/libzmpxi_api_x64.so");
    const QString errors = runProgram(driver);
    EXPECT_FALSE(errors.contains("auto-answer:")) << errors.toStdString(); // no message box
    const QString log = SimulatedSite::read(m_site.path("documents/Norvale/zamo2explorer/log/zamo2explorer.log"));
    EXPECT_TRUE(log.contains("zmpxi_api_x64.dll") && log.contains("looked for in " + driver)) << log.toStdString();
}

TEST_F(ProgramRunTest, HardwareHeldByAnotherProgramIsAWarningAndTheProgramGoesOn)
{
    SystemModel holder(false); // this test plays the first instance
    ASSERT_EQ(holder.initializeSystem(), 0);
    ASSERT_TRUE(holder.localHardwarePresent());
    const QString errors = runProgram();
    holder.shutdown();
    EXPECT_TRUE(errors.contains("auto-answer: [Warning] QORIN hardware is used by another application."))
        << errors.toStdString();
}

} // namespace
} // namespace z2e
