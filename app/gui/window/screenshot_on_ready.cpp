#include "gui/window/screenshot_on_ready.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace z2e {

ScreenshotOnReady::ScreenshotOnReady(QWidget* window, QString path, QObject* parent)
    : QObject(parent), m_window(window), m_path(std::move(path))
{
}

ScreenshotOnReady* ScreenshotOnReady::fromEnvironment(QWidget* window, QObject* parent)
{
    const QString path = qEnvironmentVariable("ZAMO2_SCREENSHOT");
    if (path.isEmpty())
        return nullptr;
    return new ScreenshotOnReady(window, path, parent);
}

void ScreenshotOnReady::arm(int delayMs)
{
    QTimer::singleShot(delayMs, this, [this] {
        const bool written = capture();
        std::fprintf(stderr, "screenshot: %s %s\n", written ? "written to" : "could not be written to",
                     qPrintable(m_path));
        std::fflush(stderr);
        QCoreApplication::exit(written ? 0 : 1);
    });
}

QPixmap ScreenshotOnReady::composed(QWidget* overlay) const
{
    // Each window draws itself; the picture places them as they stand on the screen.
    const QRect main = m_window->geometry();
    const QRect top = overlay->geometry();
    const QRect both = main.united(top);
    QPixmap picture(both.size());
    picture.fill(QColor(96, 96, 96));
    QPainter painter(&picture);
    painter.drawPixmap(main.topLeft() - both.topLeft(), m_window->grab());
    painter.drawPixmap(top.topLeft() - both.topLeft(), overlay->grab());
    return picture;
}

bool ScreenshotOnReady::capture()
{
    if (!m_window)
        return false;
    // An open menu is a window of its own, as a dialog is.
    QWidget* overlay = m_overlay ? m_overlay.data() : QApplication::activePopupWidget();
    const QPixmap picture = overlay ? composed(overlay) : m_window->grab();
    QSaveFile file(m_path);
    if (picture.isNull() || !file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG"))
        return false;
    return file.commit();
}

} // namespace z2e
