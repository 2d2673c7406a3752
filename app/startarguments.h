#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the program. Everything but a first
// argument of --help or --version is the path of the document to open, its
// words joined by spaces as they always were; "--" before it lets a path
// begin with a dash.
struct StartArguments
{
    enum class Action { Open, Help, Version };
    Action action = Action::Open;
    QString path; // empty: no document named

    // arguments: the program's arguments, its own name left out.
    static StartArguments parse(const QStringList &arguments);

    static QString usage();
    static QString version() { return QStringLiteral("Korvane (KVN) 2.2"); }
};
