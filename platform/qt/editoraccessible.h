#pragma once

#include <QAccessibleWidget>

class EditorWidget;

// What screen readers and other assistive tools see of the editor box: its
// text, caret and selection, in characters (UTF-16 units) as Qt counts them.
// Offsets are found through Scintilla's index of where each line starts in
// those units, so that a caret move costs the same at the end of a 50 MB file
// as at its start; the box's own accessible counted every character from
// the top of the file on each caret move and each key.
class EditorAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit EditorAccessible(EditorWidget *editor);

    // Makes Qt give every editor box this accessible. Called once the first
    // box exists, so that it is asked before the one the box brings.
    static void install();
    // Tells assistive tools where the caret of the box went, when it moved.
    static void caretMoved(EditorWidget *editor);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // The offset of a byte position of the text, and back.
    int offsetOf(long position) const;
    long positionOf(int offset) const;

private:
    EditorWidget *editor() const;
    int m_toldCursor = -1;
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
};
