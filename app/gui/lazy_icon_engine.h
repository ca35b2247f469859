#pragma once
// An icon that is made (its file read and decoded) when it is first drawn or measured, not
// when it is set: start-up sets dozens of icons on actions, menus and tree rows and draws only
// the few on screen.
//
//   action->setIcon(LazyIconEngine::fromFile(":/icons/res/settings.png"));

#include <QIcon>
#include <QIconEngine>
#include <QStyle>

#include <functional>

namespace z2e {

class LazyIconEngine : public QIconEngine {
public:
    using Make = std::function<QIcon()>;

    /// The icon of `file`; a null icon when there is no such file (checked now, read later).
    static QIcon fromFile(const QString& file);
    /// The application style's standard icon `icon`, as the style is when first drawn.
    static QIcon fromStyle(QStyle::StandardPixmap icon);

    explicit LazyIconEngine(Make make);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) const override;
    QString iconName() const override;
    QIconEngine* clone() const override;
    void virtual_hook(int id, void* data) override;

    /// Whether the icon has been made yet.
    bool made() const { return m_made; }

private:
    const QIcon& icon() const;

    Make m_make;
    mutable QIcon m_icon;
    mutable bool m_made = false;
};

} // namespace z2e
