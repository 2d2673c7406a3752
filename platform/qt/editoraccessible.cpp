#include "editoraccessible.h"

#include "editorwidget.h"
#include "utf16positions.h"

#include <QAccessible>
#include <QByteArray>

#include <algorithm>

namespace {

QAccessibleInterface *editorAccessibleFactory(const QString &, QObject *object)
{
    if (auto *editor = qobject_cast<EditorWidget *>(object))
        return new EditorAccessible(editor);
    return nullptr;
}

} // namespace

EditorAccessible::EditorAccessible(EditorWidget *editor)
    : QAccessibleWidget(editor, QAccessible::EditableText)
{
    // Kept as long as the box lives (Qt drops this accessible only while
    // the box is being destroyed); the window's text box holds the index
    // too, so this costs nothing there.
    send(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16);
}

void EditorAccessible::install()
{
    // Qt asks the factory installed last first.
    static const bool installed = (QAccessible::installFactory(editorAccessibleFactory), true);
    Q_UNUSED(installed);
}

void EditorAccessible::caretMoved(EditorWidget *editor)
{
    auto *accessible = dynamic_cast<EditorAccessible *>(QAccessible::queryAccessibleInterface(editor));
    if (!accessible)
        return;
    const int cursor = accessible->cursorPosition();
    if (cursor == accessible->m_toldCursor)
        return;
    accessible->m_toldCursor = cursor;
    QAccessibleTextCursorEvent event(editor, cursor);
    QAccessible::updateAccessibility(&event);
}

EditorWidget *EditorAccessible::editor() const
{
    return static_cast<EditorWidget *>(widget());
}

long EditorAccessible::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return editor()->SendScintilla(message, wParam, lParam);
}

void *EditorAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State EditorAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !editor()->isReadOnly();
    state.readOnly = editor()->isReadOnly();
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString EditorAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return editor()->text();
    return QAccessibleWidget::text(kind);
}

int EditorAccessible::offsetOf(long position) const
{
    return Utf16Positions::offsetAt(*editor(), position);
}

long EditorAccessible::positionOf(int offset) const
{
    return Utf16Positions::positionAt(*editor(), offset);
}

void EditorAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = offsetOf(send(QsciScintillaBase::SCI_GETSELECTIONSTART));
    *endOffset = offsetOf(send(QsciScintillaBase::SCI_GETSELECTIONEND));
}

int EditorAccessible::selectionCount() const
{
    return send(QsciScintillaBase::SCI_GETSELECTIONEMPTY) ? 0 : 1;
}

void EditorAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void EditorAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        send(QsciScintillaBase::SCI_SETEMPTYSELECTION, send(QsciScintillaBase::SCI_GETCURRENTPOS));
}

void EditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        send(QsciScintillaBase::SCI_SETSEL, positionOf(startOffset), positionOf(endOffset));
}

int EditorAccessible::cursorPosition() const
{
    return offsetOf(send(QsciScintillaBase::SCI_GETCURRENTPOS));
}

void EditorAccessible::setCursorPosition(int position)
{
    send(QsciScintillaBase::SCI_GOTOPOS, positionOf(position));
}

QString EditorAccessible::text(int startOffset, int endOffset) const
{
    const long from = positionOf(startOffset);
    const long to = positionOf(endOffset);
    if (to <= from)
        return QString();
    const auto *bytes = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETRANGEPOINTER, from, to - from));
    return bytes ? QString::fromUtf8(bytes, to - from) : QString();
}

int EditorAccessible::characterCount() const
{
    return Utf16Positions::length(*editor());
}

QRect EditorAccessible::characterRect(int offset) const
{
    const long position = positionOf(offset);
    const long next = send(QsciScintillaBase::SCI_POSITIONAFTER, position);
    const int x = int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, position));
    const int y = int(send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, position));
    const int width = next > position ? int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, next)) - x : 0;
    const int height = int(send(QsciScintillaBase::SCI_TEXTHEIGHT, send(QsciScintillaBase::SCI_LINEFROMPOSITION, position)));
    const QPoint topLeft = editor()->viewport()->mapToGlobal(QPoint(x, y));
    return QRect(topLeft, QSize(std::max(width, 1), height));
}

int EditorAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = editor()->viewport()->mapFromGlobal(point);
    const long position = send(QsciScintillaBase::SCI_POSITIONFROMPOINTCLOSE, local.x(), local.y());
    return position < 0 ? -1 : offsetOf(position);
}

void EditorAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    send(QsciScintillaBase::SCI_SCROLLRANGE, positionOf(endIndex), positionOf(startIndex));
}

QString EditorAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One look for the whole text, as far as assistive tools are told.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}
