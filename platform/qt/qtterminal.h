#pragma once

#include "platform/qt/scratchfolder.h"
#include "platform/terminal.h"

#include <QList>
#include <QProcessEnvironment>
#include <QStringList>

#include <chrono>

// Opens the first terminal program found: the one named by $TERMINAL, then
// x-terminal-emulator, then common terminals by name. Qt Core only.
//
// kvnrun writes the process id and start time of the program it started
// into a file of KVN's private folder and removes it when the program ends;
// a program counts as running only while a process with that id and that
// start time lives, so a later process given the same id is never taken
// for it.
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
    // grace is how long a program asked to end may take before it is killed.
    explicit QtTerminal(QString kvnrun = besideApplication(),
                        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment(),
                        std::chrono::milliseconds grace = std::chrono::milliseconds(1500));

    Result run(const QString &program, const QString &workingFolder) override;
    bool isRunning(const QString &program) override;
    bool stop(const QString &program) override;

    // The terminals to try, in order, given the value of $TERMINAL (which
    // may carry arguments of its own).
    static QList<Candidate> candidates(const QString &terminalVariable);
    // The whole argument list for a terminal that is to run command.
    static QStringList arguments(const Candidate &candidate, const QStringList &command);
    // kvnrun beside the running program, else the name alone.
    static QString besideApplication();

private:
    struct Launch
    {
        QString program; // absolute and clean
        QString idFile;  // where kvnrun names the program's process
    };

    QString m_kvnrun;
    QProcessEnvironment m_environment;
    std::chrono::milliseconds m_grace;
    ScratchFolder m_folder;
    QList<Launch> m_launches;
    int m_launched = 0;
};
