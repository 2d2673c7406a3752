#pragma once

#include "qtcontrols.h"

#include <QListWidget>
#include <QPushButton>

// A push button that takes files dropped on it.
class DropButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    explicit DropButton(const QString &text, QWidget *parent = nullptr);

signals:
    void filesDropped(const QStringList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// A list of check boxes that reports a tick from the keyboard as a click,
// as a tick by mouse is.
class CheckListWidget : public QListWidget
{
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    void addCheckItems(const QStringList &texts);

signals:
    // The user clicked an item, or ticked or unticked it with the space bar.
    void itemClickedOrKeyed(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

class QtCheckList : public QtControlBase<CheckList, QListWidget>
{
public:
    using QtControlBase::QtControlBase;
    int count() const override { return m_widget->count(); }
    QString itemText(int index) const override;
    bool isChecked(int index) const override;
    void setChecked(int index, bool checked) override;
    int currentIndex() const override { return m_widget->currentRow(); }
    void setCurrentIndex(int index) override;
};
