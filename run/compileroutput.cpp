#include "compileroutput.h"

#include <QRegularExpression>
#include <QStringList>

#include <optional>
#include <utility>

namespace {

using Severity = Diagnostic::Severity;

// The severity words of GCC, Clang and kvncc ("fatal"); Clang's "remark" is
// shown like a note.
const QString severityWords = QStringLiteral("(fatal error|fatal|error|warning|note|remark)");

Severity severityOf(const QString &word)
{
    if (word.startsWith(QLatin1String("fatal"), Qt::CaseInsensitive))
        return Severity::Fatal;
    if (word.compare(QLatin1String("error"), Qt::CaseInsensitive) == 0)
        return Severity::Error;
    if (word.compare(QLatin1String("warning"), Qt::CaseInsensitive) == 0)
        return Severity::Warning;
    return Severity::Note;
}

Diagnostic diagnostic(Severity severity, const QString &file, int line, int column, const QString &message)
{
    Diagnostic d;
    d.severity = severity;
    d.file = file;
    d.line = line;
    d.column = column;
    d.message = message;
    return d;
}

// "path:4:5: error: text" and "path:4: error: text". The path is the
// shortest prefix that fits, so a path may hold ':' and blanks while a
// message quoting "x:1:2: error: " stays part of the message.
std::optional<Diagnostic> located(const QString &line)
{
    static const QRegularExpression withColumn(QStringLiteral("^(\\S.*?):(\\d+):(\\d+): ") + severityWords
                                               + QStringLiteral(": (.*)$"));
    static const QRegularExpression withLine(QStringLiteral("^(\\S.*?):(\\d+): ") + severityWords
                                             + QStringLiteral(": (.*)$"));
    if (const auto m = withColumn.match(line); m.hasMatch())
        return diagnostic(severityOf(m.captured(4)), m.captured(1), m.captured(2).toInt(), m.captured(3).toInt(),
                          m.captured(5));
    if (const auto m = withLine.match(line); m.hasMatch())
        return diagnostic(severityOf(m.captured(3)), m.captured(1), m.captured(2).toInt(), 0, m.captured(4));
    return std::nullopt;
}

// A driver's own message: "g++: error: ...", "kvncc: fatal: ...",
// "collect2: error: ld returned 1 exit status". The program is no file.
std::optional<Diagnostic> fromProgram(const QString &line)
{
    static const QRegularExpression program(QStringLiteral("^((?:[A-Za-z]:)?[^\\s:][^:]*): ") + severityWords
                                            + QStringLiteral(": (.*)$"));
    static const QRegularExpression closing(QStringLiteral(
        "^(?:ld returned -?\\d+ exit status|linker command failed\\b.*"
        "|(?:compiling|assembling|linking|writing) .+ failed(?: \\(.+ exit status -?\\d+\\)|: .+ was ended by signal .*))$"));
    const auto m = program.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    Diagnostic d = diagnostic(severityOf(m.captured(2)), QString(), 0, 0, m.captured(3));
    d.summary = d.severity == Severity::Error && closing.match(d.message).hasMatch();
    return d;
}

// GCC's chain of template instantiations: "path:17:17:   required from ...".
std::optional<Diagnostic> templateNote(const QString &line)
{
    static const QRegularExpression required(
        QStringLiteral("^(\\S.*?):(\\d+):(\\d+):\\s+((?:recursively )?required (?:from|by) .*)$"));
    const auto m = required.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    return diagnostic(Severity::Note, m.captured(1), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4));
}

