#pragma once

#include "platform/clipboard.h"
#include "platform/keys.h"
#include "platform/textbox.h"

#include <optional>

// Line-oriented access to the editor box, and the box's two keys of its own:
// Ctrl+A selects everything, Ctrl+Y cuts the caret's line to the clipboard.
// Every query is answered by the box's own line index in the editor's line
// model (see TextBox), so callers may ask on every key press.
class CTextBoxEx
{
public:
    explicit CTextBoxEx(Clipboard &clipboard) : m_clipboard(clipboard) {}

    // Length of the line holding CharPos (a position, not a line index).
    int LineLen(int CharPos) const;
    // The line holding CharPos; past the end is the last line.
    int GetLineFromChar(int CharPos) const;
    int LineCount() const;
    int TopLine() const;
    bool CanUndo() const;
    // Start of a line, or nothing when LineIndex is not a line of the text.
    // -1 stands for the line holding the caret.
    std::optional<int> GetCharFromLine(int LineIndex) const;
    // A line's text without its line break; "" for an empty line or a
    // LineIndex that is not a line of the text.
    QString GetLine(int LineIndex) const;
    void Undo();
    // Empties a line and keeps its line break; the caret keeps its place in
    // the text around it, or goes to the line's start when it was inside.
    void DelLine(int LineIndex);
    void setIsDirty(bool blnDirty);
    bool IsDirty() const;

    void setTextBox(TextBox *txtNewBox) { mtxtBox = txtNewBox; }
    TextBox *textBox() const { return mtxtBox; }

    // Ctrl+A: the whole text becomes the selection.
    void selectAll();
    // Ctrl+Y: the caret's line goes to the clipboard and is emptied.
    void cutLine();

    // Key-down in the bound box. The key is never swallowed.
    void mtxtBox_KeyDown(int KeyCode, KeyModifiers Shift);

private:
    bool isLine(int LineIndex) const;

    TextBox *mtxtBox = nullptr;
    Clipboard &m_clipboard;
};
