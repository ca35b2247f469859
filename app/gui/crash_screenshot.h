#pragma once
// Keeps a picture of the main window for crash reports. A crashed process cannot paint, so the
// picture is taken now and then on the GUI thread and the crash watchdog copies the latest one.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QTimer;

namespace z2e {

class CrashScreenshot : public QObject {
    Q_OBJECT

public:
    /// Pictures `window` into `path` (default: a per-process file in the temporary folder).
    explicit CrashScreenshot(QWidget* window, QString path = QString(), QObject* parent = nullptr);
    /// Removes the picture and tells the crash monitor there is none.
    ~CrashScreenshot() override;

    /// Installs the crash monitor (reports in the data folder unless a folder was named) and
    /// pictures `window` for it, owned by the window, from `firstDelayMs` on. False, with a
    /// warning in the log, when the monitor cannot be installed.
    static bool monitor(QWidget* window, int firstDelayMs);

    /// Names the file to the crash monitor, takes a first picture and refreshes it every
    /// `intervalMs` while the window is visible.
    void start(int intervalMs = 5000);

    const QString& path() const { return m_path; }

public slots:
    /// Takes a new picture now (written beside the old one, then renamed over it). False when
    /// the window is gone or the file cannot be written.
    bool refresh();

private:
    QPointer<QWidget> m_window;
    QString m_path;
    QTimer* m_timer;
};

} // namespace z2e
