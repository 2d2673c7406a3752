#pragma once

#include "platform/formwindow.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

// A top-level widget as a FormWindow. Its outer size in twips is its client
// widget's size plus a fixed allowance for the frame, title bar and menu bar
// the window was designed around, so that layout rules written for that
// outer size place the controls the same on every desktop.
class QtFormWindow : public FormWindow
{
public:
    // client is the part of window the controls sit in; menuBarHeight gives
    // the pixels the window needs above it.
    QtFormWindow(QWidget *window, QWidget *client, TwipSize allowance, std::function<int()> menuBarHeight = {});

    // The controls place() can reach, by name.
    void setControls(const QHash<QString, QWidget *> *controls) { m_controls = controls; }
    // What unload() does; closing is the default.
    void onUnload(std::function<void()> handler) { m_unload = std::move(handler); }

    void setTitle(const QString &title) override { m_window->setWindowTitle(title); }
    QString title() const override { return m_window->windowTitle(); }
    WindowState state() const override;
    void setState(WindowState state) override;
    TwipSize outerSize() const override;
    void setOuterSize(TwipSize size) override;
    TwipPoint corner() const override;
    void moveTo(TwipPoint corner) override;
    void showWindow() override;
    bool isShown() const override { return m_window->isVisible(); }
    void place(const QHash<QString, TwipRect> &geometry) override;
    void unload() override;
    QList<TwipRect> screenAreas() const override;
    void onPlacementChanged(std::function<void()> handler) override;
    void onClosed(std::function<void()> handler) override;

    static QRect toPixels(const TwipRect &rect);

private:
    QWidget *m_window;
    QWidget *m_client;
    TwipSize m_allowance;
    std::function<int()> m_menuBarHeight;
    const QHash<QString, QWidget *> *m_controls = nullptr;
    std::function<void()> m_unload;
    std::function<void()> m_placementChanged;
    std::function<void()> m_closed;
    // Watches the window's events for the two handlers above.
    std::unique_ptr<QObject> m_watcher;

    void watch();
};
