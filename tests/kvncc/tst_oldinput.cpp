// Old programs reading their input as they did with the old library, built
// by the real kvncc and fed as a user feeds them: lines typed one by one at
// a terminal, a pipe, a file of answers.
#include "fedprograms.h"
#include "ptysession.h"

#include <QElapsedTimer>

#include <signal.h>

namespace {

const QString fixtures = QStringLiteral(FIXTURES_DIR "/old");

// An old program's bound: once its input has ended it must end, or wait,
// within this time and without writing more than this much.
constexpr int endBoundMs = 5000;
constexpr qsizetype outputBound = 64 * 1024;

QByteArray joinedLines(const QList<QByteArray> &lines)
{
    QByteArray input;
    for (const QByteArray &line : lines)
        input += line + '\n';
    return input;
}

const char *feedName(Feed feed)
{
    switch (feed) {
    case Feed::Pipe: return "by a pipe";
    case Feed::File: return "from a file";
    case Feed::Terminal: return "typed at a terminal";
    }
    return "";
}

} // namespace

class TestOldInput : public QObject
{
    Q_OBJECT

    BuiltFixtures m_programs{fixtures};

    QString built(const QString &fixture, const QStringList &switches, QByteArray &failure)
    {
        return m_programs.built(fixture, switches, failure);
    }

private slots:
    // Each program prints what it read on one line; that line must be in
    // its output whichever way its answers came. At a terminal each line is
    // typed once its prompt has appeared, the program waiting meanwhile.
    void readsItsAnswers_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<Feed>("feed");
        QTest::addColumn<QList<QByteArray>>("prompts");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<QByteArray>("expected");

        const auto rows = [](const char *what, const QString &fixture, const QStringList &switches,
                             const QList<Feed> &feeds, const QList<QByteArray> &prompts, const QList<QByteArray> &lines,
                             const QByteArray &expected) {
            for (Feed feed : feeds)
                QTest::addRow("%s, %s", what, feedName(feed))
                    << fixture << switches << feed << prompts << lines << expected;
        };
        const QList<Feed> everyWay{Feed::Pipe, Feed::File, Feed::Terminal};
        const QList<Feed> fed{Feed::Pipe, Feed::File};

