#pragma once
// The order in which the program comes up, kept out of main() so main stays one line:
//
//   int main(int argc, char** argv) { return z2e::runApplication<MainWindow>(argc, argv); }
//
// 1. logging core, then the application log file (remembered for crash reports);
// 2. the Qt application object;
// 3. the "C" numeric locale — after step 2, because QApplication adopts the user's locale and
//    numbers in texts and files always use a decimal point;
// 4. the main window, shown, then its init() (which installs the crash monitor and reads the
//    system behind a progress window); false from init() ends the program without an event
//    loop;
// 5. the event loop; the window is destroyed before the application object.
// The exit status is always 0, also when the window throws; the error output and the log then
// say what ended it.
//
// Window must be default-constructible with `bool init()`; `show()` comes from QWidget.

#include "core/app_paths.h"
#include "core/application_log.h"
#include "core/unexpected_end.h"
#include "crash/crash_monitor.h"

#include <QApplication>

#include <clocale>
#include <csignal>
#include <memory>
#include <string>

namespace z2e {

template <class Window>
int runApplication(int& argc, char** argv)
{
    // Crash reports carry the log.
    const std::string logFile = startApplicationLog();
    if (!logFile.empty())
        crash_monitor::CrashMonitor::Instance()->addFile(logFile, "Application Log File");
    // No export may name the journal, the snapshots or the logs; a file size limit fails a
    // write (which then removes its temporary file) instead of ending the program.
    protectProgramData();
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    std::unique_ptr<Window> window;
    // A failing window ends the program like a closed one, but with a word on why.
    const std::string failure = runCatching([&window, &application] {
        window = std::make_unique<Window>();
        window->show();
        if (window->init())
            application.exec();
    });
    window.reset();
    reportUnexpectedEnd(failure, logFile);
    return 0;
}

} // namespace z2e
