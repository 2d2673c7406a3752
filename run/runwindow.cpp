#include "runwindow.h"

#include "commandline.h"

namespace {
const QString crlf = QStringLiteral("\r\n");

QString decode(const QByteArray &bytes)
{
    // The compiler's own messages are UTF-8 here; anything else keeps its bytes.
    const QString text = QString::fromUtf8(bytes);
    return text.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(bytes) : text;
}
} // namespace

RunWindow::RunWindow(Controls controls, Services services)
    : m_controls(controls)
    , m_services(services)
{
    m_controls.Timer1.setInterval(2000);
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
    m_controls.Timer1.setEnabled(true);
    m_controls.window.showWindow();
    m_controls.Text1.setText(waitingText());
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
    const QString results = m_workDir + QStringLiteral("results.txt");
    if (!m_services.files.exists(results))
        return;
    m_controls.Text1.setText(QString());
    m_controls.Text1.setText(decode(m_services.files.read(results).value_or(QByteArray())));
}

void RunWindow::RunCompiler()
{
    string1 = CommandLine::assemble(request);
    const QString runBat = m_workDir + QStringLiteral("Run.bat");
    m_services.files.write(runBat, CommandLine::runBat(request, string1, m_workDir));
    // The compiler's output of an earlier run must not pass for this one's.
    m_services.files.remove(m_workDir + QStringLiteral("results.txt"));
    m_controls.cmdStop.setVisible(true);
    m_services.process.start(QStringLiteral("/bin/sh"), {runBat}, m_workDir,
                             [this](const Process::Result &result) { runEnded(result); });
}

void RunWindow::runEnded(const Process::Result &result)
{
    m_controls.cmdStop.setVisible(false);
    m_services.files.remove(m_workDir + QStringLiteral("Run.bat"));

    const QString results = m_workDir + QStringLiteral("results.txt");
    QString output = decode(m_services.files.read(results).value_or(QByteArray()));
    // What the shell or a compiler that does not use standard output said
    // on standard error belongs to the output too.
    if (!result.errorOutput.isEmpty()) {
        if (!output.isEmpty() && !output.endsWith(QLatin1Char('\n')))
            output += crlf;
        output += result.errorOutput;
    }
    QString verdict;
    switch (result.outcome) {
    case Process::Result::Outcome::FailedToStart:
        verdict = QStringLiteral("The compiler could not be started: %1").arg(result.error);
        break;
    case Process::Result::Outcome::Crashed:
        verdict = QStringLiteral("The compiler ended abnormally: %1").arg(result.error);
        break;
    case Process::Result::Outcome::Stopped:
        verdict = QStringLiteral("The compiler was stopped before it finished.");
        break;
    case Process::Result::Outcome::Finished:
        if (result.exitCode == 127)
            verdict = QStringLiteral("The compiler could not be started: %1 was not found or cannot be run.")
                          .arg(request.A_clocation);
        else if (result.exitCode != 0)
            verdict = QStringLiteral("The compiler ended with exit status %1.").arg(result.exitCode);
        break;
    }

    QString text = QStringLiteral("Command passed:") + crlf + string1 + crlf + crlf + output;
    if (!verdict.isEmpty()) {
        if (!text.endsWith(QLatin1Char('\n')))
            text += crlf;
        text += verdict + crlf;
    }
    m_controls.Text1.setText(text);
    m_services.files.write(results, (text + crlf).toUtf8());

    // The verdict reads the compiler's output, not the command line above it,
    // and a compiler that failed counts as failed whatever it printed.
    ok = verdict.isEmpty() && CommandLine::clean(output, request.A_ErrKeyList);
    if (!ok) {
        m_services.messages.show(QStringLiteral("Compilation unsuccessful..."), QStringLiteral("Compilation unsuccessful..."),
                                 Buttons::Ok, Icon::Information);
    }
    if (m_runEnded)
        m_runEnded();
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

void RunWindow::Form_Resize()
{
    const TwipSize outer = m_controls.window.outerSize();
    const int textHeight = outer.height - 930;
    const int buttonTop = textHeight + 105;
    m_controls.window.place({
        {QStringLiteral("Text1"), {0, 0, outer.width - 105, textHeight}},
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
