#include "compilermessages.h"

#include "systemfiles.h"

#include "editor/textformat.h"
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

QString CompilerMessages::findFile(const QString &file) const
{
    if (file.isEmpty())
        return {};
    if (QDir::isAbsolutePath(file))
        return m_parts.files.exists(file) ? QDir::cleanPath(file) : QString();
    const QString sourceFolder = folderOf(m_parts.runWindow.lastRun().A_srcfile);
    for (const QString &folder : {m_parts.runWindow.workDir(), sourceFolder}) {
        const QString path = QDir::cleanPath(folder + QLatin1Char('/') + file);
        if (!folder.isEmpty() && m_parts.files.exists(path))
            return path;
    }
    return {};
}

bool CompilerMessages::isSystemFile(const QString &path) const
{
    const RunRequest &run = m_parts.runWindow.lastRun();
    return SystemFiles::contains(path, folderOf(run.A_srcfile), run.A_clocation);
}

const QList<Placement> &CompilerMessages::placements()
{
    const QList<Diagnostic> &diagnostics = m_parts.runWindow.diagnostics();
    if (m_placedValid && m_placedFor.constData() == diagnostics.constData() && m_placedFor.size() == diagnostics.size())
        return m_placed;
    const QString document = QDir::cleanPath(m_parts.document.fileName());
    MessagePlacement::Sources sources;
    sources.find = [this](const QString &file) { return findFile(file); };
    sources.isSystem = [this](const QString &path) { return isSystemFile(path); };
    sources.text = [this, document](const QString &path) -> std::optional<QString> {
        // The editor's text is the one the marks go on.
        if (!document.isEmpty() && QDir::cleanPath(path) == document)
            return m_parts.Text1.text();
        if (!m_parts.files.whyNotAFile(path).isEmpty())
            return std::nullopt;
        const std::optional<QByteArray> bytes = m_parts.files.read(path, Document::largeFileBytes);
        if (!bytes)
            return std::nullopt;
        return TextCodec::decode(*bytes).text;
    };
    const QString source = m_parts.runWindow.lastRun().A_srcfile;
    sources.compiledSource = source.isEmpty() ? QString() : findFile(source);
    m_placedFor = diagnostics;
    m_placed = MessagePlacement::place(diagnostics, sources);
    m_placedValid = true;
    return m_placed;
}

Placement CompilerMessages::stated(const Diagnostic &d) const
{
    Placement p;
    p.named = d.file;
    p.path = fileOf(d);
    p.line = d.line;
    p.column = d.column;
    p.message = d.message;
    return p;
}

bool CompilerMessages::isGoable(int index)
{
    return isErrorOrWarning(m_parts.runWindow.diagnostics().at(index)) && placements().at(index).hasLocation();
}

void CompilerMessages::runStarted()
{
    m_current = -1;
    m_markOf.clear();
    m_placedValid = false;
    m_parts.Text1.setMarks({});
}

void CompilerMessages::runEnded()
{
    m_placedValid = false;
    markDocument();
}

