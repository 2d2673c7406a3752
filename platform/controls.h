#pragma once

#include "colour.h"

#include <QString>

// The plain controls of a window as the logic sees them: it reads and writes
// their captions, colours, weights and check marks, never their widgets.

class Control
{
public:
    virtual ~Control() = default;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setFocus() = 0;
};

class Label : public Control
{
public:
    virtual void setCaption(const QString &caption) = 0;
    virtual QString caption() const = 0;
    virtual void setColours(Colour background, Colour text) = 0;
    virtual Colour background() const = 0;
    virtual Colour textColour() const = 0;
};

class Button : public Control
{
public:
    virtual QString caption() const = 0;
    // Bold is weight 700, regular 400.
    virtual void setBold(bool bold) = 0;
    virtual bool isBold() const = 0;
};

class Entry : public Control
{
public:
    virtual void setText(const QString &text) = 0;
    virtual QString text() const = 0;
    // Selects the whole text.
    virtual void selectAll() = 0;
};

class CheckBox : public Control
{
public:
    // Setting the tick does not count as a click.
    virtual void setChecked(bool checked) = 0;
    virtual bool isChecked() const = 0;
};

class MenuItem
{
public:
    virtual ~MenuItem() = default;
    virtual void setChecked(bool checked) = 0;
    virtual bool isChecked() const = 0;
};

// A list with a check box before every item.
class CheckList : public Control
{
public:
    virtual int count() const = 0;
    virtual QString itemText(int index) const = 0;
    virtual bool isChecked(int index) const = 0;
    // A change of the tick reaches the list's tick handler just as a tick
    // by the user does; setting the tick it already has changes nothing.
    virtual void setChecked(int index, bool checked) = 0;
    // The highlighted item, or -1 when there is none.
    virtual int currentIndex() const = 0;
    // Highlights an item and scrolls it into view.
    virtual void setCurrentIndex(int index) = 0;
};
