#pragma once

// Programs of the old library's tests: built once each by the real kvncc,
// and run with their input from a pipe or a file, within a bound of time.
#include "kvnccruns.h"

#include <QHash>
#include <QTemporaryDir>

#include <fcntl.h>

enum class Feed { Pipe, File, Terminal };
Q_DECLARE_METATYPE(Feed)

namespace {

struct Ran
{
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs program with input from a pipe or a file; stops it after boundMs.
// The pipe holds all of the input, and its end, before the program starts,
// so that what kbhit() sees does not depend on who runs first.
inline Ran runFed(const QString &program, Feed feed, const QByteArray &input, const QString &folder, int boundMs)
{
    Ran ran;
    QProcess process;
    process.setWorkingDirectory(folder);
    int pipeEnds[2] = {-1, -1};
    if (feed == Feed::Pipe) {
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return ran;
        const bool written = ::write(pipeEnds[1], input.constData(), size_t(input.size())) == input.size();
        ::close(pipeEnds[1]);
        if (!written) {
            ::close(pipeEnds[0]);
            return ran;
        }
        process.setStandardInputFile(QProcess::nullDevice());
        process.setChildProcessModifier([readEnd = pipeEnds[0]] { ::dup2(readEnd, STDIN_FILENO); });
    } else if (feed == Feed::File) {
        const QString answers = folder + QStringLiteral("/answers.txt");
        QFile file(answers);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
            return ran;
        file.close();
        process.setStandardInputFile(answers);
    }
    process.start(program, {});
    if (pipeEnds[0] >= 0)
        ::close(pipeEnds[0]);
    if (!process.waitForStarted())
        return ran;
    ran.finished = process.waitForFinished(boundMs);
    if (!ran.finished) {
        process.kill();
        process.waitForFinished();
    }
    ran.exitCode = process.exitCode();
    ran.out = process.readAllStandardOutput();
    ran.err = process.readAllStandardError();
    return ran;
}

// The fixtures of a folder, each built once by kvncc with the given
// switches in a folder of its own.
class BuiltFixtures
{
public:
    explicit BuiltFixtures(const QString &fixtures) : m_fixtures(fixtures) {}

    // The program's path, or empty with kvncc's output in failure.
    QString built(const QString &fixture, const QStringList &switches, QByteArray &failure)
    {
        const QString key = fixture + u' ' + switches.join(u' ');
        if (const auto found = m_built.constFind(key); found != m_built.constEnd())
            return *found;
        const QString folder = m_folder.path() + u'/' + QString::number(m_built.size());
        QDir().mkpath(folder);
        if (!QFile::copy(m_fixtures + u'/' + fixture, folder + u'/' + fixture)) {
            failure = "cannot copy " + fixture.toUtf8();
            return {};
        }
        const Run run = compile(folder, m_folder.path() + QStringLiteral("/cache"), switches + QStringList{fixture},
                                false);
        if (run.status != 0) {
            failure = run.output;
            return {};
        }
        const QString program = folder + u'/' + QFileInfo(fixture).completeBaseName() + QStringLiteral(".exe");
        m_built.insert(key, program);
        return program;
    }

    QString path() const { return m_folder.path(); }

private:
    QString m_fixtures;
    QTemporaryDir m_folder;
    QHash<QString, QString> m_built;
};

} // namespace
