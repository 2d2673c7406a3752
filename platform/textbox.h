#pragma once

#include "controls.h"

#include <QList>
#include <QString>

// The multi-line editor box, answered in the editor's line model:
// - lines are separated by CR LF inside the box, whatever the file had;
// - positions are 0-based counts of QString units from the start of the
//   text, CR and LF counting one each;
// - lines count from 0; a text ending in CR LF has one more, empty, line and
//   an empty text has one line;
// - a line's length excludes its line break.
// Every query is cheap enough to run on each key press of a very large
// document: none of them copies the whole text except text().
class TextBox : public Control
{
public:
    virtual int lineCount() const = 0;

    // The line holding pos. A position past the end belongs to the last line;
    // -1 means the line holding the caret.
    virtual int lineFromPosition(int pos) const = 0;

    // Where the line starts. -1 means the caret's line; the caller keeps
    // other values within 0 .. lineCount() - 1.
    virtual int lineStart(int line) const = 0;

    // Length of the line holding pos (a position, not a line index).
    virtual int lineLengthAt(int pos) const = 0;

    // The text of a line without its line break; the caller keeps line within
    // 0 .. lineCount() - 1.
    virtual QString lineText(int line) const = 0;

    virtual int firstVisibleLine() const = 0;

    virtual bool canUndo() const = 0;
    virtual void undo() = 0;
    // The box's own modified flag.
    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;
    // A read-only box refuses every change but a whole new text (setText):
    // typing, pasting, cutting, undo and replace leave the text as it is.
    virtual void setReadOnly(bool readOnly) = 0;
    virtual bool isReadOnly() const = 0;

    virtual int length() const = 0;
    virtual QString text() const = 0;
    // The whole text in UTF-8, which a large document gives up faster.
    virtual QByteArray textUtf8() const = 0;
    // Replaces the whole text, which then counts as unmodified with nothing
    // to undo; the caret goes to the start.
    virtual void setText(const QString &text) = 0;
    // Replaces length units from start with text, as one undoable edit.
    virtual void replace(int start, int length, const QString &text) = 0;

    // The caret is at the selection's start; setting the start clears the
    // selection and scrolls the caret into view. Out-of-range values are
    // clamped to the text.
    virtual int selectionStart() const = 0;
    virtual void setSelectionStart(int pos) = 0;
    virtual int selectionLength() const = 0;
    virtual void setSelectionLength(int length) = 0;

    // Where text (not empty) first occurs starting at from or later, or
    // last occurs starting at from or earlier; -1 when it does not. Exact,
    // case-sensitive, and answered without copying the document.
    virtual int findForward(const QString &text, int from) const = 0;
    virtual int findBackward(const QString &text, int from) const = 0;

    // A message of the compiler in the text: its line is marked in the
    // margin, length units from start are underlined, and message shows
    // when the mouse rests on the line or the caret stands on it.
    struct Mark
    {
        int start = 0;
        int length = 0;
        bool error = true; // else a warning
        QString message;
    };
    // These marks in place of any before. They move with the edits; a new
    // text (setText) removes them.
    virtual void setMarks(const QList<Mark> &marks) = 0;
    // The line mark index stands on now; -1 when it has none (its line was
    // deleted, or there is no such mark).
    virtual int markLine(int index) const = 0;

    virtual double fontSize() const = 0;
    // False when the box refuses the size.
    virtual bool setFontSize(double points) = 0;
};
