// Opening a terminal window for a built program: which terminal, how it
// is told the command, and a whole run through a stand-in terminal.
#include "platform/fake/faketerminal.h"
#include "platform/qt/qtterminal.h"
#include "kvncc/processstart.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Candidate = QtTerminal::Candidate;
using Style = QtTerminal::Style;

const QString kvnrun = QStringLiteral(KVNRUN_PATH);

// A stand-in terminal: writes down its arguments, drops everything up to
// its command marker and runs the rest with output into a file. Only shell
// built-ins, since the test's search path holds nothing else.
bool writeTerminal(const QString &path, const QByteArray &marker)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("#!/bin/sh\n"
               "printf '%s\\n' \"$0\" \"$@\" > \"$PWD/terminal-args.txt\"\n"
               "while [ $# -gt 0 ] && [ \"$1\" != '" + marker + "' ]; do shift; done\n"
               "shift\n"
               "exec \"$@\" < /dev/null > \"$PWD/terminal-output.txt\" 2>&1\n");
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QProcessEnvironment environmentWith(const QString &path, const QString &terminal = {})
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), path);
    if (!terminal.isEmpty())
        environment.insert(QStringLiteral("TERMINAL"), terminal);
    return environment;
}

} // namespace

class TestTerminal : public QObject
{
    Q_OBJECT

private slots:
    void triesTerminalVariableThenDebianThenCommonTerminals()
    {
        const QList<Candidate> plain = QtTerminal::candidates({});
        QCOMPARE(plain.first().program, QStringLiteral("x-terminal-emulator"));
        QCOMPARE(plain.last().program, QStringLiteral("xterm"));

        const QList<Candidate> own = QtTerminal::candidates(QStringLiteral("myterm --big"));
        QCOMPARE(own.first(), (Candidate{QStringLiteral("myterm"), {QStringLiteral("--big")}, Style::DashE}));
        QCOMPARE(own.at(1).program, QStringLiteral("x-terminal-emulator"));
        // A terminal we know keeps its own way of taking a command.
        QCOMPARE(QtTerminal::candidates(QStringLiteral("/usr/bin/gnome-terminal")).first().style, Style::DoubleDash);
        QCOMPARE(QtTerminal::candidates(QStringLiteral("kitty")).first().style, Style::Direct);
    }

    void tellsEachTerminalTheCommandItsWay_data()
    {
        QTest::addColumn<QString>("terminal");
        QTest::addColumn<QStringList>("arguments");
        const QStringList command{"/b/kvnrun", "/p/a b.exe"};
        QTest::newRow("xterm") << "xterm" << QStringList{"-e", "/b/kvnrun", "/p/a b.exe"};
        QTest::newRow("gnome-terminal") << "gnome-terminal" << QStringList{"--", "/b/kvnrun", "/p/a b.exe"};
        QTest::newRow("xfce4-terminal") << "xfce4-terminal" << QStringList{"-x", "/b/kvnrun", "/p/a b.exe"};
        QTest::newRow("kitty") << "kitty" << QStringList{"/b/kvnrun", "/p/a b.exe"};
        QTest::newRow("wezterm") << "wezterm" << QStringList{"start", "--", "/b/kvnrun", "/p/a b.exe"};
        QTest::newRow("unknown with arguments") << "myterm -T KVN" << QStringList{"-T", "KVN", "-e", "/b/kvnrun", "/p/a b.exe"};
    }
    void tellsEachTerminalTheCommandItsWay()
    {
        QFETCH(QString, terminal);
        QFETCH(QStringList, arguments);
        // The first candidate is the one named by $TERMINAL.
        const Candidate candidate = QtTerminal::candidates(terminal).first();
        QCOMPARE(QtTerminal::arguments(candidate, {QStringLiteral("/b/kvnrun"), QStringLiteral("/p/a b.exe")}), arguments);
    }