// A linker's text, with or without a severity word at its start; one in its
// middle ("/tmp/x.o: warning: ...") still tells the severity.
Diagnostic fromLinkerText(const QString &file, int line, const QString &text)
{
    static const QRegularExpression leading(QStringLiteral("^(warning|note|error): (.*)$"));
    static const QRegularExpression inner(QStringLiteral(": (warning|note): "));
    if (const auto m = leading.match(text); m.hasMatch())
        return diagnostic(severityOf(m.captured(1)), file, line, 0, m.captured(2));
    Severity severity = Severity::Error;
    if (text.startsWith(QLatin1String("first defined here")))
        severity = Severity::Note;
    else if (const auto m = inner.match(text); m.hasMatch())
        severity = severityOf(m.captured(1));
    return diagnostic(severity, file, line, 0, text);
}

// The linker names the object's source and a section offset, or the source
// line when the object has debug information, or only itself.
std::optional<Diagnostic> fromLinker(const QString &line)
{
    static const QRegularExpression section(QStringLiteral("^(\\S.*?):\\([^()]*\\): (.*)$"));
    // The C runtime's start code names no source: "(.text+0x17): undefined reference to `main'".
    static const QRegularExpression bareSection(QStringLiteral("^\\(\\.\\w[^()]*\\): (.*)$"));
    static const QRegularExpression sourceLine(
        QStringLiteral("^(\\S.*?):(\\d+): ((?:undefined reference to|multiple definition of|first defined here).*)$"));
    static const QRegularExpression linker(
        QStringLiteral("^(?:[A-Za-z]:)?[^:]*?(?:^|[/\\\\])(?:[\\w.+-]*-)?ld(?:\\.\\w+)?(?:\\.exe)?: (.*)$"));
    // GNU ld puts its own name before the second and later messages of a
    // function: "/usr/bin/ld: a.cpp:(.text+0x1a): undefined reference to ...".
    const auto withSource = [&](const QString &text) -> std::optional<Diagnostic> {
        if (const auto m = section.match(text); m.hasMatch())
            return fromLinkerText(m.captured(1), 0, m.captured(2));
        if (const auto m = bareSection.match(text); m.hasMatch())
            return fromLinkerText(QString(), 0, m.captured(1));
        if (const auto m = sourceLine.match(text); m.hasMatch())
            return fromLinkerText(m.captured(1), m.captured(2).toInt(), m.captured(3));
        return std::nullopt;
    };
    const auto m = linker.match(line);
    if (m.hasMatch()) {
        if (auto d = withSource(m.captured(1)))
            return d;
        return fromLinkerText(QString(), 0, m.captured(1));
    }
    return withSource(line);
}

// "Error E2451 my file.cpp 5: text" (the line is the first number followed
// by ':', so the file may hold blanks) and "Error: text".
std::optional<Diagnostic> classic(const QString &line)
{
    static const QRegularExpression located(
        QStringLiteral("^(Error|Warning|Fatal)(?: [A-Z]\\d+)? (\\S.*?) (\\d+): (.*)$"));
    static const QRegularExpression bare(QStringLiteral("^(Error|Warning|Fatal): (.*)$"));
    if (const auto m = located.match(line); m.hasMatch())
        return diagnostic(severityOf(m.captured(1)), m.captured(2), m.captured(3).toInt(), 0, m.captured(4));
    if (const auto m = bare.match(line); m.hasMatch())
        return diagnostic(severityOf(m.captured(1)), QString(), 0, 0, m.captured(2));
    return std::nullopt;
}

// Lines that introduce the message after them.
bool isContext(const QString &line)
{
    static const QRegularExpression context(QStringLiteral(
        "^(?:In file included from \\S.*:\\d+(?::\\d+)?[,:]"
        "|\\s+from \\S.*:\\d+(?::\\d+)?[,:]"
        "|\\S.*?: (?:In |At |in function ).*:)$"));
    return context.match(line).hasMatch();
}

// "2 errors generated.": only Clang counts this way.
bool isClangCount(const QString &line)
{
    static const QRegularExpression generated(
        QStringLiteral("^\\d+ (?:errors?|warnings?)(?: and \\d+ (?:errors?|warnings?))? generated\\b"));
    return generated.match(line).hasMatch();
}