        // cin took the number's whole line: gets() reads the next one.
        rows("cin >> then gets", QStringLiteral("input_cin_gets.cpp"), {}, everyWay, {"age? ", "name? "},
             {"42", "Ada Lovelace"}, "[42|Ada Lovelace]");
        // The recorded session of the old compiler: no field shifts.
        rows("records: names by gets, numbers by cin", QStringLiteral("input_records.cpp"), {}, everyWay,
             {"records : ", "name : ", "amount : ", "name : ", "amount : "}, {"2", "hari", "100", "sita", "250.5"},
             "[hari|100][sita|250.5]");
        rows("records, answers with CR LF line ends", QStringLiteral("input_records.cpp"), {}, {Feed::File}, {},
             {"2\r", "hari\r", "100\r", "sita\r", "250.5\r"}, "[hari|100][sita|250.5]");
        // getchar(), cin.ignore() and fflush(stdin) between cin >> and
        // gets() still take just the line end; text after the number is
        // gets()'s to read.
        rows("the later compilers' ways past the line end", QStringLiteral("input_mingw.cpp"), {}, fed, {},
             {"1", "A", "2", "B", "3", "C", "4 D"}, "1A|2B|3C|4[ D]");
        rows("cin's own line reading after cin >>", QStringLiteral("input_cin_lines.cpp"), {}, fed, {},
             {"5", "line2", "6", "line4", "7", "", "X"}, "5[]line2|6[]line4|7[]");
        // The rest of the current line goes, and only that: nothing before
        // the first read or just after a line end; a rest longer than the
        // buffer read ahead goes whole.
        rows("fflush(stdin) and flushall()", QStringLiteral("input_fflush.c"), {}, fed, {},
             {"xline", "25 junk", "John", "Ada", "Bob", "7" + QByteArray(6000, 'j'), "Eve"},
             "[xline|25|John|Ada|Bob|7|Eve]");
        // The standard's semantics, and the program's own gets().
        rows("modern C++17", QStringLiteral("input_modern.cpp"), {"-w", "-w!", "-std=c++17"}, fed, {},
             {"3 x", "yz", "4", "ab"}, "3[ x]y[z]4[]aaown\n");
    }

    void readsItsAnswers()
    {
        QFETCH(QString, fixture);
        QFETCH(QStringList, switches);
        QFETCH(Feed, feed);
        QFETCH(QList<QByteArray>, prompts);
        QFETCH(QList<QByteArray>, lines);
        QFETCH(QByteArray, expected);
        QByteArray failure;
        const QString program = built(fixture, switches, failure);
        QVERIFY2(!program.isEmpty(), failure.constData());

        if (feed == Feed::Terminal) {
            QList<PtySession::Exchange> exchanges;
            for (qsizetype i = 0; i < prompts.size(); ++i)
                exchanges.append({prompts[i], lines[i] + '\r'});
            const PtySession session = PtySession::run({program}, exchanges);
            QVERIFY2(session.finished, session.output.constData());
            QCOMPARE(session.exitCode, 0);
            QVERIFY2(session.output.contains(expected), session.output.constData());
            return;
        }
        const Ran ran = runFed(program, feed, joinedLines(lines), QFileInfo(program).path(), 20000);
        QVERIFY2(ran.finished, ran.out.left(2000).constData());
        QCOMPARE(ran.exitCode, 0);
        QVERIFY2(ran.out.contains(expected), ran.out.constData());
    }

    // When the input ends, no key waits any more, and a wait for a key ends
    // the program with a word why, instead of taking -1 for a key for ever.
    void endOfInput_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<Feed>("feed");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");

        const QByteArray ended = "getch(): the input has ended, so the program ends here.\n";
        for (Feed feed : {Feed::Pipe, Feed::File}) {
            QTest::addRow("a key loop's input ends before its last key, %s", feedName(feed))
                << QStringLiteral("input_keyloop.c") << feed << QByteArray("ab")
                << QByteArray("menu> a\nmenu> b\nmenu> ") << ended;
            QTest::addRow("a key wait at exit after the input ended, %s", feedName(feed))
                << QStringLiteral("input_keyatexit.c") << feed << QByteArray("\n") << QByteArray("key 13\nbye -1\n")
                << ended;
            QTest::addRow("kbhit() after the last key, %s", feedName(feed))
                << QStringLiteral("input_keys_drain.c") << feed << QByteArray("abc") << QByteArray("3 keys, then 0\n")
                << QByteArray();
            QTest::addRow("a loop that only polls kbhit() after its input ended, %s", feedName(feed))
                << QStringLiteral("input_kbhit_poll.c") << feed << QByteArray("ab") << QByteArray("key a\nkey b\n")
                << QByteArray("kbhit(): the input has ended and no key can come, so the program ends here.\n");
            QTest::addRow("kbhit() on empty input, %s", feedName(feed))
                << QStringLiteral("input_keys_drain.c") << feed << QByteArray() << QByteArray("0 keys, then 0\n")
                << QByteArray();
        }
    }

    void endOfInput()
    {
        QFETCH(QString, fixture);
        QFETCH(Feed, feed);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QByteArray failure;
        const QString program = built(fixture, {}, failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const Ran ran = runFed(program, feed, input, QFileInfo(program).path(), endBoundMs);
        QVERIFY2(ran.out.size() < outputBound, QByteArray::number(ran.out.size()).constData());
        QVERIFY2(ran.finished, ran.out.left(200).constData());
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.out, out);
        QCOMPARE(ran.err, err);
    }

    // A program that ignores the hangup and waits for keys ends when its
    // terminal goes away, rather than spinning on a terminal nobody reads.
    void keyWaitEndsWhenTheTerminalHangsUp()
    {
        QByteArray failure;
        const QString program = built(QStringLiteral("input_hangup.c"), {}, failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const QByteArray path = QFile::encodeName(program);
        int master = -1;
        const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
        QVERIFY(pid >= 0);
        if (pid == 0) {
            ::execl(path.constData(), path.constData(), static_cast<char *>(nullptr));
            ::_exit(127);
        }
        QByteArray output;
        QElapsedTimer clock;
        clock.start();
        while (!output.contains("key> ") && clock.elapsed() < endBoundMs) {
            pollfd readable{master, POLLIN, 0};
            char buffer[256];
            if (::poll(&readable, 1, 50) > 0) {
                const ssize_t n = ::read(master, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                output.append(buffer, n);
            }
        }
        ::close(master);
        int status = 0;
        pid_t ended = 0;
        clock.restart();
        while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 && clock.elapsed() < endBoundMs)
            QTest::qWait(20);
        if (ended == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        QVERIFY2(output.contains("key> "), output.constData());
        QVERIFY2(ended == pid, "the program went on after its terminal hung up");
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    // Built through the header cache, with <iostream.h> precompiled, the
    // program reads as with the old library all the same.
    void cachedHeadersKeepTheOldCin()
    {
        const QString folder = m_programs.path() + QStringLiteral("/cached");
        QDir().mkpath(folder);
        QVERIFY(QFile::copy(fixtures + QStringLiteral("/input_cin_gets.cpp"), folder + QStringLiteral("/input_cin_gets.cpp")));
        const QString cache = m_programs.path() + QStringLiteral("/cachehome");
        for (int round = 0; round < 2; ++round) {
            const Run run = compile(folder, cache, {QStringLiteral("input_cin_gets.cpp")});
            QVERIFY2(run.status == 0, run.output.constData());
        }
        QDir entries(cache + QStringLiteral("/kvncc"));
        QVERIFY2(!entries.entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot).isEmpty(), "no cache entry made");
        const Ran ran = runFed(folder + QStringLiteral("/input_cin_gets.exe"), Feed::Pipe, "7\nGrace Hopper\n", folder, 20000);
        QVERIFY(ran.finished);
        QVERIFY2(ran.out.contains("[7|Grace Hopper]"), ran.out.constData());
    }
};

QTEST_GUILESS_MAIN(TestOldInput)
#include "tst_oldinput.moc"
