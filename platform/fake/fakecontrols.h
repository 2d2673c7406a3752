#pragma once

#include "platform/controls.h"
#include "platform/outputbox.h"

#include <QList>
#include <QStringList>

#include <functional>

// Controls that only remember what was set on them.

template<typename Interface>
class FakeControlBase : public Interface
{
public:
    void setVisible(bool visible) override { m_visible = visible; }
    bool isVisible() const override { return m_visible; }
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    bool isEnabled() const override { return m_enabled; }
    void setFocus() override { ++focusCount; }
    int focusCount = 0;

private:
    bool m_visible = true;
    bool m_enabled = true;
};

class FakeControl : public FakeControlBase<Control>
{
};

class FakeLabel : public FakeControlBase<Label>
{
public:
    void setCaption(const QString &caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }
    void setColours(Colour background, Colour text) override
    {
        m_background = background;
        m_text = text;
    }
    Colour background() const override { return m_background; }
    Colour textColour() const override { return m_text; }

private:
    QString m_caption;
    Colour m_background = Colours::white;
    Colour m_text = Colours::black;
};

class FakeButton : public FakeControlBase<Button>
{
public:
    explicit FakeButton(QString caption = {}) : m_caption(std::move(caption)) {}
    QString caption() const override { return m_caption; }
    void setBold(bool bold) override { m_bold = bold; }
    bool isBold() const override { return m_bold; }

private:
    QString m_caption;
    bool m_bold = false;
};

template<typename Interface>
class FakeEntryBase : public FakeControlBase<Interface>
{
public:
    void setText(const QString &text) override
    {
        m_text = text;
        allSelected = false;
        textChanged();
    }
    QString text() const override { return m_text; }
    void selectAll() override { allSelected = true; }
    bool allSelected = false;

protected:
    virtual void textChanged() {}

private:
    QString m_text;
};

class FakeEntry : public FakeEntryBase<Entry>
{
};

class FakeOutputBox : public FakeEntryBase<OutputBox>
{
public:
    void markLines(const QList<MarkedLine> &lines) override { marked = lines; }
    void showCurrent(int first, int last) override
    {
        currentFirst = first;
        currentLast = last;
    }
    void setFontSize(double points) override { fontSize = points; }

    QList<MarkedLine> marked;
    int currentFirst = -1;
    int currentLast = -1;
    double fontSize = 0;

private:
    void textChanged() override
    {
        marked.clear();
        currentFirst = currentLast = -1;
    }
};

class FakeCheckBox : public FakeControlBase<CheckBox>
{
public:
    void setChecked(bool checked) override { m_checked = checked; }
    bool isChecked() const override { return m_checked; }

private:
    bool m_checked = false;
};

class FakeMenuItem : public MenuItem
{
public:
    explicit FakeMenuItem(bool checked = false) : m_checked(checked) {}
    void setChecked(bool checked) override { m_checked = checked; }
    bool isChecked() const override { return m_checked; }

private:
    bool m_checked;
};

class FakeCheckList : public FakeControlBase<CheckList>
{
public:
    explicit FakeCheckList(QStringList items = {}) : m_items(std::move(items)), m_checked(m_items.size(), false) {}

    int count() const override { return int(m_items.size()); }
    QString itemText(int index) const override { return m_items.value(index); }
    bool isChecked(int index) const override { return m_checked.value(index); }
    void setChecked(int index, bool checked) override
    {
        if (index < 0 || index >= count() || m_checked[index] == checked)
            return;
        m_checked[index] = checked;
        if (onItemCheck)
            onItemCheck(index);
    }
    int currentIndex() const override { return m_current; }
    void setCurrentIndex(int index) override { m_current = index; }

    // Called with the index of every item whose tick changed.
    std::function<void(int)> onItemCheck;

private:
    QStringList m_items;
    QList<bool> m_checked;
    int m_current = -1;
};