bool isClassicCount(const QString &line)
{
    static const QRegularExpression total(QStringLiteral("^\\*\\*\\* \\d+ errors? in Compile \\*\\*\\*$"));
    return total.match(line).hasMatch();
}

// The caret line under a quoted source line, as Clang prints it.
bool isCaretLine(const QString &line)
{
    static const QRegularExpression caret(QStringLiteral("^[ \\t]*[~^][~^ \\t]*$"));
    return caret.match(line).hasMatch();
}

// Lines that only carry on the message before them: quoted source, carets,
// fix-its, the linker's ">>>" lines. Any line starting with a blank is one,
// so a quoted line that holds ": error: " in a string is never a message.
bool isContinuation(const QString &line)
{
    static const QRegularExpression quoted(QStringLiteral("^\\s*\\d+ \\| "));
    return (!line.isEmpty() && line.at(0).isSpace()) || line.startsWith(QLatin1String(">>>"))
           || line == QLatin1String("compilation terminated.") || quoted.match(line).hasMatch();
}

// The forms without a severity word, tried once the context lines are ruled
// out (the linker's "in function" line would read as a linker error).
std::optional<Diagnostic> wordless(const QString &line)
{
    for (const auto reader : {templateNote, fromLinker, classic}) {
        if (auto d = reader(line))
            return d;
    }
    return std::nullopt;
}

class Parser
{
public:
    explicit Parser(const QString &output)
        : m_lines(output.split(QLatin1Char('\n')))
    {
        for (QString &line : m_lines) {
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
        }
    }

    ParsedOutput run()
    {
        for (int i = 0; i < m_lines.size(); ++i)
            read(i);
        return m_result;
    }

private:
    // Clang quotes the source line as it is, so a line at column 0 that
    // follows a message and has a caret line below it is quoted source.
    bool isQuotedByClang(int i) const
    {
        return m_open >= 0 && m_result.diagnostics.at(m_open).lastLine == i - 1 && i + 1 < m_lines.size()
               && isCaretLine(m_lines.at(i + 1));
    }

    void read(int i)
    {
        const QString &line = m_lines.at(i);
        // GCC's "                 from b.h:2," leads with blanks like quoted source.
        if (isContext(line) && line.at(0).isSpace()) {
            startContext(i);
            noteInclusion(line);
        } else if (isContinuation(line) || isQuotedByClang(i)) {
            if (m_open >= 0 && m_contextStart < 0) {
                m_result.diagnostics[m_open].lastLine = i;
                noteReference(line);
            }
        } else if (isClangCount(line) || isClassicCount(line)) {
            if (isClangCount(line))
                m_result.columns = ColumnUnit::Byte;
            m_result.recognised = true;
            closeAll();
        } else if (auto d = located(line)) {
            add(*d, i);
        } else if (auto d = fromProgram(line)) {
            add(*d, i);
        } else if (isContext(line)) {
            startContext(i);
            noteInclusion(line);
        } else if (auto d = wordless(line)) {
            add(*d, i);
        } else {
            closeAll();
        }
    }

    void add(Diagnostic d, int i)
    {
        d.outputLine = i;
        d.firstLine = m_contextStart >= 0 ? m_contextStart : i;
        d.lastLine = i;
        m_result.diagnostics.append(d);
        m_result.recognised = true;
        m_open = int(m_result.diagnostics.size()) - 1;
        m_contextStart = -1;
        m_result.diagnostics[m_open].includedFrom = std::exchange(m_includes, {});
    }