    // x-terminal-emulator comes before xterm; the program runs through
    // kvnrun in the given folder and its report reaches the terminal.
    void runsTheProgramThroughKvnrunInTheFirstTerminalFound()
    {
        QTemporaryDir bin;
        QTemporaryDir work;
        QVERIFY(writeTerminal(bin.filePath(QStringLiteral("xterm")), "-e"));
        QVERIFY(writeTerminal(bin.filePath(QStringLiteral("x-terminal-emulator")), "-e"));

        QtTerminal terminal(kvnrun, environmentWith(bin.path()));
        const Terminal::Result result = terminal.run(QStringLiteral("/bin/pwd"), work.path());
        QVERIFY2(result.ok, qPrintable(result.error));

        const QString output = work.filePath(QStringLiteral("terminal-output.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(fileBytes(output).contains("Press any key to continue"), 10000);
        QVERIFY(fileBytes(output).startsWith(work.path().toLocal8Bit() + "\n\nProcess exited after "));
        // kvnrun is told where to name the program's process for KVN.
        const QList<QByteArray> args = fileBytes(work.filePath(QStringLiteral("terminal-args.txt"))).split('\n');
        QCOMPARE(args.size(), 8);
        QCOMPARE(args.mid(0, 4), (QList<QByteArray>{bin.filePath(QStringLiteral("x-terminal-emulator")).toLocal8Bit(), "-e",
                                                    kvnrun.toLocal8Bit(), "--id-file"}));
        QVERIFY(args[4].startsWith('/'));
        QCOMPARE(args.mid(5), (QList<QByteArray>{"--", "/bin/pwd", ""}));
    }

    void terminalVariableComesFirst()
    {
        QTemporaryDir bin;
        QTemporaryDir work;
        QVERIFY(writeTerminal(bin.filePath(QStringLiteral("x-terminal-emulator")), "-e"));
        const QString mine = bin.filePath(QStringLiteral("my terminal"));
        QVERIFY(writeTerminal(mine, "--run"));

        QtTerminal terminal(kvnrun, environmentWith(bin.path(), u'"' + mine + QStringLiteral("\" --run")));
        QVERIFY(terminal.run(QStringLiteral("/bin/true"), work.path()).ok);
        const QString args = work.filePath(QStringLiteral("terminal-args.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(fileBytes(args).startsWith(mine.toLocal8Bit() + "\n--run\n-e\n"), 10000);
    }

    void failsWithAnExplanationWhenNothingIsFound()
    {
        QTemporaryDir empty;
        QtTerminal noTerminal(kvnrun, environmentWith(empty.path()));
        const Terminal::Result none = noTerminal.run(QStringLiteral("/bin/true"), empty.path());
        QVERIFY(!none.ok);
        QVERIFY(none.error.contains(QStringLiteral("No terminal program was found")));
        QVERIFY(none.error.contains(QStringLiteral("TERMINAL")));

        QVERIFY(writeTerminal(empty.filePath(QStringLiteral("xterm")), "-e"));
        QtTerminal noLauncher(QStringLiteral("/no/kvnrun"), environmentWith(empty.path()));
        const Terminal::Result missing = noLauncher.run(QStringLiteral("/bin/true"), empty.path());
        QVERIFY(!missing.ok);
        QVERIFY(missing.error.contains(QStringLiteral("/no/kvnrun")));
        QVERIFY(!QFile::exists(empty.filePath(QStringLiteral("terminal-args.txt"))));
    }

    // The start time tells a program KVN started from a later process with
    // its id: it must be read past a name that itself looks like the fields
    // after it, and a program that ended, collected or not, has none.
    void startTimeIsReadPastTheNameAndEndsWithTheProcess()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray trap = QFile::encodeName(dir.filePath(QStringLiteral("x) Z 1 2 3 4")));
        QVERIFY(QFile::link(QStringLiteral("/bin/sleep"), QFile::decodeName(trap)));
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl(trap.constData(), trap.constData(), "30", static_cast<char *>(nullptr));
            ::_exit(127);
        }
        QVERIFY(pid > 0);
        const auto name = [pid] {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            return comm.open(QIODevice::ReadOnly) ? comm.readAll() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(name().startsWith("x) Z"), 5000);
        const unsigned long long started = kvncc::processStartTime(pid);
        QVERIFY(started >= kvncc::processStartTime(::getpid()));
        QFile uptime(QStringLiteral("/proc/uptime"));
        QVERIFY(uptime.open(QIODevice::ReadOnly));
        const double upTicks = uptime.readAll().split(' ').first().toDouble() * double(::sysconf(_SC_CLK_TCK));
        QVERIFY2(double(started) <= upTicks + 1, qPrintable(QStringLiteral("%1 > %2").arg(started).arg(upTicks)));
        QCOMPARE(kvncc::processStartTime(pid), started);

        ::kill(pid, SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(kvncc::processStartTime(pid) == 0, 5000); // ended, not yet collected
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QCOMPARE(kvncc::processStartTime(pid), 0ULL);
    }

    void fakeRecordsAndFailsOnRequest()
    {
        FakeTerminal fake;
        QVERIFY(fake.run(QStringLiteral("/p/a.exe"), QStringLiteral("/p")).ok);
        fake.failNext(QStringLiteral("none"));
        const Terminal::Result failed = fake.run(QStringLiteral("/p/b.exe"), QStringLiteral("/q"));
        QVERIFY(!failed.ok);
        QCOMPARE(failed.error, QStringLiteral("none"));
        QVERIFY(fake.run(QStringLiteral("/p/c.exe"), QStringLiteral("/p")).ok);
        QCOMPARE(fake.calls.size(), 3);
        QCOMPARE(fake.calls[1].program, QStringLiteral("/p/b.exe"));
        QCOMPARE(fake.calls[1].workingFolder, QStringLiteral("/q"));
    }
};

QTEST_GUILESS_MAIN(TestTerminal)
#include "tst_terminal.moc"
