#pragma once
// Ends the event loop when a widget paints for the first time after arm(): how start-up time is
// measured from outside (process start to the first paint of the filled window).

#include <QObject>
#include <QPointer>

class QWidget;

namespace z2e {

class FirstPaintExit : public QObject {
    Q_OBJECT

public:
    /// Watches `widget`, which must outlive the event loop.
    explicit FirstPaintExit(QWidget* widget, QObject* parent = nullptr);

    /// One watching `widget` when $ZAMO2_EXIT_AFTER_PAINT is set, else null.
    static FirstPaintExit* fromEnvironment(QWidget* widget, QObject* parent);

    /// From now on the next paint of the widget ends the event loop with 0, after writing
    /// "first paint <steady clock in ns> cpu <process CPU time in ns>" to standard output.
    void arm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_widget;
    bool m_armed = false;
};

} // namespace z2e