    // GCC names the includes innermost first, "In file included from x:1,"
    // then "from y:2:" lines; Clang gives each its own "In file included
    // from" line, outermost first. Both are kept innermost first.
    void noteInclusion(const QString &line)
    {
        static const QRegularExpression first(QStringLiteral("^In file included from (\\S.*?):(\\d+)(?::(\\d+))?[,:]$"));
        static const QRegularExpression further(QStringLiteral("^\\s+from (\\S.*?):(\\d+)(?::(\\d+))?[,:]$"));
        if (const auto m = first.match(line); m.hasMatch()) {
            m_includes.insert(0, {m.captured(1), m.captured(2).toInt(), m.captured(3).toInt()});
            m_furtherAt = 1;
        } else if (const auto m = further.match(line); m.hasMatch()) {
            m_furtherAt = std::min(m_furtherAt, int(m_includes.size()));
            m_includes.insert(m_furtherAt++, {m.captured(1), m.captured(2).toInt(), m.captured(3).toInt()});
        }
    }

    // lld names where a symbol is used or defined on ">>>" lines after its
    // message: ">>> referenced by a.cpp:5 (/p/a.cpp:5)", ">>> defined at
    // a.cpp", or an object and its section when no source is known.
    void noteReference(const QString &line)
    {
        static const QRegularExpression source(
            QStringLiteral("^>>> (?:referenced by|defined at) ([^\\s(][^(]*?)(?::(\\d+))?(?: \\((.+?)(?::\\d+)?\\))?$"));
        Diagnostic &d = m_result.diagnostics[m_open];
        if (!d.file.isEmpty())
            return;
        const auto m = source.match(line);
        if (!m.hasMatch() || m.captured(1).contains(QLatin1String(":(")))
            return;
        // The whole path in brackets, when there is one, names the file surely.
        d.file = m.captured(3).isEmpty() ? m.captured(1) : m.captured(3);
        d.line = m.captured(2).toInt();
    }

    void startContext(int i)
    {
        if (m_contextStart < 0) {
            m_contextStart = i;
            m_includes.clear();
        }
        m_open = -1;
        m_result.recognised = true;
    }

    void closeAll()
    {
        m_open = -1;
        m_contextStart = -1;
        m_includes.clear();
    }

    QStringList m_lines;
    ParsedOutput m_result;
    int m_open = -1;         // the message whose following lines are still coming
    int m_contextStart = -1; // the first context line waiting for its message
    QList<Diagnostic::Place> m_includes; // the include chain waiting for its message
    int m_furtherAt = 0;                 // where GCC's next "from" line goes in it
};

// East Asian wide and fullwidth characters and emoji, which a terminal and
// GCC give two columns.
bool isWide(char32_t c)
{
    static constexpr struct { char32_t first, last; } wide[] = {
        {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x25FD, 0x25FE},
        {0x2614, 0x2615},   {0x2648, 0x2653},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26F5, 0x26F5},
        {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2753, 0x2755},   {0x2795, 0x2797},   {0x2E80, 0x303E},
        {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},
        {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
        {0xFFE0, 0xFFE6},   {0x16FE0, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF},
        {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F2FF}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
        {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x3FFFD},
    };
    for (const auto &range : wide) {
        if (c >= range.first && c <= range.last)
            return true;
    }
    return false;
}

int utf8Length(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

} // namespace

ParsedOutput CompilerOutput::parse(const QString &output)
{
    return Parser(output).run();
}

int CompilerOutput::offsetOfColumn(const QString &lineText, int column, ColumnUnit unit)
{
    if (column < 1)
        return 0;
    int reached = 1; // the column where the character at offset starts
    for (int offset = 0; offset < lineText.size();) {
        const QChar first = lineText.at(offset);
        const bool pair = first.isHighSurrogate() && offset + 1 < lineText.size()
                          && lineText.at(offset + 1).isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(first, lineText.at(offset + 1)) : first.unicode();
        int width = 1;
        if (unit == ColumnUnit::Byte)
            width = utf8Length(c);
        else if (c == U'\t')
            width = 8 - (reached - 1) % 8;
        else if (isWide(c))
            width = 2;
        if (column < reached + width)
            return offset;
        reached += width;
        offset += pair ? 2 : 1;
    }
    return int(lineText.size());
}
