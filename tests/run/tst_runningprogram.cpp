// A built program still running in its terminal when it is built or run
// again: the question, and the real program found and ended through
// kvnrun, a stand-in terminal and QtTerminal.
#include "support/mainformfixture.h"

#include "platform/qt/qtterminal.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

#include <sys/types.h>
#include <unistd.h>

namespace {

const QString kvnrunPath = QStringLiteral(KVNRUN_PATH);

// The main window of fakes with a document whose program is prog.exe.
struct Fixture : MainFormFixture
{
    const QString source = QStringLiteral("/home/user/project/prog.cpp");
    const QString built = QStringLiteral("/home/user/project/prog.exe");

    Fixture()
    {
        files.files.insert(source, "int main() { for (;;) {} }\n");
        load(source);
    }
    // Whether the compile started.
    bool compile()
    {
        const qsizetype before = process.calls.size();
        form.compileRequest.cmdCompile_Click();
        if (runTimer.isEnabled())
            runTimer.tick();
        return process.calls.size() > before;
    }
};

bool writeScript(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body) < 0)
        return false;
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool alive(pid_t pid)
{
    return pid > 0 && ::kill(pid, 0) == 0;
}

// A program that runs until it is ended, started as KVN starts one: by a
// terminal (a stand-in that runs its command with output into a file) that
// runs kvnrun. It writes its process id first, so that the test can always
// kill it at the end.
struct RealRun
{
    QTemporaryDir folder;
    QString program;
    QtTerminal terminal;

    explicit RealRun(const QByteArray &body, const QString &name = QStringLiteral("prog.exe"))
        : program(folder.filePath(name))
        , terminal(kvnrunPath, environment(), std::chrono::milliseconds(300))
    {
        writeScript(folder.filePath(QStringLiteral("x-terminal-emulator")),
                    "while [ $# -gt 0 ] && [ \"$1\" != -e ]; do shift; done\nshift\n"
                    "exec \"$@\" < /dev/null > \"$PWD/terminal-output.txt\" 2>&1\n");
        writeScript(program, "echo $$ > \"$PWD/pid-" + name.toLocal8Bit() + "\"\n" + body);
    }
    ~RealRun() { killAll(); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), folder.path() + QStringLiteral(":/usr/bin:/bin"));
        return env;
    }
    // The process id of a program of this run once it is known.
    pid_t pidOf(const QString &name = QStringLiteral("prog.exe")) const
    {
        return pid_t(fileBytes(folder.filePath(QStringLiteral("pid-") + name)).trimmed().toInt());
    }
    bool start(const QString &name = QStringLiteral("prog.exe"))
    {
        if (!terminal.run(folder.filePath(name), folder.path()).ok)
            return false;
        // Running once it has said who it is and kvnrun has named it.
        return QTest::qWaitFor([&] { return pidOf(name) > 0 && terminal.isRunning(folder.filePath(name)); }, 10000);
    }
    QByteArray terminalOutput() const { return fileBytes(folder.filePath(QStringLiteral("terminal-output.txt"))); }
    void killAll()
    {
        for (const QString &name : {QStringLiteral("prog.exe"), QStringLiteral("other.exe")}) {
            if (const pid_t pid = pidOf(name); alive(pid))
                ::kill(pid, SIGKILL);
        }
    }
};

} // namespace

