#pragma once

#include "platform/controls.h"

#include <QAction>
#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

QColor toQColor(Colour colour);
Colour fromQColor(const QColor &colour);

// Each adapter answers for one widget that the window owns.
template<typename Interface, typename Widget>
class QtControlBase : public Interface
{
public:
    explicit QtControlBase(Widget *widget) : m_widget(widget) {}
    void setVisible(bool visible) override { m_widget->setVisible(visible); }
    bool isVisible() const override { return !m_widget->isHidden(); }
    void setEnabled(bool enabled) override { m_widget->setEnabled(enabled); }
    bool isEnabled() const override { return m_widget->isEnabled(); }
    void setFocus() override { m_widget->setFocus(Qt::OtherFocusReason); }
    Widget *widget() const { return m_widget; }

protected:
    Widget *m_widget;
};

template<typename Widget>
class QtControl : public QtControlBase<Control, Widget>
{
public:
    using QtControlBase<Control, Widget>::QtControlBase;
};

class QtLabel : public QtControlBase<Label, QLabel>
{
public:
    using QtControlBase::QtControlBase;
    void setCaption(const QString &caption) override { m_widget->setText(caption); }
    QString caption() const override { return m_widget->text(); }
    void setColours(Colour background, Colour text) override;
    Colour background() const override { return m_background; }
    Colour textColour() const override { return m_text; }

private:
    Colour m_background = Colours::white;
    Colour m_text = Colours::black;
};

class QtButton : public QtControlBase<Button, QPushButton>
{
public:
    using QtControlBase::QtControlBase;
    QString caption() const override { return m_widget->text(); }
    void setBold(bool bold) override
    {
        QFont font = m_widget->font();
        font.setWeight(bold ? QFont::Bold : QFont::Normal);
        m_widget->setFont(font);
    }
    bool isBold() const override { return m_widget->font().weight() >= QFont::Bold; }
};

class QtEntry : public QtControlBase<Entry, QLineEdit>
{
public:
    using QtControlBase::QtControlBase;
    void setText(const QString &text) override { m_widget->setText(text); }
    QString text() const override { return m_widget->text(); }
    void selectAll() override { m_widget->selectAll(); }
};

// A multi-line box of plain text.
class QtTextView : public QtControlBase<Entry, QPlainTextEdit>
{
public:
    using QtControlBase::QtControlBase;
    void setText(const QString &text) override { m_widget->setPlainText(text); }
    QString text() const override { return m_widget->toPlainText(); }
    void selectAll() override { m_widget->selectAll(); }
};

class QtCheckBox : public QtControlBase<CheckBox, QCheckBox>
{
public:
    using QtControlBase::QtControlBase;
    void setChecked(bool checked) override { m_widget->setChecked(checked); }
    bool isChecked() const override { return m_widget->isChecked(); }
};

class QtMenuItem : public MenuItem
{
public:
    explicit QtMenuItem(QAction *action) : m_action(action) {}
    void setChecked(bool checked) override { m_action->setChecked(checked); }
    bool isChecked() const override { return m_action->isChecked(); }

private:
    QAction *m_action;
};
