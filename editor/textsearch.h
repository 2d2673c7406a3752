#pragma once

#include "caretstatus.h"
#include "editorstate.h"

#include "platform/controls.h"
#include "platform/messages.h"
#include "platform/textbox.h"

// The search bar under the editor: finds the search text downwards (">")
// or upwards ("<") from LastSearchPos, exact and case-sensitive, and
// replaces a selected match with the replacement.
//
// LastSearchPos counts from 1: a downward search examines positions from
// LastSearchPos + 1 on, an upward one from LastSearchPos back.
class TextSearch
{
public:
    struct Controls
    {
        TextBox &Text1;
        Entry &txtSearch;
        Entry &txtReplace;
        CheckBox &chkReplace;
        Button &cmdReplace;
    };

    TextSearch(EditorState &state, Controls controls, CaretStatus &caretStatus, Messages &messages);

    void cmdNext_Click();
    void cmdPrev_Click();
    void cmdReplace_Click();
    // After the user ticked or unticked the box (or the program did and says so).
    void chkReplace_Click();
    void txtSearch_Change() { m_state.LastSearchPos = 1; }
    void txtSearch_KeyPress(int KeyAscii);
    void txtReplace_KeyPress(int KeyAscii);
    void lblSearch_DblClick() { m_state.LastSearchPos = 1; }
    void mnuSearch_Click() { m_controls.txtSearch.setFocus(); }
    void mnuReplace_Click();

private:
    void select(int start, int length);
    bool selectionIsMatch(const QString &search) const;

    EditorState &m_state;
    Controls m_controls;
    CaretStatus &m_caretStatus;
    Messages &m_messages;
};