void CompilerMessages::markDocument()
{
    m_markOf.clear();
    const QString document = QDir::cleanPath(m_parts.document.fileName());
    const QList<Diagnostic> &diagnostics = m_parts.runWindow.diagnostics();
    const QList<Placement> &placed = placements();
    QList<TextBox::Mark> marks;
    TextBox &box = m_parts.Text1;
    for (int i = 0; i < diagnostics.size(); ++i) {
        const Diagnostic &d = diagnostics.at(i);
        if (!isErrorOrWarning(d) || document.isEmpty())
            continue;
        // A message is marked where it is placed; in a system header shown
        // to read it, on the line the compiler stated.
        Placement p = placed.at(i);
        Target target = Target::Placed;
        if (p.path != document) {
            if (!p.moved || fileOf(d) != document)
                continue;
            p = stated(d);
            target = Target::Stated;
        }
        if (!p.hasLocation() || p.line > box.lineCount())
            continue;
        const QString text = box.lineText(p.line - 1);
        const int offset = p.offset >= 0 ? int(std::min<qsizetype>(p.offset, text.size()))
                                         : CompilerOutput::offsetOfColumn(text, p.column, m_parts.runWindow.columnUnit());
        const auto [start, length] = spotOnLine(text, offset, p.column > 0 || p.offset >= 0);
        m_markOf.insert(i, {int(marks.size()), target});
        marks.append({box.lineStart(p.line - 1) + start, length, d.isError(),
                      severityWord(d.severity) + QStringLiteral(": ") + p.message});
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
    if (found < 0)
        return;
    // The line of a message inside a system header still opens that header,
    // to read what the compiler says there; the lines around it lead to the
    // user's own line.
    const Diagnostic &d = diagnostics.at(found);
    const bool inSystemFile = d.hasLocation() && isSystemFile(fileOf(d).isEmpty() ? d.file : fileOf(d));
    goTo(found, line == d.outputLine && placements().at(found).moved && inSystemFile ? Target::Stated : Target::Placed);
}

void CompilerMessages::step(int direction)
{
    const QList<Diagnostic> &diagnostics = m_parts.runWindow.diagnostics();
    const QString title = direction > 0 ? QStringLiteral("Next diagnostic") : QStringLiteral("Previous diagnostic");
    bool any = false;
    for (int i = 0; i < diagnostics.size() && !any; ++i)
        any = isGoable(i);
    if (!any) {
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
    while (next >= 0 && next < diagnostics.size() && !isGoable(next))
        next += direction;
    if (next < 0 || next >= diagnostics.size()) {
        m_parts.messages.show(direction > 0 ? QStringLiteral("There is no further diagnostic: this is the last error or warning of the compile.")
                                            : QStringLiteral("There is no earlier diagnostic: this is the first error or warning of the compile."),
                              title, Buttons::Ok, Icon::Information);
        return;
    }
    goTo(next);
}

void CompilerMessages::goTo(int index, Target target)
{
    const Placement p = target == Target::Placed ? placements().at(index) : stated(m_parts.runWindow.diagnostics().at(index));
    const auto takeInHand = [this, index] {
        m_current = index;
        m_parts.runWindow.showDiagnostic(index);
    };
    if (!p.hasLocation()) {
        takeInHand();
        return;
    }
    const QString path = p.path;
    if (path.isEmpty()) {
        // Passed over, so that F8 goes on to the next one.
        takeInHand();
        m_parts.messages.show(QStringLiteral("KVN cannot find %1, the file this message is about.").arg(p.named),
                              QStringLiteral("File not found"), Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (path != QDir::cleanPath(m_parts.document.fileName())) {
        // A system header is shown to read the message in it, never to be
        // changed; a header of the program is opened to be mended, not
        // compiled. A cancelled save question leaves everything where it was.
        bool opened = false;
        if (isSystemFile(path)) {
            opened = m_parts.document.openReadOnly(path);
        } else {
            const bool isSource = path == QDir::cleanPath(m_parts.runWindow.lastRun().A_srcfile);
            opened = m_parts.document.openFile(path, isSource);
        }
        if (!opened)
            return;
        markDocument();
    }
    takeInHand();
    m_parts.showEditor();
    m_parts.mainWindow.showWindow();

    TextBox &box = m_parts.Text1;
    // The message's line moved with the edits since the compile.
    const auto mark = m_markOf.constFind(index);
    const int marked = mark != m_markOf.cend() && mark->target == target ? box.markLine(mark->mark) : -1;
    const int line = std::clamp(marked >= 0 ? marked : p.line - 1, 0, box.lineCount() - 1);
    const QString text = box.lineText(line);
    const int offset = p.offset >= 0 ? int(std::min<qsizetype>(p.offset, text.size()))
                                     : CompilerOutput::offsetOfColumn(text, p.column, m_parts.runWindow.columnUnit());
    box.setSelectionStart(box.lineStart(line) + offset);
    box.setFocus();
    m_parts.caretStatus.showCaretLine();
}
