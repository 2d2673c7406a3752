#pragma once

#include "editormarks.h"

#include <Qsci/qsciscintilla.h>

#include <QSet>

// The editor box: Scintilla set up for the editor's line model (UTF-8 text,
// CR LF line ends, no wrapping), the C/C++ colouring, a line-number margin,
// brace matching, a marked caret line and a new line's indentation. It reports key and mouse presses so that the window can refresh
// its status line, and gives up the keys the window's menus use.
class EditorWidget : public QsciScintilla
{
    Q_OBJECT
public:
    explicit EditorWidget(QWidget *parent = nullptr);

    // Every style, the margin included, in this font.
    void setEditorFont(const QString &family, double points);

    // Removes Scintilla's bindings of these keys (Qt key codes with
    // modifiers), so that they reach the window's shortcuts instead.
    void releaseKeys(const QList<QKeySequence> &keys);

    // The compiler's messages shown in the text.
    EditorMarks &marks() { return *m_marks; }

    // Whether the text changed since the last call of markUnchanged().
    bool isChanged() const { return m_changed; }
    void markUnchanged();
    // Reports a change the program made without Scintilla's history, at once.
    void announceEdit()
    {
        m_changed = true;
        emit edited();
    }

    // Reports a change that is still waiting for its edit to end. The window
    // calls this after it edited the text itself outside the box's events.
    void settleChange();

signals:
    // The text changed. Said twice for one change: at once, while the edit
    // is still under way, so nothing can take the text for saved in between,
    // and again when the event that made it is over, with the caret where
    // the edit left it. Later edits within that event are part of it.
    void edited();
    // Before the box acts on the key.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    // After it did; only for a key whose press came to this box too, so the
    // release of a key pressed in another box is not taken for the user's.
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    // After the caret followed the click.
    void mouseDown();
    // Local files dropped on the box, in the order given.
    void filesDropped(const QStringList &paths);

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // Only a list of files may be dropped here; other data is refused.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void updateMarginWidth();
    void textLeftSavePoint();
    void indentNewLine(int character);

    EditorMarks *m_marks;
    int m_marginDigits = 0;
    bool m_changed = false;
    bool m_changePending = false;
    QSet<int> m_keysDown;
};
