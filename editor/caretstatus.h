#pragma once

#include "ctextboxex.h"
#include "editorcontrols.h"
#include "editorstate.h"

#include <optional>

// The status line under the editor, the go-to-line box, and the change
// trigger that marks the document unsaved on every edit.
class CaretStatus
{
public:
    CaretStatus(EditorState &state, EditorControls controls, const CTextBoxEx &textBoxEx);

    void Text1_Change();
    void Text1_KeyDown() { showCaretLine(); }
    void Text1_KeyUp() { showCaretLine(); }
    void Text1_MouseDown() { showCaretLine(); }
    void txtGotoLine_KeyPress(int KeyAscii);

    // "Current line: L out of N line(s)" for the caret as it stands.
    void showCaretLine();

    static QString caretLineText(int line, int lineCount);
    static QString gotoLineText(int line, int lineCount);
    // The line number typed into the go-to box: any decimal number, rounded
    // half to even; nothing for text or a number beyond 32 bits.
    static std::optional<int> parseLineNumber(const QString &text);

private:
    void goToLine();

    EditorState &m_state;
    EditorControls m_controls;
    const CTextBoxEx &m_textBoxEx;
};
