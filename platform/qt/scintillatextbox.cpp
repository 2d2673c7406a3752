#include "scintillatextbox.h"

#include "utf16positions.h"

#include <algorithm>
#include <functional>

static const QString editorFontFamily = QStringLiteral("Courier New");

ScintillaTextBox::ScintillaTextBox(EditorWidget *editor)
    : QtControlBase(editor)
{
    send(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16);
    editor->setEditorFont(editorFontFamily, m_fontSize);
}

long ScintillaTextBox::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_widget->SendScintilla(message, wParam, lParam);
}

int ScintillaTextBox::unitsAt(long bytePos) const
{
    return Utf16Positions::offsetAt(*m_widget, bytePos);
}

long ScintillaTextBox::bytesAt(int unitPos) const
{
    return Utf16Positions::positionAt(*m_widget, unitPos);
}

int ScintillaTextBox::caretLine() const
{
    return int(send(QsciScintillaBase::SCI_LINEFROMPOSITION, send(QsciScintillaBase::SCI_GETSELECTIONSTART)));
}

int ScintillaTextBox::lineCount() const
{
    return int(send(QsciScintillaBase::SCI_GETLINECOUNT));
}

int ScintillaTextBox::lineFromPosition(int pos) const
{
    if (pos < 0)
        return caretLine();
    return int(send(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, std::min(pos, length()),
                    QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16));
}

int ScintillaTextBox::lineStart(int line) const
{
    if (line < 0)
        line = caretLine();
    return int(send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, line,
                    QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16));
}

int ScintillaTextBox::lineLengthAt(int pos) const
{
    const int line = lineFromPosition(pos);
    const int count = lineCount();
    if (line + 1 < count) {
        // The next line's start less the line break; a break is one unit per byte.
        const long breakBytes = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1)
                                - send(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
        return int(lineStart(line + 1) - lineStart(line) - breakBytes);
    }
    return length() - lineStart(line);
}

QString ScintillaTextBox::lineText(int line) const
{
    const long start = send(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    const long end = send(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
    if (start < 0 || end <= start)
        return {};
    const auto *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETRANGEPOINTER, start, end - start));
    return QString::fromUtf8(data, end - start);
}

int ScintillaTextBox::firstVisibleLine() const
{
    return int(send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
}

bool ScintillaTextBox::canUndo() const
{
    return send(QsciScintillaBase::SCI_CANUNDO) != 0;
}

void ScintillaTextBox::undo()
{
    send(QsciScintillaBase::SCI_UNDO);
}

bool ScintillaTextBox::isModified() const
{
    return m_forcedModified || m_widget->isChanged();
}

void ScintillaTextBox::setModified(bool modified)
{
    // The box can only be told that the text is unchanged; a forced
    // "modified" is remembered here until then.
    m_forcedModified = modified;
    if (!modified)
        m_widget->markUnchanged();
}

void ScintillaTextBox::setReadOnly(bool readOnly)
{
    m_widget->setReadOnly(readOnly);
}

bool ScintillaTextBox::isReadOnly() const
{
    return m_widget->isReadOnly();
}

int ScintillaTextBox::length() const
{
    return Utf16Positions::length(*m_widget);
}

QByteArray ScintillaTextBox::textUtf8() const
{
    // Scintilla hands out its buffer as one block; copying it is NUL-safe,
    // where the text calls stop at the first NUL.
    const long size = send(QsciScintillaBase::SCI_GETLENGTH);
    const auto *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return QByteArray(data, size);
}

QString ScintillaTextBox::text() const
{
    return QString::fromUtf8(textUtf8());
}

void ScintillaTextBox::setText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    // Scintilla refuses every change to a read-only text, the program's too.
    const bool readOnly = m_widget->isReadOnly();
    m_widget->setReadOnly(false);
    // A replaced text starts a new undo history and counts as unchanged;
    // keeping it out of the history also saves a copy of a large file.
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
    send(QsciScintillaBase::SCI_CLEARALL);
    m_widget->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, utf8.size(), utf8.constData());
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
    send(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    send(QsciScintillaBase::SCI_GOTOPOS, 0);
    m_widget->marks().clear();
    // Outside the history Scintilla reports nothing; the change is still one.
    m_widget->announceEdit();
    setModified(false);
    m_widget->setReadOnly(readOnly);
}

