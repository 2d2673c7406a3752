#include "textsearch.h"

#include <algorithm>

TextSearch::TextSearch(EditorState &state, Controls controls, CaretStatus &caretStatus, Messages &messages)
    : m_state(state)
    , m_controls(controls)
    , m_caretStatus(caretStatus)
    , m_messages(messages)
{
}

void TextSearch::select(int start, int length)
{
    m_controls.Text1.setSelectionStart(start);
    m_controls.Text1.setSelectionLength(length);
}

void TextSearch::cmdNext_Click()
{
    const QString search = m_controls.txtSearch.text();
    const int length = m_controls.Text1.length();
    const int from = m_state.LastSearchPos; // 0-based offset of position LastSearchPos + 1
    if (search.isEmpty()) {
        // The empty text matches at the first position examined.
        if (from >= 0 && from + 1 <= length) {
            select(from, 0);
            m_state.LastSearchPos = from + 1;
        }
        return;
    }
    const int found = m_controls.Text1.findForward(search, std::max(from, 0));
    if (found < 0 || found + search.size() > length)
        return;
    select(found, int(search.size()));
    m_state.LastSearchPos = found + 1;
}

void TextSearch::cmdPrev_Click()
{
    const QString search = m_controls.txtSearch.text();
    const int last = m_state.LastSearchPos - 1; // 0-based offset of position LastSearchPos
    if (last < 0)
        return;
    if (search.isEmpty()) {
        select(last, 0);
        m_state.LastSearchPos = last;
        return;
    }
    const int found = m_controls.Text1.findBackward(search, std::min(last, m_controls.Text1.length()));
    if (found < 0)
        return;
    select(found, int(search.size()));
    m_state.LastSearchPos = found;
}

bool TextSearch::selectionIsMatch(const QString &search) const
{
    const TextBox &box = m_controls.Text1;
    const int start = box.selectionStart();
    return box.selectionLength() == search.size() && box.findForward(search, start) == start;
}

void TextSearch::cmdReplace_Click()
{
    if (!m_controls.chkReplace.isChecked())
        return;
    const QString search = m_controls.txtSearch.text();
    if (search.isEmpty()) {
        m_messages.show(QStringLiteral("Type the text to be replaced into the search box first."),
                        QStringLiteral("Replace"), Buttons::Ok, Icon::Information);
        return;
    }
    // Only a match that is selected is ever replaced. Otherwise the next one
    // is found and selected, and the next press replaces it.
    if (!selectionIsMatch(search)) {
        cmdNext_Click();
        if (!selectionIsMatch(search))
            m_messages.show(QStringLiteral("No more \"%1\" to replace below the last match.\r"
                                           "Double-click \"Search\" to search again from the top.")
                                .arg(search),
                            QStringLiteral("Replace"), Buttons::Ok, Icon::Information);
        return;
    }
    TextBox &box = m_controls.Text1;
    // A file shown only to be read takes no replacement; the match stays
    // selected and the caret where it is.
    if (box.isReadOnly()) {
        m_messages.show(QStringLiteral("Nothing was replaced: this file is shown read-only."), QStringLiteral("Replace"),
                        Buttons::Ok, Icon::Information);
        return;
    }
    // The document changes in place, as one edit the user can undo; the caret
    // then goes to the top, where the next downward search starts.
    box.replace(box.selectionStart(), int(search.size()), m_controls.txtReplace.text());
    box.setSelectionStart(0);
    m_caretStatus.Text1_Change();
}

void TextSearch::chkReplace_Click()
{
    const bool on = m_controls.chkReplace.isChecked();
    m_controls.cmdReplace.setEnabled(on);
    m_controls.txtReplace.setEnabled(on);
}

void TextSearch::txtSearch_KeyPress(int KeyAscii)
{
    if (KeyAscii != 13)
        return;
    if (m_controls.chkReplace.isChecked()) {
        m_controls.txtReplace.setFocus();
        return;
    }
    m_messages.show(QStringLiteral("Please click either (<) Last or Next (>)"), QStringLiteral("Please..."), Buttons::Ok,
                    Icon::Information);
}

void TextSearch::txtReplace_KeyPress(int KeyAscii)
{
    if (KeyAscii != 13)
        return;
    m_messages.show(QStringLiteral("Please click either (<) Last or Next (>) to search for text to be replaced, and click "
                                   "Replace to do so."),
                    QStringLiteral("Please..."), Buttons::Ok, Icon::Information);
}

void TextSearch::mnuReplace_Click()
{
    m_controls.chkReplace.setChecked(true);
    chkReplace_Click();
    m_controls.txtSearch.setFocus();
}
