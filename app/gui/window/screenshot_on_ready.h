#pragma once
// A picture of the main window once start-up has filled it (with a dialog over it when asked),
// written to a PNG file, after which the program ends: the way to see the program on a machine
// without a display.

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>

class QWidget;

namespace z2e {

class ScreenshotOnReady : public QObject {
    Q_OBJECT

public:
    /// Writes `window` into `path` when `arm()` was called and the event loop has shown it.
    ScreenshotOnReady(QWidget* window, QString path, QObject* parent = nullptr);

    /// One for $ZAMO2_SCREENSHOT, or null when it is not set.
    static ScreenshotOnReady* fromEnvironment(QWidget* window, QObject* parent);

    /// Takes the picture `delayMs` after the event loop runs, then ends the event loop with 0
    /// (1 when the file could not be written).
    void arm(int delayMs = 300);
    /// Writes the picture now (through a temporary file renamed over `path`).
    bool capture();
    /// A window drawn over the main window in the picture where it stands on the screen, as a
    /// dialog would be seen.
    void setOverlay(QWidget* window) { m_overlay = window; }

    const QString& path() const { return m_path; }

private:
    QPixmap composed(QWidget* overlay) const;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_overlay;
    QString m_path;
};

} // namespace z2e
