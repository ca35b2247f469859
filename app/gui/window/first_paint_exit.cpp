#include "gui/window/first_paint_exit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace z2e {

FirstPaintExit::FirstPaintExit(QWidget* widget, QObject* parent) : QObject(parent), m_widget(widget)
{
    if (widget)
        widget->installEventFilter(this);
}

FirstPaintExit* FirstPaintExit::fromEnvironment(QWidget* widget, QObject* parent)
{
    return qEnvironmentVariableIsSet("ZAMO2_EXIT_AFTER_PAINT") ? new FirstPaintExit(widget, parent) : nullptr;
}

void FirstPaintExit::arm()
{
    m_armed = true;
    if (m_widget)
        m_widget->update();
}

bool FirstPaintExit::eventFilter(QObject* watched, QEvent* event)
{
    if (m_armed && watched == m_widget && event->type() == QEvent::Paint) {
        m_armed = false;
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        // The CPU time too: on a loaded machine it tells our work from the wait for a core.
        timespec cpu{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        std::printf("first paint %lld cpu %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                    static_cast<long long>(cpu.tv_sec) * 1000000000LL + cpu.tv_nsec);
        std::fflush(stdout);
        // Once this paint is done: the exit must not cut it short.
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace z2e
