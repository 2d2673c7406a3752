#include "runwindow.h"

#include "commandline.h"

#include <QStringDecoder>

#include <algorithm>

namespace {
const QString crlf = QStringLiteral("\r\n");

QString header()
{
    return QStringLiteral("Command passed:\r\n");
}

// How many lines text ends, counted as the output box breaks them.
int lineBreaks(QStringView text)
{
    int breaks = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
            ++breaks;
    }
    return breaks;
}

// Whether an error of diagnostics is one of those counted: a driver's
// closing line is, only when no other error states the failure.
bool counts(const Diagnostic &error, const QList<Diagnostic> &diagnostics)
{
    return !error.summary || std::none_of(diagnostics.cbegin(), diagnostics.cend(), [](const Diagnostic &d) {
        return d.isError() && !d.summary;
    });
}

QString decode(const QByteArray &bytes)
{
    // The compiler's own messages are UTF-8 here (a U+FFFD among them
    // included); output that is not UTF-8 keeps its bytes as Latin-1.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}
} // namespace

RunWindow::RunWindow(Controls controls, Services services)
    : m_controls(controls)
    , m_services(services)
{
    m_controls.Timer1.setInterval(armingDelay);
    m_controls.Timer1.setEnabled(false);
    m_controls.Timer1.onTimeout([this] { Timer1_Timer(); });
    m_controls.cmdStop.setVisible(false);
}

bool RunWindow::isRunning() const
{
    return m_services.process.isRunning();
}

void RunWindow::Form_Load()
{
    m_loaded = true;
    m_controls.Timer1.setInterval(armingDelay);
    m_controls.Timer1.setEnabled(true);
    m_controls.window.showWindow();
    applyFontSize();
    m_controls.Text1.setText(waitingText());
    if (request.A_start)
        setVerdict(QString());
}

void RunWindow::Text1_Painted()
{
    // The waiting text is on the screen: the armed run need not wait longer.
    if (m_controls.Timer1.isEnabled() && m_controls.Timer1.interval() != 0) {
        m_controls.Timer1.setInterval(0);
        m_controls.Timer1.setEnabled(true);
    }
}

void RunWindow::Timer1_Timer()
{
    m_controls.Timer1.setEnabled(false);
    if (request.A_start)
        RunCompiler();
    else
        showLastOutput();
}

void RunWindow::showLastOutput()
{
    applyFontSize();
    const QString results = m_workDir + QStringLiteral("results.txt");
    if (!m_services.files.exists(results)) {
        // Nothing compiled yet, or its output was removed: what is shown
        // says so, with no verdict of an output that is gone.
        m_parsed = {};
        m_controls.Text1.setText(noOutputText());
        setVerdict(QString());
        return;
    }
    const QString text = decode(m_services.files.read(results).value_or(QByteArray()));
    // The compiler's output follows the header and its blank line.
    qsizetype outputAt = 0;
    if (text.startsWith(header())) {
        const qsizetype blank = text.indexOf(crlf + crlf);
        outputAt = blank < 0 ? text.size() : blank + 2 * crlf.size();
    }
    m_controls.Text1.setText(QString());
    showOutput(text, text.mid(outputAt), lineBreaks(QStringView(text).left(outputAt)));
    if (!m_hasRun)
        setVerdict(QStringLiteral("Last compile: %1.").arg(countText(m_parsed.diagnostics)));
}

void RunWindow::RunCompiler()
{
    string1 = CommandLine::assemble(request);
    m_lastRun = request;
    // The script and the compiler's output live in a folder of this
    // process's own: a file planted in the working folder can never run
    // in their place, and two KVNs in one folder never share them.
    const QString scratch = m_services.files.scratchFolder();
    m_runBat.clear();
    m_output.clear();
    FileSystem::WriteResult written{false, QStringLiteral("there is no private folder to write it in")};
    if (!scratch.isEmpty()) {
        m_runBat = scratch + QStringLiteral("Run.bat");
        m_output = scratch + QStringLiteral("output.txt");
        m_services.files.remove(m_output); // an earlier run's output must not pass for this one's
        written = m_services.files.replace(m_runBat, CommandLine::runBat(request, string1, m_output));
    }
    if (!written.ok) {
        Process::Result notRun;
        notRun.outcome = Process::Result::Outcome::FailedToStart;
        notRun.error = QStringLiteral("KVN could not write its compile script: %1.").arg(written.error);
        runEnded(notRun);
        return;
    }
    m_controls.cmdStop.setVisible(true);
    setVerdict(QStringLiteral("Compiling..."));
    m_parsed = {};
    if (m_runStarted)
        m_runStarted();
    m_services.process.start(QStringLiteral("/bin/sh"), {m_runBat}, m_workDir,
                             [this](const Process::Result &result) { runEnded(result); });
}

