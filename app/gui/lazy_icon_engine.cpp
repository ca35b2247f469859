#include "gui/lazy_icon_engine.h"

#include <QApplication>
#include <QFile>
#include <QPainter>

namespace z2e {

QIcon LazyIconEngine::fromFile(const QString& file)
{
    if (!QFile::exists(file))
        return QIcon();
    return QIcon(new LazyIconEngine([file] { return QIcon(file); }));
}

QIcon LazyIconEngine::fromStyle(QStyle::StandardPixmap icon)
{
    return QIcon(new LazyIconEngine([icon] { return QApplication::style()->standardIcon(icon); }));
}

LazyIconEngine::LazyIconEngine(Make make) : m_make(std::move(make)) {}

const QIcon& LazyIconEngine::icon() const
{
    if (!m_made) {
        m_made = true;
        m_icon = m_make();
    }
    return m_icon;
}

void LazyIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QPixmap LazyIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return icon().pixmap(size, mode, state);
}

QSize LazyIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return icon().actualSize(size, mode, state);
}

QList<QSize> LazyIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state) const
{
    return icon().availableSizes(mode, state);
}

QString LazyIconEngine::iconName() const
{
    return icon().name();
}

QIconEngine* LazyIconEngine::clone() const
{
    auto* copy = new LazyIconEngine(m_make);
    copy->m_icon = m_icon;
    copy->m_made = m_made;
    return copy;
}

void LazyIconEngine::virtual_hook(int id, void* data)
{
    switch (id) {
    case QIconEngine::IsNullHook:
        // Asked often (menus, views) and answered without making the icon: its file exists.
        *static_cast<bool*>(data) = m_made && m_icon.isNull();
        return;
    default: QIconEngine::virtual_hook(id, data);
    }
}

} // namespace z2e
