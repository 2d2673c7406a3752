#pragma once

#include "runrequest.h"

#include <QByteArray>
#include <QStringList>

// The pure pieces of a compile run: the command line, the two lines of
// "Run.bat", and the verdict on the compiler's output.
namespace CommandLine {
// text in double quotes for /bin/sh, with $, `, " and \ escaped so that a
// file name can never run a command.
QString quoted(const QString &text);

// The compiler's path as the shell's first word: bare when it is plain,
// quoted when it holds a space or anything else the shell would read.
QString program(const QString &path);

// The command line the request describes. Paths are quoted; the switches
// typed by the user are passed as they are, being command-line pieces.
QString assemble(const RunRequest &request);

// "Run.bat": the compiler's folder as the search path, then the command
// with its standard output sent to the file output. LF line ends,
// as /bin/sh reads them.
QByteArray runBat(const RunRequest &request, const QString &command, const QString &output);

// The keywords of a comma-separated list, at most 32, empty ones dropped.
QStringList keywords(const QString &list);

// The first keyword of the list that output holds (exact case), or an empty
// text when it holds none.
QString foundKeyword(const QString &output, const QString &keywordList);
} // namespace CommandLine
