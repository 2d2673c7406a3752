#include "ctextboxex.h"

int CTextBoxEx::LineLen(int CharPos) const
{
    return mtxtBox->lineLengthAt(CharPos);
}

int CTextBoxEx::GetLineFromChar(int CharPos) const
{
    return mtxtBox->lineFromPosition(CharPos);
}

int CTextBoxEx::LineCount() const
{
    return mtxtBox->lineCount();
}

int CTextBoxEx::TopLine() const
{
    return mtxtBox->firstVisibleLine();
}

bool CTextBoxEx::CanUndo() const
{
    return mtxtBox->canUndo();
}

bool CTextBoxEx::isLine(int LineIndex) const
{
    // -1 is the caret's line; other negative indices name no line.
    return LineIndex >= -1 && LineIndex < LineCount();
}

std::optional<int> CTextBoxEx::GetCharFromLine(int LineIndex) const
{
    if (!isLine(LineIndex))
        return std::nullopt;
    return mtxtBox->lineStart(LineIndex);
}

QString CTextBoxEx::GetLine(int LineIndex) const
{
    if (!isLine(LineIndex))
        return {};
    const int start = *GetCharFromLine(LineIndex);
    if (LineLen(start) < 1)
        return {};
    // Lines of any length come back whole.
    return mtxtBox->lineText(mtxtBox->lineFromPosition(start));
}

void CTextBoxEx::Undo()
{
    mtxtBox->undo();
}

void CTextBoxEx::DelLine(int LineIndex)
{
    if (!isLine(LineIndex))
        return;
    const int caret = mtxtBox->selectionStart();
    const int start = *GetCharFromLine(LineIndex);
    const int len = LineLen(start);
    // Removing just the line's characters gives the same text as rebuilding
    // it around them, without copying the document, and keeps it undoable.
    mtxtBox->replace(start, len, QString());
    // The caret keeps its place in the text around the line; one inside the
    // removed characters goes to the start of the emptied line, never past
    // it into its line break.
    const int end = start + len;
    mtxtBox->setSelectionStart(caret <= start ? caret : caret >= end ? caret - len : start);
}

void CTextBoxEx::setIsDirty(bool blnDirty)
{
    mtxtBox->setModified(blnDirty);
}

bool CTextBoxEx::IsDirty() const
{
    return mtxtBox->isModified();
}

void CTextBoxEx::selectAll()
{
    mtxtBox->setSelectionStart(0);
    mtxtBox->setSelectionLength(mtxtBox->length());
}

void CTextBoxEx::cutLine()
{
    const int line = GetLineFromChar(mtxtBox->selectionStart());
    m_clipboard.setText(GetLine(line));
    DelLine(line);
}

void CTextBoxEx::mtxtBox_KeyDown(int KeyCode, KeyModifiers Shift)
{
    if (!mtxtBox || Shift != KeyModifiers(KeyModifier::Ctrl))
        return;
    if (KeyCode == Keys::A)
        selectAll();
    else if (KeyCode == Keys::Y)
        cutLine();
}
