#pragma once

#include "platform/terminal.h"

#include <QList>
#include <QProcessEnvironment>
#include <QStringList>

// Opens the first terminal program found: the one named by $TERMINAL, then
// x-terminal-emulator, then common terminals by name. Qt Core only.
class QtTerminal : public Terminal
{
public:
    // How a terminal is told which command to run.
    enum class Style {
        DashE,      // terminal -e command arguments...
        DashX,      // terminal -x command arguments...
        DoubleDash, // terminal -- command arguments...
        Direct,     // terminal command arguments...
    };
    struct Candidate
    {
        QString program;         // a name to search on PATH, or a path
        QStringList leading;     // arguments before the command, such as "start" for wezterm
        Style style = Style::DashE;
        bool operator==(const Candidate &) const = default;
    };

    // kvnrun is the launcher's path; the environment supplies TERMINAL and
    // PATH for the search, and is the environment the terminal starts with.
    explicit QtTerminal(QString kvnrun = besideApplication(),
                        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());

    Result run(const QString &program, const QString &workingFolder) override;

    // The terminals to try, in order, given the value of $TERMINAL (which
    // may carry arguments of its own).
    static QList<Candidate> candidates(const QString &terminalVariable);
    // The whole argument list for a terminal that is to run command.
    static QStringList arguments(const Candidate &candidate, const QStringList &command);
    // kvnrun beside the running program, else the name alone.
    static QString besideApplication();

private:
    QString m_kvnrun;
    QProcessEnvironment m_environment;
};
