#include "platform/qt/qtterminal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

using Style = QtTerminal::Style;

// After $TERMINAL and Debian's x-terminal-emulator, the terminals of the
// common desktops and a few popular ones, with the way each takes a command.
const QList<QtTerminal::Candidate> &knownTerminals()
{
    static const QList<QtTerminal::Candidate> terminals = {
        {QStringLiteral("x-terminal-emulator"), {}, Style::DashE},
        {QStringLiteral("gnome-terminal"), {}, Style::DoubleDash},
        {QStringLiteral("konsole"), {}, Style::DashE},
        {QStringLiteral("xfce4-terminal"), {}, Style::DashX},
        {QStringLiteral("mate-terminal"), {}, Style::DashX},
        {QStringLiteral("terminator"), {}, Style::DashX},
        {QStringLiteral("alacritty"), {}, Style::DashE},
        {QStringLiteral("kitty"), {}, Style::Direct},
        {QStringLiteral("foot"), {}, Style::Direct},
        {QStringLiteral("wezterm"), {QStringLiteral("start"), QStringLiteral("--")}, Style::Direct},
        {QStringLiteral("urxvt"), {}, Style::DashE},
        {QStringLiteral("xterm"), {}, Style::DashE},
    };
    return terminals;
}

bool isExecutable(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QtTerminal::QtTerminal(QString kvnrun, QProcessEnvironment environment)
    : m_kvnrun(std::move(kvnrun))
    , m_environment(std::move(environment))
{
}

QString QtTerminal::besideApplication()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/kvnrun");
    return isExecutable(beside) ? beside : QStringLiteral("kvnrun");
}

QList<QtTerminal::Candidate> QtTerminal::candidates(const QString &terminalVariable)
{
    QList<Candidate> result;
    const QStringList words = QProcess::splitCommand(terminalVariable);
    if (!words.isEmpty()) {
        // A terminal we know keeps its own way of taking a command; any
        // other gets the common -e.
        Candidate chosen{words.first(), words.mid(1), Style::DashE};
        const QString name = QFileInfo(words.first()).fileName();
        for (const Candidate &known : knownTerminals()) {
            if (known.program == name) {
                chosen.style = known.style;
                chosen.leading = words.mid(1) + known.leading;
            }
        }
        result.append(chosen);
    }
    result.append(knownTerminals());
    return result;
}

QStringList QtTerminal::arguments(const Candidate &candidate, const QStringList &command)
{
    QStringList result = candidate.leading;
    switch (candidate.style) {
    case Style::DashE: result.append(QStringLiteral("-e")); break;
    case Style::DashX: result.append(QStringLiteral("-x")); break;
    case Style::DoubleDash: result.append(QStringLiteral("--")); break;
    case Style::Direct: break;
    }
    return result + command;
}

Terminal::Result QtTerminal::run(const QString &program, const QString &workingFolder)
{
    const QStringList path = m_environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts);
    // findExecutable searches the system's PATH when given no folders.
    const auto find = [&path](const QString &name) -> QString {
        if (name.contains(u'/'))
            return isExecutable(name) ? name : QString();
        return path.isEmpty() ? QString() : QStandardPaths::findExecutable(name, path);
    };

    const QString kvnrun = find(m_kvnrun);
    if (kvnrun.isEmpty())
        return {false, QStringLiteral("The program launcher kvnrun was not found (looked for %1).").arg(m_kvnrun)};

    QStringList tried;
    for (const Candidate &candidate : candidates(m_environment.value(QStringLiteral("TERMINAL")))) {
        const QString terminal = find(candidate.program);
        if (terminal.isEmpty())
            continue;
        QProcess process;
        process.setProgram(terminal);
        process.setArguments(arguments(candidate, {kvnrun, program}));
        process.setWorkingDirectory(workingFolder);
        process.setProcessEnvironment(m_environment);
        process.setStandardInputFile(QProcess::nullDevice());
        if (process.startDetached())
            return {};
        tried.append(terminal);
    }
    if (!tried.isEmpty())
        return {false, QStringLiteral("No terminal window could be opened (tried %1).").arg(tried.join(QStringLiteral(", ")))};
    return {false, QStringLiteral("No terminal program was found to run the program in. Install one (for "
                                  "example xterm), or name yours in the TERMINAL environment variable.")};
}
