#pragma once

#include "geometry.h"

#include <QHash>
#include <QString>

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
};