class TestRunningProgram : public QObject
{
    Q_OBJECT

private slots:
    // Rebuilding a program that still runs asks first; Yes ends it and
    // compiles, No compiles anyway, Cancel compiles nothing.
    void rebuildingARunningProgramAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<bool>("compiled");
        QTest::newRow("yes stops it") << int(Reply::Yes) << true << true;
        QTest::newRow("no compiles anyway") << int(Reply::No) << false << true;
        QTest::newRow("cancel compiles nothing") << int(Reply::Cancel) << false << false;
    }
    void rebuildingARunningProgramAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, stopped);
        QFETCH(bool, compiled);
        Fixture f;
        QCOMPARE(f.form.compile.newpath, f.built);
        f.terminal.running = {f.built};
        f.messages.answerNext(Reply(answer));
        QCOMPARE(f.compile(), compiled);
        QCOMPARE(f.messages.titles().value(0), QStringLiteral("Program still running"));
        QCOMPARE(f.messages.calls[0].text,
                 f.built + QStringLiteral(" is still running in its terminal. Stop it before compiling?\rYes stops it, "
                                          "No compiles anyway, Cancel compiles nothing."));
        QCOMPARE(f.messages.calls[0].buttons, Buttons::YesNoCancel);
        QCOMPARE(f.terminal.stops, stopped ? QStringList{f.built} : QStringList{});
    }

    void aProgramNotRunningIsNotMentioned()
    {
        Fixture f;
        f.terminal.running = {QStringLiteral("/home/user/project/other.exe")};
        QVERIFY(f.compile());
        QVERIFY(!f.messages.titles().contains(QStringLiteral("Program still running")));
        QVERIFY(f.terminal.stops.isEmpty());
    }

    void aProgramThatWillNotEndIsReportedAndTheCompileGoesOn()
    {
        Fixture f;
        f.terminal.running = {f.built};
        f.terminal.refuseToEnd = true;
        f.messages.answerNext(Reply::Yes);
        QVERIFY(f.compile());
        QCOMPARE(f.messages.titles().mid(0, 2),
                 (QStringList{QStringLiteral("Program still running"), QStringLiteral("Program not stopped")}));
    }

    // Running it again while it runs asks too: Yes starts it anew, No
    // starts a second copy, Cancel starts nothing.
    void runningItAgainAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("refuses");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<int>("started");
        QTest::newRow("yes starts it anew") << int(Reply::Yes) << false << true << 1;
        QTest::newRow("no starts a second copy") << int(Reply::No) << false << false << 1;
        QTest::newRow("cancel starts nothing") << int(Reply::Cancel) << false << false << 0;
        QTest::newRow("one that will not end is not started again") << int(Reply::Yes) << true << false << 0;
    }
    void runningItAgainAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, refuses);
        QFETCH(bool, stopped);
        QFETCH(int, started);
        Fixture f;
        f.terminal.running = {f.built};
        f.terminal.refuseToEnd = refuses;
        f.messages.answerNext(Reply(answer));
        f.form.mnuRun_Click();
        QCOMPARE(f.messages.titles().value(0), QStringLiteral("Program still running"));
        QCOMPARE(f.messages.calls[0].text,
                 f.built + QStringLiteral(" is still running in its terminal. Stop it and start it again?\rYes stops it "
                                          "and starts it anew, No starts another copy beside it, Cancel starts nothing."));
        QCOMPARE(f.terminal.calls.size(), started);
        QCOMPARE(f.terminal.running.isEmpty(), stopped);
        QCOMPARE(f.messages.titles().contains(QStringLiteral("Program not stopped")), refuses);
    }

    // The real thing: the program runs in its terminal, is found, and Yes
    // ends it; kvnrun then says how it ended.
    void aRealProgramIsFoundAndEnded_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("report");
        QTest::newRow("ends when asked") << QByteArray("exec sleep 600\n") << QByteArray("(signal 15, Terminated)");
        // A signal ignored stays ignored across exec.
        QTest::newRow("ignores the request, is killed") << QByteArray("trap '' TERM\nexec sleep 600\n")
                                                        << QByteArray("(signal 9, Killed)");
    }
    void aRealProgramIsFoundAndEnded()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, report);
        RealRun run(body);
        QVERIFY(run.start());
        const pid_t pid = run.pidOf();
        QVERIFY(alive(pid));

        FakeTimer timer;
        FakeMenuItem mnuDelete{false};
        FakeMessages messages;
        FakeFileSystem files;
        FakeFileDialogs dialogs;
        FakeClipboard clipboard;
        FakeProcess process;
        FakeFormWindow window;
        FakeOutputBox text;
        FakeLabel verdict;
        FakeButton stop;
        FakeTimer runTimer;
        RunWindow runWindow({window, text, verdict, stop, runTimer}, {files, messages, dialogs, clipboard, process});
        PostCompile post(timer, mnuDelete, runWindow, {messages, files, run.terminal, messages});
        messages.answerNext(Reply::Yes);
        QVERIFY(post.offerToStop(run.program));
        QCOMPARE(messages.titles(), QStringList{QStringLiteral("Program still running")});
        QVERIFY(!run.terminal.isRunning(run.program));
        QTRY_VERIFY_WITH_TIMEOUT(run.terminalOutput().contains("Press any key to continue"), 10000);
        QVERIFY2(run.terminalOutput().contains(report), run.terminalOutput().constData());
        QVERIFY(!alive(pid));
        // Nothing left to ask about.
        QVERIFY(post.offerToStop(run.program));
        QCOMPARE(messages.calls.size(), 1);
    }

    // Only the program asked about is ended; one that has ended is not
    // running, and a program no terminal of ours started never counts.
    void onlyTheProgramStartedIsEnded()
    {
        RealRun run("exec sleep 600\n");
        const QString other = run.folder.filePath(QStringLiteral("other.exe"));
        QVERIFY(writeScript(other, "echo $$ > \"$PWD/pid-other.exe\"\nexec sleep 600\n"));
        QVERIFY(run.start());
        QVERIFY(run.start(QStringLiteral("other.exe")));
        QVERIFY(run.terminal.stop(other));
        QTRY_VERIFY_WITH_TIMEOUT(!alive(run.pidOf(QStringLiteral("other.exe"))), 5000);
        QVERIFY(alive(run.pidOf()));
        QVERIFY(run.terminal.isRunning(run.program));
        QVERIFY(!run.terminal.isRunning(other));

        // The same program started by anyone else is not the terminal's.
        QtTerminal fresh(kvnrunPath, run.environment());
        QVERIFY(!fresh.isRunning(run.program));
        QVERIFY(fresh.stop(run.program));
        QVERIFY(alive(run.pidOf()));
    }

    void aProgramThatEndedIsNotRunning()
    {
        RealRun run("exec sleep 600\n");
        QVERIFY(run.start());
        ::kill(run.pidOf(), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(!run.terminal.isRunning(run.program), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(run.terminalOutput().contains("(signal 9, Killed)"), 5000);
    }
};

QTEST_GUILESS_MAIN(TestRunningProgram)
#include "tst_runningprogram.moc"
