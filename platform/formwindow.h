#pragma once

#include "geometry.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

enum class WindowState { Normal, Minimised, Maximised };

// A top-level window as the logic sees it. Sizes are outer sizes in twips:
// the client area plus the frame, title bar and menu bar the window has
// always been designed around.
class FormWindow
{
public:
    virtual ~FormWindow() = default;
    virtual void setTitle(const QString &title) = 0;
    virtual QString title() const = 0;
    virtual WindowState state() const = 0;
    // A window not shown yet takes the state when it is shown.
    virtual void setState(WindowState state) = 0;
    virtual TwipSize outerSize() const = 0;
    virtual void setOuterSize(TwipSize size) = 0;
    // The window's top-left corner on the screen.
    virtual TwipPoint corner() const = 0;
    virtual void moveTo(TwipPoint corner) = 0;
    // Shows the window without making it modal and brings it forward.
    virtual void showWindow() = 0;
    virtual bool isShown() const = 0;
    // Moves and sizes the named controls; names not in the window are ignored.
    virtual void place(const QHash<QString, TwipRect> &geometry) = 0;
    // Closes the window for good.
    virtual void unload() = 0;

    // The areas of the screens that windows may take (without the
    // desktop's panels and docks), the primary screen's first; empty when
    // the platform does not tell.
    virtual QList<TwipRect> screenAreas() const = 0;
    // handler runs after the window moved, was resized or changed state.
    // An empty handler stops the calls.
    virtual void onPlacementChanged(std::function<void()> handler) = 0;
    // handler runs when the window has been closed or hidden, while its
    // place and size can still be read.
    virtual void onClosed(std::function<void()> handler) = 0;
};
