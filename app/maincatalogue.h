#pragma once

#include "platform/geometry.h"

#include <QList>
#include <QString>

// What the main window is made of: its menu tree and the controls of its two
// panels, with their captions, tool tips and initial geometry. The window is
// built from these tables and the layout starts from them.

// A member of a control array is known as "name(index)".
QString controlKey(const QString &name, int index = -1);

enum class ControlKind { Frame, Label, Editor, Entry, CheckBox, Button, CheckList };

struct ControlSpec
{
    QString name;
    int index = -1;
    ControlKind kind = ControlKind::Label;
    QString parent; // key of the containing frame
    QString caption;
    QString toolTip;
    TwipRect geometry; // relative to the containing frame
    bool bold = false;
    bool enabled = true;

    QString key() const { return controlKey(name, index); }
};

struct MenuSpec
{
    QString name;
    int index = -1;
    QString parent; // key of the submenu; empty for the menu bar
    QString caption;
    QString shortcut; // in Qt's portable text form
    bool checkable = false;
    bool checked = false;

    QString key() const { return controlKey(name, index); }
};

namespace MainCatalogue {
// The window's outer size at start, which is also its smallest.
constexpr TwipSize minimumSize{6660, 6480};
// Outer size less the client area: frame, title bar and menu bar.
constexpr TwipSize frameAllowance{120, 690};

const QList<ControlSpec> &controls();
const QList<MenuSpec> &menus();
const ControlSpec *control(const QString &key);
} // namespace MainCatalogue