void RunWindow::runEnded(const Process::Result &result)
{
    m_controls.cmdStop.setVisible(false);
    QString output;
    if (!m_output.isEmpty()) {
        m_services.files.remove(m_runBat);
        output = decode(m_services.files.read(m_output).value_or(QByteArray()));
        m_services.files.remove(m_output);
    }
    // What the shell or a compiler that does not use standard output said
    // on standard error belongs to the output too.
    if (!result.errorOutput.isEmpty()) {
        if (!output.isEmpty() && !output.endsWith(QLatin1Char('\n')))
            output += crlf;
        output += result.errorOutput;
    }
    const QString head = header() + string1 + crlf + crlf;
    const QString text = head + output;
    showOutput(text, output, lineBreaks(head));
    // Kept for users who read it, as a file of KVN's own: a link planted
    // under this name is replaced, never written through.
    m_services.files.replace(m_workDir + QStringLiteral("results.txt"), (text + crlf).toUtf8());

    // The verdict reads the compiler's messages, not the command line above
    // them nor the words inside a warning. Only output in a form no message
    // was found in is searched for the error keywords.
    const bool errorStated = std::any_of(m_parsed.diagnostics.cbegin(), m_parsed.diagnostics.cend(),
                                         [](const Diagnostic &d) { return d.isError(); });
    QString failure;
    switch (result.outcome) {
    case Process::Result::Outcome::FailedToStart:
        failure = QStringLiteral("The compiler could not be started: %1").arg(result.error);
        break;
    case Process::Result::Outcome::Crashed:
        failure = QStringLiteral("The compiler ended abnormally: %1").arg(result.error);
        break;
    case Process::Result::Outcome::Stopped:
        failure = QStringLiteral("The compiler was stopped before it finished.");
        break;
    case Process::Result::Outcome::Finished:
        if (result.exitCode == 127)
            failure = QStringLiteral("The compiler could not be started: %1 was not found or cannot be run.")
                          .arg(m_lastRun.A_clocation);
        else if (result.exitCode != 0 && !errorStated) // the errors say why already
            failure = QStringLiteral("The compiler ended with exit status %1.").arg(result.exitCode);
        break;
    }
    if (failure.isEmpty() && !m_parsed.recognised) {
        const QString keyword = CommandLine::foundKeyword(output, m_lastRun.A_ErrKeyList);
        if (!keyword.isEmpty())
            failure = QStringLiteral("The compiler's output holds the word \"%1\".").arg(keyword);
    }
    ok = failure.isEmpty() && !errorStated
         && (result.outcome == Process::Result::Outcome::Finished && result.exitCode == 0);
    m_hasRun = true;
    m_verdict = QStringLiteral("%1: %2.")
                    .arg(ok ? QStringLiteral("Compilation successful") : QStringLiteral("Compilation unsuccessful"),
                         countText(m_parsed.diagnostics));
    if (!failure.isEmpty())
        m_verdict += QLatin1Char(' ') + failure;
    setVerdict(m_verdict);
    // The verdict is read there: over a maximised editor too.
    m_controls.window.showWindow();
    if (!ok) {
        m_services.messages.show(QStringLiteral("Compilation unsuccessful..."), QStringLiteral("Compilation unsuccessful..."),
                                 Buttons::Ok, Icon::Information);
    }
    if (m_runEnded)
        m_runEnded();
}

