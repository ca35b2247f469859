#include "gui/crash_screenshot.h"

#include "core/app_paths.h"
#include "crash/crash_monitor.h"
#include "uni/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

namespace z2e {

CrashScreenshot::CrashScreenshot(QWidget* window, QString path, QObject* parent)
    : QObject(parent), m_window(window), m_path(std::move(path)), m_timer(new QTimer(this))
{
    if (m_path.isEmpty())
        m_path = QDir::temp().filePath(QString("zamo2explorer-screen-%1.png").arg(QCoreApplication::applicationPid()));
    connect(m_timer, &QTimer::timeout, this, &CrashScreenshot::refresh);
}

CrashScreenshot::~CrashScreenshot()
{
    crash_monitor::CrashMonitor* monitor = crash_monitor::CrashMonitor::Existing();
    if (monitor && monitor->screenshotFile() == m_path.toStdString())
        monitor->setScreenshotFile(std::string());
    QFile::remove(m_path);
}

bool CrashScreenshot::monitor(QWidget* window, int firstDelayMs)
{
    crash_monitor::CrashMonitor* monitor = crash_monitor::CrashMonitor::Instance();
    if (monitor->reportFolder().empty())
        monitor->setReportFolder(expandedAppPath(AppPathKind::DataFolder));
    if (!monitor->install()) {
        UNI_LOG("gui", uni::log::warning) << "crash reporting not available: " << monitor->lastError();
        return false;
    }
    auto* screenshot = new CrashScreenshot(window, QString(), window);
    QTimer::singleShot(firstDelayMs, screenshot, [screenshot] { screenshot->start(); });
    return true;
}

void CrashScreenshot::start(int intervalMs)
{
    refresh();
    crash_monitor::CrashMonitor::Instance()->setScreenshotFile(m_path.toStdString());
    m_timer->start(intervalMs);
}

bool CrashScreenshot::refresh()
{
    if (!m_window || !m_window->isVisible())
        return false;
    const QPixmap picture = m_window->grab();
    QSaveFile file(m_path);
    if (picture.isNull() || !file.open(QIODevice::WriteOnly))
        return false;
    if (!picture.save(&file, "PNG"))
        return false;
    return file.commit();
}

} // namespace z2e
