#include "qtformwindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

// Passes on the window's moves, resizes, state changes and hiding.
class PlacementWatcher : public QObject
{
public:
    PlacementWatcher(const std::function<void()> &changed, const std::function<void()> &closed)
        : m_changed(changed)
        , m_closed(closed)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
            if (m_changed)
                m_changed();
            break;
        case QEvent::Hide:
            if (m_closed)
                m_closed();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const std::function<void()> &m_changed;
    const std::function<void()> &m_closed;
};

Qt::WindowStates qtState(WindowState state)
{
    switch (state) {
    case WindowState::Minimised: return Qt::WindowMinimized;
    case WindowState::Maximised: return Qt::WindowMaximized;
    case WindowState::Normal: break;
    }
    return Qt::WindowNoState;
}

} // namespace

QtFormWindow::QtFormWindow(QWidget *window, QWidget *client, TwipSize allowance, std::function<int()> menuBarHeight)
    : m_window(window)
    , m_client(client)
    , m_allowance(allowance)
    , m_menuBarHeight(std::move(menuBarHeight))
{
}

QRect QtFormWindow::toPixels(const TwipRect &r)
{
    return {Twips::toPixels(r.left), Twips::toPixels(r.top), Twips::toPixels(r.width), Twips::toPixels(r.height)};
}

WindowState QtFormWindow::state() const
{
    if (m_window->isMinimized())
        return WindowState::Minimised;
    if (m_window->isMaximized())
        return WindowState::Maximised;
    return WindowState::Normal;
}

void QtFormWindow::setState(WindowState state)
{
    // Showing the window is for the one who builds it to decide.
    if (!m_window->isVisible()) {
        m_window->setWindowState(qtState(state));
        return;
    }
    switch (state) {
    case WindowState::Minimised: m_window->showMinimized(); break;
    case WindowState::Maximised: m_window->showMaximized(); break;
    case WindowState::Normal: m_window->showNormal(); break;
    }
}

TwipSize QtFormWindow::outerSize() const
{
    return {Twips::fromPixels(m_client->width()) + m_allowance.width,
            Twips::fromPixels(m_client->height()) + m_allowance.height};
}

void QtFormWindow::setOuterSize(TwipSize size)
{
    if (state() != WindowState::Normal)
        return;
    const int extra = m_menuBarHeight ? m_menuBarHeight() : 0;
    m_window->resize(Twips::toPixels(size.width - m_allowance.width),
                     Twips::toPixels(size.height - m_allowance.height) + extra);
}

TwipPoint QtFormWindow::corner() const
{
    const QPoint at = m_window->frameGeometry().topLeft();
    return {Twips::fromPixels(at.x()), Twips::fromPixels(at.y())};
}

void QtFormWindow::moveTo(TwipPoint corner)
{
    m_window->move(Twips::toPixels(corner.left), Twips::toPixels(corner.top));
}

void QtFormWindow::showWindow()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QtFormWindow::place(const QHash<QString, TwipRect> &geometry)
{
    if (!m_controls)
        return;
    for (auto it = geometry.begin(); it != geometry.end(); ++it) {
        if (QWidget *w = m_controls->value(it.key()))
            w->setGeometry(toPixels(it.value()));
    }
}

void QtFormWindow::unload()
{
    if (m_unload)
        m_unload();
    else
        m_window->close();
}

QList<TwipRect> QtFormWindow::screenAreas() const
{
    QList<TwipRect> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    QList<QScreen *> screens = QGuiApplication::screens();
    std::stable_partition(screens.begin(), screens.end(), [primary](const QScreen *s) { return s == primary; });
    for (const QScreen *screen : std::as_const(screens)) {
        const QRect r = screen->availableGeometry();
        areas.append({Twips::fromPixels(r.x()), Twips::fromPixels(r.y()), Twips::fromPixels(r.width()),
                      Twips::fromPixels(r.height())});
    }
    return areas;
}

void QtFormWindow::onPlacementChanged(std::function<void()> handler)
{
    m_placementChanged = std::move(handler);
    watch();
}

void QtFormWindow::onClosed(std::function<void()> handler)
{
    m_closed = std::move(handler);
    watch();
}

void QtFormWindow::watch()
{
    if (m_watcher)
        return;
    m_watcher = std::make_unique<PlacementWatcher>(m_placementChanged, m_closed);
    m_window->installEventFilter(m_watcher.get());
}
