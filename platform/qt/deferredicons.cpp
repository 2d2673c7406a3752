#include "deferredicons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace {

// An icon made by make() the first time it is drawn or measured. Copies
// share the one made.
class DeferredIconEngine : public QIconEngine
{
public:
    explicit DeferredIconEngine(std::function<QIcon()> make)
        : m_shared(std::make_shared<Shared>(Shared{std::move(make), {}, false}))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }
    QString key() const override { return QStringLiteral("DeferredIconEngine"); }

private:
    struct Shared
    {
        std::function<QIcon()> make;
        QIcon icon;
        bool made;
    };
    std::shared_ptr<Shared> m_shared;

    const QIcon &icon()
    {
        if (!m_shared->made) {
            m_shared->icon = m_shared->make();
            m_shared->made = true;
            m_shared->make = nullptr;
        }
        return m_shared->icon;
    }
};

} // namespace

DeferredIconStyle::DeferredIconStyle(QStyle *base)
    : QProxyStyle(base)
{
}

QIcon DeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *, const QWidget *widget) const
{
    // The option lives only for this call; the widget may be gone by the
    // first drawing, and the icon is then made as for no widget.
    const QPointer<QWidget> owner(const_cast<QWidget *>(widget));
    const QPointer<QStyle> base(baseStyle());
    return QIcon(new DeferredIconEngine([base, owner, standardIcon] {
        return base ? base->standardIcon(standardIcon, nullptr, owner.data()) : QIcon();
    }));
}
