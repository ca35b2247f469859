// ZAMO2Explorer: the program. Start-up order and exit status: gui/application_frame.h.
//
// Unattended runs (tests, screenshots) steer it through the environment:
//   ZAMO2_DRIVER_LIBRARY  load the driver library from this path instead of by its plain name
//   ZAMO2_AUTO_ANSWER     answer message dialogs by themselves ("save", "discard", "cancel")
//   ZAMO2_SCREENSHOT      write a PNG of the filled window to this file, then end
//   ZAMO2_SCREENSHOT_DIALOG  with ZAMO2_SCREENSHOT: the named dialog over the window
//   ZAMO2_EXIT_AFTER_PAINT end as soon as the filled window has painted (start-up timing)

#include "core/driver_library.h"
#include "gui/application_frame.h"
#include "gui/main_window.h"
#include "gui/window/first_paint_exit.h"
#include "gui/window/modal_auto_answer.h"
#include "gui/window/screenshot_on_ready.h"

#include "gui/window/board_tool_dialogs.h"
#include "gui/window/network_node_controller.h"
#include "gui/window/system_dialogs.h"
#include "gui/window/window_pictures.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>

namespace {

class ProgramWindow : public z2e::MainWindow {
public:
    ProgramWindow()
    {
        if (z2e::ModalAutoAnswer* answer = z2e::ModalAutoAnswer::fromEnvironment(this))
            answer->start();
        if (z2e::ScreenshotOnReady* shot = z2e::ScreenshotOnReady::fromEnvironment(this, this))
            connect(this, &MainWindow::initialized, shot, [this, shot] { pictureWhenSettled(*shot); });
        // The filled window has painted once the hardware tree has.
        if (z2e::FirstPaintExit* paint = z2e::FirstPaintExit::fromEnvironment(hardwareTreeArea(), this))
            connect(this, &MainWindow::initialized, paint, [paint] { paint->arm(); });
    }

private:
    void pictureWhenSettled(z2e::ScreenshotOnReady& shot)
    {
        const QString dialog = qEnvironmentVariable("ZAMO2_SCREENSHOT_DIALOG");
        if (dialog.isEmpty()) {
            shot.arm(300 + networkNodes().settleMs());
            return;
        }
        QTimer::singleShot(networkNodes().settleMs(), &shot, [this, &shot, dialog] {
            if (z2e::WindowPictures::stateNames().contains(dialog)) {
                if (pictures()->showState(dialog)) {
                    armWhenIdle(shot);
                    return;
                }
                std::fprintf(stderr, "screenshot: the window cannot show \"%s\"\n", qPrintable(dialog));
                QCoreApplication::exit(1);
                return;
            }
            QDialog* opened = openToolForPicture(dialog);
            if (!opened) {
                const QStringList known = z2e::BoardToolDialogs::pictureNames() + z2e::SystemDialogs::pictureNames() +
                                          z2e::WindowPictures::networkDialogNames() + z2e::WindowPictures::stateNames();
                std::fprintf(stderr, "screenshot: no dialog \"%s\" to open (known: %s)\n", qPrintable(dialog),
                             qPrintable(known.join(", ")));
                QCoreApplication::exit(1);
                return;
            }
            shot.setOverlay(opened);
            shot.arm(300);
        });
    }

    /// Pictures the window once no node reading holds it any more.
    void armWhenIdle(z2e::ScreenshotOnReady& shot)
    {
        auto* poll = new QTimer(&shot);
        poll->setInterval(100);
        connect(poll, &QTimer::timeout, &shot, [poll, &shot] {
            if (QApplication::activeModalWidget())
                return;
            poll->stop();
            shot.arm(300);
        });
        poll->start();
    }

    QWidget* hardwareTreeArea()
    {
        auto* tree = findChild<QTreeView*>("treeHardware");
        return tree ? tree->viewport() : this;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const char* driver = std::getenv("ZAMO2_DRIVER_LIBRARY");
    if (driver && *driver)
        z2e::DriverLibrary::useFile(driver);
    return z2e::runApplication<ProgramWindow>(argc, argv);
}
