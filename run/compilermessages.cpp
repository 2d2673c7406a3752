#include "compilermessages.h"

#include "platform/paths.h"

#include <QDir>

namespace {
QString severityWord(Diagnostic::Severity severity)
{
    switch (severity) {
    case Diagnostic::Severity::Error: return QStringLiteral("error");
    case Diagnostic::Severity::Fatal: return QStringLiteral("fatal error");
    case Diagnostic::Severity::Warning: return QStringLiteral("warning");
    case Diagnostic::Severity::Note: break;
    }
    return QStringLiteral("note");
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The spot a message points at: the word at its column, or the one
// character there; the line's text when it names no column.
std::pair<int, int> spotOnLine(const QString &text, int offset, bool hasColumn)
{
    if (!hasColumn) {
        int start = 0;
        int end = int(text.size());
        while (start < end && text[start].isSpace())
            ++start;
        while (end > start && text[end - 1].isSpace())
            --end;
        return {start, end - start};
    }
    if (offset >= text.size())
        return text.isEmpty() ? std::pair{0, 0} : std::pair{int(text.size()) - 1, 1};
    int end = offset;
    while (end < text.size() && isWordCharacter(text[end]))
        ++end;
    return {offset, std::max(end - offset, 1)};
}
} // namespace

QString CompilerMessages::fileOf(const Diagnostic &diagnostic) const
{
    if (diagnostic.file.isEmpty())
        return {};
    if (QDir::isAbsolutePath(diagnostic.file))
        return m_parts.files.exists(diagnostic.file) ? QDir::cleanPath(diagnostic.file) : QString();
    const QString sourceFolder = folderOf(m_parts.runWindow.lastRun().A_srcfile);
    for (const QString &folder : {m_parts.runWindow.workDir(), sourceFolder}) {
        const QString path = QDir::cleanPath(folder + QLatin1Char('/') + diagnostic.file);
        if (!folder.isEmpty() && m_parts.files.exists(path))
            return path;
    }
    return {};
}

void CompilerMessages::runStarted()
{
    m_current = -1;
    m_markOf.clear();
    m_parts.Text1.setMarks({});
}

void CompilerMessages::runEnded()
{
    markDocument();
}

void CompilerMessages::markDocument()
{
    m_markOf.clear();
    const QString document = QDir::cleanPath(m_parts.document.fileName());
    const QList<Diagnostic> &diagnostics = m_parts.runWindow.diagnostics();
    QList<TextBox::Mark> marks;
    TextBox &box = m_parts.Text1;
    for (int i = 0; i < diagnostics.size(); ++i) {
        const Diagnostic &d = diagnostics.at(i);
        if (!isErrorOrWarning(d) || !d.hasLocation() || d.line > box.lineCount() || document.isEmpty()
            || fileOf(d) != document) {
            continue;
        }
        const QString text = box.lineText(d.line - 1);
        const int offset = CompilerOutput::offsetOfColumn(text, d.column, m_parts.runWindow.columnUnit());
        const auto [start, length] = spotOnLine(text, offset, d.column > 0);
        m_markOf.insert(i, int(marks.size()));
        marks.append({box.lineStart(d.line - 1) + start, length, d.isError(),
                      severityWord(d.severity) + QStringLiteral(": ") + d.message});
    }
    box.setMarks(marks);
}

void CompilerMessages::outputLineActivated(int line)
{
    const QList<Diagnostic> &diagnostics = m_parts.runWindow.diagnostics();
    int found = -1;
    for (int i = 0; i < diagnostics.size(); ++i) {
        if (diagnostics.at(i).outputLine == line) {
            found = i;
            break;
        }
        if (found < 0 && diagnostics.at(i).firstLine <= line && line <= diagnostics.at(i).lastLine)
            found = i;
    }
    if (found >= 0)
        goTo(found);
}

void CompilerMessages::step(int direction)
{
    const QList<Diagnostic> &diagnostics = m_parts.runWindow.diagnostics();
    const QString title = direction > 0 ? QStringLiteral("Next diagnostic") : QStringLiteral("Previous diagnostic");
    const auto goable = [](const Diagnostic &d) { return isErrorOrWarning(d) && d.hasLocation(); };
    if (std::none_of(diagnostics.cbegin(), diagnostics.cend(), goable)) {
        m_parts.messages.show(m_parts.runWindow.hasRun()
                                  ? QStringLiteral("The last compile reported no error or warning on a line of a file.")
                                  : QStringLiteral("There are no compiler messages yet: compile the program first (Ctrl+F9)."),
                              title, Buttons::Ok, Icon::Information);
        return;
    }
    // With no message in hand, F8 starts at the first one and Shift+F8 at
    // the last; from a message it goes on in its direction and stops at the
    // end rather than starting over.
    int next = m_current < 0 ? (direction > 0 ? 0 : int(diagnostics.size()) - 1) : m_current + direction;
    while (next >= 0 && next < diagnostics.size() && !goable(diagnostics.at(next)))
        next += direction;
    if (next < 0 || next >= diagnostics.size()) {
        m_parts.messages.show(direction > 0 ? QStringLiteral("There is no further diagnostic: this is the last error or warning of the compile.")
                                            : QStringLiteral("There is no earlier diagnostic: this is the first error or warning of the compile."),
                              title, Buttons::Ok, Icon::Information);
        return;
    }
    goTo(next);
}

void CompilerMessages::goTo(int index)
{
    const Diagnostic d = m_parts.runWindow.diagnostics().at(index);
    const auto takeInHand = [this, index] {
        m_current = index;
        m_parts.runWindow.showDiagnostic(index);
    };
    if (!d.hasLocation()) {
        takeInHand();
        return;
    }
    const QString path = fileOf(d);
    if (path.isEmpty()) {
        // Passed over, so that F8 goes on to the next one.
        takeInHand();
        m_parts.messages.show(QStringLiteral("KVN cannot find %1, the file this message is about.").arg(d.file),
                              QStringLiteral("File not found"), Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (path != QDir::cleanPath(m_parts.document.fileName())) {
        // A header of the program is opened to be mended, not compiled.
        const bool isSource = path == QDir::cleanPath(m_parts.runWindow.lastRun().A_srcfile);
        // A cancelled save question leaves everything where it was.
        if (!m_parts.document.openFile(path, isSource))
            return;
        markDocument();
    }
    takeInHand();
    m_parts.showEditor();
    m_parts.mainWindow.showWindow();

    TextBox &box = m_parts.Text1;
    // The message's line moved with the edits since the compile.
    const int marked = m_markOf.contains(index) ? box.markLine(m_markOf.value(index)) : -1;
    const int line = std::clamp(marked >= 0 ? marked : d.line - 1, 0, box.lineCount() - 1);
    const int offset = CompilerOutput::offsetOfColumn(box.lineText(line), d.column, m_parts.runWindow.columnUnit());
    box.setSelectionStart(box.lineStart(line) + offset);
    box.setFocus();
    m_parts.caretStatus.showCaretLine();
}
