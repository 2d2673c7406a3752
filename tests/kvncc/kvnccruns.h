#pragma once

// Runs of the real kvncc with its header cache in a folder of the test's,
// and of the programs they build.
#include "settledfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {

const QString kvnccProgram = QStringLiteral(KVNCC_PATH);

struct Run
{
    int status = -1; // -1: kvncc did not end in time
    QByteArray output;
};

// kvncc -q in folder with the cache under cacheHome, an entry built at once
// rather than in the background; variables are NAME=VALUE pairs over an
// environment without the include paths and kvncc settings of the caller.
inline Run compile(const QString &folder, const QString &cacheHome, const QStringList &args, bool withCache = true,
                   const QStringList &variables = {})
{
    waitUntilSettled(folder);
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    environment.insert(QStringLiteral("KVNCC_CACHE_NOW"), QStringLiteral("1"));
    for (const char *name : {"CPATH", "C_INCLUDE_PATH", "CPLUS_INCLUDE_PATH", "KVNCC_NO_CACHE", "KVNCC_COMPILER"})
        environment.remove(QString::fromUtf8(name));
    if (!withCache)
        environment.insert(QStringLiteral("KVNCC_NO_CACHE"), QStringLiteral("1"));
    for (const QString &variable : variables)
        environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    process.start(kvnccProgram, QStringList{QStringLiteral("-q")} + args);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitCode(), process.readAll()};
}

// KVNCC_COMPILER for compiler; none for the default.
inline QStringList compilerVariable(const QString &compiler)
{
    return compiler.isEmpty() ? QStringList{} : QStringList{QStringLiteral("KVNCC_COMPILER=") + compiler};
}

inline QByteArray runProgram(const QString &path)
{
    QProcess process;
    process.start(path, {});
    process.waitForFinished(20000);
    return process.readAllStandardOutput();
}

inline void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace
