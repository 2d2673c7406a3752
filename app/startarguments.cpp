#include "startarguments.h"

StartArguments StartArguments::parse(const QStringList &arguments)
{
    StartArguments result;
    if (arguments.isEmpty())
        return result;
    const QString &first = arguments.first();
    if (first == QLatin1String("--help")) {
        result.action = Action::Help;
        return result;
    }
    if (first == QLatin1String("--version")) {
        result.action = Action::Version;
        return result;
    }
    result.path = (first == QLatin1String("--") ? arguments.mid(1) : arguments).join(QLatin1Char(' '));
    return result;
}

QString StartArguments::usage()
{
    return QStringLiteral("Usage: kvn [FILE]\n"
                          "       kvn -- FILE       (a FILE whose name begins with a dash)\n"
                          "       kvn --help | --version\n"
                          "Opens FILE, a C or C++ source, in Korvane (KVN), an editor that compiles it with\n"
                          "an outside compiler (kvncc by default) and runs the program it built. Without\n"
                          "FILE a new document is shown. The arguments are joined by spaces into one path.\n");
}
