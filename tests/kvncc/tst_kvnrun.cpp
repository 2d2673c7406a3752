// kvnrun, the launcher of built programs, and the pause command it offers them.
#include "ptysession.h"

#include "kvncc/runreport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QString kvnrun = QStringLiteral(KVNRUN_PATH);
const QString pauseCommand = QStringLiteral(PAUSE_PATH);
const QByteArray prompt = "Press any key to continue . . . ";

// Starts a program with standard input on a pipe the test writes to.
struct Piped
{
    QProcess process;

    explicit Piped(const QString &program, const QStringList &args, const QString &folder = QString())
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(folder);
        process.start(program, args);
    }
    // True when the program is still waiting after a while with no input.
    bool stillWaiting() { return process.waitForStarted() && !process.waitForFinished(400); }
    bool endsAfter(const QByteArray &keys)
    {
        process.write(keys);
        process.closeWriteChannel();
        return process.waitForFinished(20000);
    }
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestKvnrun : public QObject
{
    Q_OBJECT

private slots:
    void reportsHowTheProgramEnded_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");
        QTest::newRow("clean") << 0.4213 << 0 << 0 << "Process exited after 0.42 seconds with return value 0" << 0;
        QTest::newRow("failing") << 12.0 << 3 << 0 << "Process exited after 12.00 seconds with return value 3" << 3;
        QTest::newRow("crashed") << 0.005 << 0 << int(SIGSEGV)
                                 << "Process exited after 0.01 seconds with return value 139 (signal 11, Segmentation fault)"
                                 << 139;
    }
    void reportsHowTheProgramEnded()
    {
        QFETCH(double, seconds);
        QFETCH(int, exitCode);
        QFETCH(int, signal);
        QFETCH(QString, line);
        QFETCH(int, status);
        QCOMPARE(QString::fromStdString(kvncc::exitReport(seconds, exitCode, signal)), line);
        QCOMPARE(kvncc::reportedStatus(exitCode, signal), status);
    }

    void waitsForAKeyOnStandardInputAfterTheProgram()
    {
        Piped run(kvnrun, {QStringLiteral("/bin/sh"), QStringLiteral("-c"), QStringLiteral("echo hello; exit 3")});
        QVERIFY(run.stillWaiting());
        QVERIFY(run.endsAfter("k"));
        QCOMPARE(run.process.exitCode(), 3);
        const QByteArray output = run.process.readAll();
        QVERIFY2(output.startsWith("hello\n\nProcess exited after "), output.constData());
        QVERIFY2(output.endsWith(" seconds with return value 3\n" + prompt + "\n"), output.constData());
    }

    void pauseWaitsForAKey()
    {
        Piped run(pauseCommand, {});
        QVERIFY(run.stillWaiting());
        QVERIFY(run.endsAfter("x"));
        QCOMPARE(run.process.exitCode(), 0);
        QCOMPARE(run.process.readAll(), prompt + "\n");
    }

    // system("PAUSE") and system("cls") as old programs spell them.
    void programFindsPauseAndClsOnItsPath_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("pause") << "pause" << prompt + "\n";
        QTest::newRow("PAUSE") << "PAUSE" << prompt + "\n";
        QTest::newRow("Pause") << "Pause" << prompt + "\n";
        QTest::newRow("cls") << "cls" << QByteArray("\033[H\033[2J\033[3J");
        QTest::newRow("CLS") << "CLS" << QByteArray("\033[H\033[2J\033[3J");
    }

    void programFindsPauseAndClsOnItsPath()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, before);
        Piped run(kvnrun, {QStringLiteral("/bin/sh"), QStringLiteral("-c"), command + QStringLiteral(" && echo after")});
        QVERIFY(run.stillWaiting());
        QVERIFY(run.endsAfter("ab"));
        const QByteArray output = run.process.readAll();
        QVERIFY2(output.startsWith(before + "after\n"), output.constData());
        QCOMPARE(run.process.exitCode(), 0);
    }

    void terminalKeyNeedsNoEnterAndIsNotEchoed()
    {
        const PtySession session = PtySession::run({kvnrun, QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                                    QStringLiteral("pause; echo done")},
                                                   {{prompt, "q"}, {"return value 0", "z"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 0);
        QVERIFY2(session.output.contains("done"), session.output.constData());
        QVERIFY2(!session.output.contains('q') && !session.output.contains('z'), session.output.constData());
        QVERIFY(session.canonicalAfterwards);
    }

    void interruptEndsTheProgramButNotTheReport()
    {
        const PtySession session = PtySession::run({kvnrun, QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                                    QStringLiteral("echo ready; sleep 30")},
                                                   {{"ready", "\x03"}, {prompt, "k"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 130);
        QVERIFY2(session.output.contains("with return value 130 (signal 2, Interrupt)"), session.output.constData());
    }

    void crashIsReported()
    {
        Piped run(kvnrun, {QStringLiteral("/bin/sh"), QStringLiteral("-c"), QStringLiteral("kill -SEGV $$")});
        QVERIFY(run.endsAfter("k"));
        QCOMPARE(run.process.exitCode(), 139);
        QVERIFY(run.process.readAll().contains("return value 139 (signal 11, Segmentation fault)"));
    }

    // Asking kvnrun about itself answers at once, without waiting for a key;
    // "--" lets a program's name begin with a dash.
    void answersItsOwnOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray("Usage: kvnrun [--id-file FILE] [--] PROGRAM [ARGUMENT ...]\n");
        QTest::newRow("-h") << QStringList{"-h"} << 0 << QByteArray("Usage: kvnrun");
        QTest::newRow("--version") << QStringList{"--version"} << 0 << QByteArray("kvnrun (Korvane) 2.2\n");
        QTest::newRow("nothing to run") << QStringList{} << 2 << QByteArray("Usage: kvnrun");
        QTest::newRow("only --") << QStringList{"--"} << 2 << QByteArray("Usage: kvnrun");
    }
    void answersItsOwnOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, says);
        Piped run(kvnrun, args);
        QVERIFY(run.process.waitForFinished(5000));
        QCOMPARE(run.process.exitCode(), status);
        const QByteArray output = run.process.readAll();
        QVERIFY2(output.startsWith(says), output.constData());
        QVERIFY(!output.contains(prompt));
    }

    void programNamedLikeAnOptionRunsAfterDoubleDash()
    {
        QTemporaryDir folder;
        const QString script = folder.filePath(QStringLiteral("--help"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho ran with $1\nexit 4\n");
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
        Piped run(kvnrun, {QStringLiteral("--"), QStringLiteral("--help"), QStringLiteral("-x")}, folder.path());
        QVERIFY(run.endsAfter("k"));
        QCOMPARE(run.process.exitCode(), 4);
        const QByteArray output = run.process.readAll();
        QVERIFY2(output.startsWith("ran with -x\n"), output.constData());
    }

    // While the program runs the file names its process: its id and its
    // start time (field 22 of its stat line); it goes when the program ends.
    void idFileNamesTheProgramWhileItRuns()
    {
        QTemporaryDir folder;
        const QString idFile = folder.filePath(QStringLiteral("program.id"));
        const QString pidFile = folder.filePath(QStringLiteral("pid"));
        Piped run(kvnrun, {QStringLiteral("--id-file"), idFile, QStringLiteral("--"), QStringLiteral("/bin/sh"),
                           QStringLiteral("-c"), QStringLiteral("echo $$ > pid; read line")},
                  folder.path());
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(idFile) && QFile(pidFile).size() > 0; }, 10000));
        QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(readAll(pidFile).trimmed())));
        QVERIFY(stat.open(QIODevice::ReadOnly));
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        QCOMPARE(readAll(idFile), readAll(pidFile).trimmed() + ' ' + fields.at(19) + '\n');
        QVERIFY(!QFile::exists(idFile + QStringLiteral(".new")));
        QVERIFY(run.endsAfter("\nk"));
        QVERIFY(!QFile::exists(idFile));
    }

    void programThatCannotStartStillWaits()
    {
        Piped run(kvnrun, {QStringLiteral("/no/such/program.exe")});
        QVERIFY(run.stillWaiting());
        QVERIFY(run.endsAfter("k"));
        QCOMPARE(run.process.exitCode(), 127);
        const QByteArray output = run.process.readAll();
        QVERIFY2(output.startsWith("kvnrun: cannot start /no/such/program.exe: No such file or directory\n" + prompt),
                 output.constData());
    }
};

QTEST_GUILESS_MAIN(TestKvnrun)
#include "tst_kvnrun.moc"
