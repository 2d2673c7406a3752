#include "faketextbox.h"

#include <algorithm>

static const QString crlf = QStringLiteral("\r\n");

int FakeTextBox::lineCount() const
{
    return int(m_text.count(crlf)) + 1;
}

int FakeTextBox::lineFromPosition(int pos) const
{
    if (pos < 0)
        pos = m_selStart;
    pos = std::min(pos, length());
    int line = 0;
    for (qsizetype at = m_text.indexOf(crlf); at >= 0 && at < pos - 1; at = m_text.indexOf(crlf, at + 2))
        ++line;
    // A position between CR and LF still lies on the line the CR ends.
    return line;
}

int FakeTextBox::lineStart(int line) const
{
    if (line < 0)
        line = lineFromPosition(-1);
    qsizetype start = 0;
    for (int i = 0; i < line; ++i) {
        const qsizetype at = m_text.indexOf(crlf, start);
        if (at < 0)
            return int(start);
        start = at + 2;
    }
    return int(start);
}

int FakeTextBox::lineLengthAt(int pos) const
{
    const int start = lineStart(lineFromPosition(pos));
    qsizetype end = m_text.indexOf(crlf, start);
    if (end < 0)
        end = m_text.size();
    return int(end - start);
}

QString FakeTextBox::lineText(int line) const
{
    const int start = lineStart(line);
    return m_text.mid(start, lineLengthAt(start));
}

void FakeTextBox::undo()
{
    if (m_undo.isEmpty())
        return;
    m_text = m_undo.takeLast();
    setSelectionStart(m_selStart);
    changed();
}

void FakeTextBox::setText(const QString &text)
{
    m_undo.clear();
    m_text = text;
    m_selStart = 0;
    m_selLength = 0;
    m_marks.clear();
    changed();
    m_modified = false;
}

void FakeTextBox::replace(int start, int length, const QString &text)
{
    if (m_readOnly)
        return;
    start = std::clamp(start, 0, this->length());
    length = std::clamp(length, 0, this->length() - start);
    m_undo.append(m_text);
    m_text.replace(start, length, text);
    m_selStart = start + int(text.size());
    m_selLength = 0;
    changed();
}

void FakeTextBox::setSelectionStart(int pos)
{
    m_selStart = std::clamp(pos, 0, length());
    m_selLength = 0;
}

void FakeTextBox::setSelectionLength(int length)
{
    m_selLength = std::clamp(length, 0, this->length() - m_selStart);
}

bool FakeTextBox::setFontSize(double points)
{
    if (points <= 0)
        return false;
    m_fontSize = points;
    return true;
}

void FakeTextBox::type(const QString &text)
{
    replace(m_selStart, m_selLength, text);
}

void FakeTextBox::changed()
{
    m_modified = true;
    ++changeCount;
    if (onChange)
        onChange();
}

int FakeTextBox::findForward(const QString &text, int from) const
{
    if (from < 0)
        from = 0;
    return from > length() ? -1 : int(m_text.indexOf(text, from, Qt::CaseSensitive));
}

int FakeTextBox::findBackward(const QString &text, int from) const
{
    return from < 0 ? -1 : int(m_text.lastIndexOf(text, std::min(from, length()), Qt::CaseSensitive));
}
