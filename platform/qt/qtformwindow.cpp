#include "qtformwindow.h"

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
