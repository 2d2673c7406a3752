#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

// Gives a widget its name and files it under that name, for windows that
// place or find their controls by name.
template<typename W>
W *named(QHash<QString, QWidget *> &widgets, const char *name, W *widget)
{
    widget->setObjectName(QString::fromUtf8(name));
    widgets.insert(widget->objectName(), widget);
    return widget;
}
