#include "listwidgets.h"

#include "droppedfiles.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>

DropButton::DropButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setAcceptDrops(true);
}

void DropButton::dragEnterEvent(QDragEnterEvent *event)
{
    takeDroppedFiles(event);
}

void DropButton::dropEvent(QDropEvent *event)
{
    const QStringList paths = takeDroppedFiles(event);
    if (!paths.isEmpty())
        emit filesDropped(paths);
}

void CheckListWidget::addCheckItems(const QStringList &texts)
{
    for (const QString &text : texts) {
        auto *item = new QListWidgetItem(text, this);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // A click on an item's check box leaves the current item where it was;
    // the item clicked is the one the user means, so it becomes current
    // before the click is reported.
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        if (currentItem() != item)
            setCurrentItem(item);
        emit itemClickedOrKeyed(row(item));
    });
}

void CheckListWidget::keyPressEvent(QKeyEvent *event)
{
    const int current = currentRow();
    const bool toggles = event->key() == Qt::Key_Space && current >= 0;
    const Qt::CheckState before = toggles ? item(current)->checkState() : Qt::Unchecked;
    QListWidget::keyPressEvent(event);
    if (toggles && item(current)->checkState() != before)
        emit itemClickedOrKeyed(current);
}

QString QtCheckList::itemText(int index) const
{
    const QListWidgetItem *item = m_widget->item(index);
    return item ? item->text() : QString();
}

bool QtCheckList::isChecked(int index) const
{
    const QListWidgetItem *item = m_widget->item(index);
    return item && item->checkState() == Qt::Checked;
}

void QtCheckList::setChecked(int index, bool checked)
{
    if (QListWidgetItem *item = m_widget->item(index))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void QtCheckList::setCurrentIndex(int index)
{
    m_widget->setCurrentRow(index);
    if (QListWidgetItem *item = m_widget->item(index))
        m_widget->scrollToItem(item);
}