void ScintillaTextBox::replace(int start, int length, const QString &text)
{
    const long from = bytesAt(start);
    const long to = bytesAt(start + std::max(length, 0));
    const QByteArray utf8 = text.toUtf8();
    send(QsciScintillaBase::SCI_SETTARGETRANGE, from, to);
    m_widget->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, utf8.size(), utf8.constData());
    send(QsciScintillaBase::SCI_GOTOPOS, from + utf8.size());
}

int ScintillaTextBox::selectionStart() const
{
    return unitsAt(send(QsciScintillaBase::SCI_GETSELECTIONSTART));
}

void ScintillaTextBox::setSelectionStart(int pos)
{
    long byte = bytesAt(pos);
    // Scintilla puts the caret wherever it is told, also between a CR and its
    // LF, where the next key would split the line break; the caret goes to
    // the end of the line instead.
    if (byte > 0 && send(QsciScintillaBase::SCI_GETCHARAT, byte - 1) == '\r'
        && send(QsciScintillaBase::SCI_GETCHARAT, byte) == '\n')
        --byte;
    send(QsciScintillaBase::SCI_GOTOPOS, byte);
}

int ScintillaTextBox::selectionLength() const
{
    return unitsAt(send(QsciScintillaBase::SCI_GETSELECTIONEND)) - selectionStart();
}

void ScintillaTextBox::setSelectionLength(int length)
{
    const int start = selectionStart();
    const long anchor = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    send(QsciScintillaBase::SCI_SETSEL, anchor, bytesAt(start + std::max(length, 0)));
}

bool ScintillaTextBox::setFontSize(double points)
{
    if (!(points > 0 && points <= largestFontSize))
        return false;
    m_fontSize = points;
    m_widget->setEditorFont(editorFontFamily, points);
    return true;
}

std::string_view ScintillaTextBox::buffer() const
{
    const long size = send(QsciScintillaBase::SCI_GETLENGTH);
    const auto *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return {data, size_t(size)};
}

// The searches run over Scintilla's UTF-8 buffer: an exact match of UTF-8
// bytes always starts and ends on whole characters, and a byte search is
// many times quicker than the engine's own for a large document.
int ScintillaTextBox::findForward(const QString &text, int from) const
{
    if (from < 0)
        from = 0;
    if (text.isEmpty() || from > length())
        return -1;
    long start = bytesAt(from);
    if (unitsAt(start) < from) // from lies inside a character: the next one counts
        start = send(QsciScintillaBase::SCI_POSITIONAFTER, start);
    const QByteArray utf8 = text.toUtf8();
    const std::string_view all = buffer();
    const std::string_view rest = all.substr(size_t(start));
    const auto it = std::search(rest.begin(), rest.end(),
                                std::boyer_moore_horspool_searcher(utf8.cbegin(), utf8.cend()));
    return it == rest.end() ? -1 : unitsAt(start + long(it - rest.begin()));
}

int ScintillaTextBox::findBackward(const QString &text, int from) const
{
    if (text.isEmpty() || from < 0)
        return -1;
    const QByteArray utf8 = text.toUtf8();
    const std::string_view all = buffer();
    // Matches starting at from or earlier end before this byte.
    const size_t end = std::min(all.size(), size_t(bytesAt(from)) + size_t(utf8.size()));
    const std::string_view head = all.substr(0, end);
    const auto it = std::search(head.rbegin(), head.rend(),
                                std::boyer_moore_horspool_searcher(utf8.crbegin(), utf8.crend()));
    if (it == head.rend())
        return -1;
    return unitsAt(long(head.rend() - it) - long(utf8.size()));
}

void ScintillaTextBox::setMarks(const QList<Mark> &marks)
{
    QList<EditorMarks::Mark> inBytes;
    inBytes.reserve(marks.size());
    for (const Mark &mark : marks) {
        const long start = bytesAt(mark.start);
        inBytes.append({start, bytesAt(mark.start + mark.length) - start, mark.error, mark.message});
    }
    m_widget->marks().set(inBytes);
}

int ScintillaTextBox::markLine(int index) const
{
    return m_widget->marks().line(index);
}
