#include "editormarks.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QStyle>
#include <QToolTip>

namespace {
// Numbers clear of the ones QScintilla uses for folding and bookmarks.
// Scintilla draws a line's markers from the lowest number up, so on a line
// with an error and a warning the error's icon is the one seen.
constexpr int warningMarker = 20;
constexpr int errorMarker = 21;
constexpr int errorIndicator = 20;
constexpr int warningIndicator = 21;
constexpr int marginNumber = 1;
constexpr int iconSize = 14;

long bgr(int red, int green, int blue)
{
    return red | (green << 8) | (blue << 16);
}
} // namespace

EditorMarks::EditorMarks(QsciScintilla *editor)
    : QObject(editor)
    , m_editor(editor)
{
    editor->setMarginType(marginNumber, QsciScintilla::SymbolMargin);
    editor->setMarginMarkerMask(marginNumber, (1 << errorMarker) | (1 << warningMarker));
    editor->setMarginWidth(marginNumber, 0);
    editor->SendScintilla(QsciScintilla::SCI_INDICSETSTYLE, errorIndicator, QsciScintilla::INDIC_SQUIGGLE);
    editor->SendScintilla(QsciScintilla::SCI_INDICSETFORE, errorIndicator, bgr(0xD0, 0x10, 0x10));
    editor->SendScintilla(QsciScintilla::SCI_INDICSETSTYLE, warningIndicator, QsciScintilla::INDIC_SQUIGGLE);
    editor->SendScintilla(QsciScintilla::SCI_INDICSETFORE, warningIndicator, bgr(0xE0, 0x90, 0x00));
    editor->SendScintilla(QsciScintilla::SCI_SETMOUSEDWELLTIME, 400);
    connect(editor, &QsciScintilla::SCN_DWELLSTART, this, &EditorMarks::showTip);
    connect(editor, &QsciScintilla::SCN_DWELLEND, this, [] { QToolTip::hideText(); });
    connect(editor, &QsciScintilla::SCN_UPDATEUI, this, &EditorMarks::caretMoved);
}

void EditorMarks::defineIcons()
{
    // Made with the first marks, not with the editor: the icons are read
    // from image files, and reading the first one loads Qt's image plugins.
    if (m_iconsDefined)
        return;
    m_iconsDefined = true;
    QStyle *style = m_editor->style();
    m_editor->markerDefine(style->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(iconSize, iconSize).toImage(),
                           errorMarker);
    m_editor->markerDefine(style->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize).toImage(),
                           warningMarker);
}

void EditorMarks::set(const QList<Mark> &marks)
{
    if (!marks.isEmpty())
        defineIcons();
    const long length = m_editor->SendScintilla(QsciScintilla::SCI_GETLENGTH);
    for (const int indicator : {errorIndicator, warningIndicator}) {
        m_editor->SendScintilla(QsciScintilla::SCI_SETINDICATORCURRENT, indicator);
        m_editor->SendScintilla(QsciScintilla::SCI_INDICATORCLEARRANGE, 0, length);
    }
    m_editor->markerDeleteAll(errorMarker);
    m_editor->markerDeleteAll(warningMarker);
    m_handles.clear();
    m_messages.clear();
    // Errors go on last, so that their icon stands over a warning's on a
    // line with both.
    QList<const Mark *> ordered;
    for (const Mark &mark : marks)
        (mark.error ? ordered.append(&mark) : ordered.prepend(&mark));
    QList<int> handles(marks.size(), -1);
    for (const Mark *mark : ordered) {
        const long line = m_editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, mark->start);
        handles[mark - marks.data()] = m_editor->markerAdd(int(line), mark->error ? errorMarker : warningMarker);
        m_editor->SendScintilla(QsciScintilla::SCI_SETINDICATORCURRENT, mark->error ? errorIndicator : warningIndicator);
        m_editor->SendScintilla(QsciScintilla::SCI_INDICATORFILLRANGE, mark->start, mark->length);
    }
    m_handles = handles;
    for (const Mark &mark : marks)
        m_messages.append(mark.message);
    m_editor->setMarginWidth(marginNumber, marks.isEmpty() ? 0 : iconSize + 4);
    m_tipLine = -1;
    m_editor->SendScintilla(QsciScintilla::SCI_CALLTIPCANCEL);
    caretMoved(QsciScintilla::SC_UPDATE_SELECTION);
}

int EditorMarks::line(int index) const
{
    if (index < 0 || index >= m_handles.size())
        return -1;
    return m_editor->markerLine(m_handles.at(index));
}

QString EditorMarks::messagesOn(long line) const
{
    QStringList messages;
    for (int i = 0; i < m_handles.size(); ++i) {
        if (this->line(i) == line && !messages.contains(m_messages.at(i)))
            messages.append(m_messages.at(i));
    }
    return messages.join(QLatin1Char('\n'));
}

void EditorMarks::showTip(int, int x, int y)
{
    if (m_handles.isEmpty())
        return;
    // Over the margin Scintilla names no position; the nearest one tells
    // the line all the same.
    const long position = m_editor->SendScintilla(QsciScintilla::SCI_POSITIONFROMPOINT, x, y);
    const QString text = messagesOn(m_editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, position));
    if (!text.isEmpty())
        QToolTip::showText(m_editor->viewport()->mapToGlobal(QPoint(x, y)), text, m_editor->viewport());
}

void EditorMarks::caretMoved(int updated)
{
    if (!(updated & (QsciScintilla::SC_UPDATE_SELECTION | QsciScintilla::SC_UPDATE_CONTENT)))
        return;
    const long caret = m_editor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
    const long line = m_editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, caret);
    const QString text = m_handles.isEmpty() ? QString() : messagesOn(line);
    const bool showing = m_editor->SendScintilla(QsciScintilla::SCI_CALLTIPACTIVE) != 0;
    if (text.isEmpty()) {
        if (showing && m_tipLine >= 0)
            m_editor->SendScintilla(QsciScintilla::SCI_CALLTIPCANCEL);
        m_tipLine = -1;
        return;
    }
    if (showing && line == m_tipLine)
        return;
    m_tipLine = line;
    const QByteArray utf8 = text.toUtf8();
    m_editor->SendScintilla(QsciScintilla::SCI_CALLTIPSHOW,
                            m_editor->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line), utf8.constData());
}