void RunWindow::showOutput(const QString &text, const QString &output, int outputStart)
{
    m_controls.Text1.setText(text);
    // The box breaks lines at a lone CR as well; so does the parse.
    QString lines = output;
    lines.replace(crlf, QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_parsed = CompilerOutput::parse(lines);
    QList<OutputBox::MarkedLine> marked;
    for (Diagnostic &d : m_parsed.diagnostics) {
        d.outputLine += outputStart;
        d.firstLine += outputStart;
        d.lastLine += outputStart;
        // A closing line that only repeats a failure stated above is shown
        // as the note it is, so the error icons are the errors counted.
        const OutputBox::LineKind kind = d.isError() && counts(d, m_parsed.diagnostics) ? OutputBox::LineKind::Error
                                         : d.severity == Diagnostic::Severity::Warning   ? OutputBox::LineKind::Warning
                                                                                         : OutputBox::LineKind::Note;
        marked.append({d.outputLine, kind});
    }
    m_controls.Text1.markLines(marked);
}

void RunWindow::showDiagnostic(int index)
{
    if (index < 0 || index >= m_parsed.diagnostics.size()) {
        m_controls.Text1.showCurrent(-1, -1);
        return;
    }
    const Diagnostic &d = m_parsed.diagnostics.at(index);
    m_controls.Text1.showCurrent(d.firstLine, d.lastLine);
}

QString RunWindow::countText(const QList<Diagnostic> &diagnostics)
{
    int errors = 0;
    int warnings = 0;
    for (const Diagnostic &d : diagnostics) {
        if (d.isError() && counts(d, diagnostics))
            ++errors;
        else if (d.severity == Diagnostic::Severity::Warning)
            ++warnings;
    }
    return QStringLiteral("%1 %2, %3 %4")
        .arg(errors)
        .arg(errors == 1 ? QStringLiteral("error") : QStringLiteral("errors"))
        .arg(warnings)
        .arg(warnings == 1 ? QStringLiteral("warning") : QStringLiteral("warnings"));
}

void RunWindow::applyFontSize()
{
    if (m_fontSize)
        m_controls.Text1.setFontSize(m_fontSize());
}

void RunWindow::cmdStop_Click()
{
    m_services.process.stop();
}

void RunWindow::cmdCopy_Click()
{
    if (m_services.messages.show(QStringLiteral("Confirm copy to clipboard? Any items on the clipboard will be lost."),
                                 QStringLiteral("Confirm?"), Buttons::YesNo, Icon::Question)
        != Reply::Yes) {
        return;
    }
    m_controls.Text1.setFocus();
    m_controls.Text1.selectAll();
    m_services.clipboard.setText(m_controls.Text1.text());
}

void RunWindow::cmdSave_Click()
{
    const QString filter = QStringLiteral("Text Files|*.txt|All Files|*.*");
    const std::optional<FileDialogs::SavePick> pick = m_services.dialogs.saveFile(filter, 1);
    if (!pick)
        return;
    const QString chosen = withFilterExtension(pick->path, filter, pick->filterIndex);
    if (m_services.files.exists(chosen)
        && m_services.messages.show(
               QStringLiteral("File exists! Do you want to continue saving the text under this filename: %1 ?").arg(chosen),
               QStringLiteral("File Exists!"), Buttons::YesNo, Icon::Exclamation)
               != Reply::Yes) {
        cmdSave_Click();
        return;
    }
    QString text = m_controls.Text1.text();
    text.replace(crlf, QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), crlf);
    const FileSystem::WriteResult written = m_services.files.write(chosen, (text + crlf).toUtf8());
    if (!written.ok) {
        // A save that did not happen is said so, not passed over in silence.
        m_services.messages.show(QStringLiteral("KVN could not save %1:\r%2.").arg(chosen, written.error),
                                 QStringLiteral("File not saved"), Buttons::Ok, Icon::Critical);
        return;
    }
    m_services.messages.show(QStringLiteral("File saved."), QStringLiteral("File saved."), Buttons::Ok, Icon::Information);
}

void RunWindow::setVerdict(const QString &caption)
{
    m_controls.lblVerdict.setCaption(caption);
    Form_Resize();
}

void RunWindow::Form_Resize()
{
    const TwipSize outer = m_controls.window.outerSize();
    // The verdict takes its room from the output box, as many lines as it
    // needs up to half of the box; the buttons stay where they always were.
    const int verdictWidth = outer.width - 225;
    const int needed = m_verdictHeightAt ? m_verdictHeightAt(verdictWidth) + 30 : 0;
    const int verdict = std::max(verdictHeight, std::min(needed, (outer.height - 930) / 2));
    const int buttonTop = outer.height - 930 + 105;
    const int textHeight = outer.height - 930 - verdict;
    m_controls.window.place({
        {QStringLiteral("Text1"), {0, 0, outer.width - 105, textHeight}},
        {QStringLiteral("lblVerdict"), {60, textHeight + 30, verdictWidth, verdict - 30}},
        {QStringLiteral("cmdCopy"), {0, buttonTop, 1935, 375}},
        {QStringLiteral("cmdSave"), {1920, buttonTop, 1935, 375}},
        {QStringLiteral("cmdStop"), {3840, buttonTop, 1935, 375}},
    });
}

void RunWindow::Form_Unload()
{
    m_loaded = false;
    m_controls.Timer1.setEnabled(false);
    m_controls.window.unload();
}
