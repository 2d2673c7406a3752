// The old library and its headers on old programs of our own: each is
// built by the real kvncc and run, and what it prints is compared with what
// the old compilers' library gave.
#include "ptysession.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kvncc = QStringLiteral(KVNCC_PATH);
const QString fixtures = QStringLiteral(FIXTURES_DIR "/old");

// Builds the fixture in folder; the program's path, or an empty string and
// kvncc's output in failure.
QString build(const QString &fixture, const QStringList &switches, const QString &folder, QByteArray &failure)
{
    if (!QFile::copy(fixtures + u'/' + fixture, folder + u'/' + fixture)) {
        failure = "cannot copy " + fixture.toUtf8();
        return {};
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.start(kvncc, QStringList{QStringLiteral("-q")} + switches + QStringList{fixture});
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        failure = process.readAll();
        return {};
    }
    return folder + u'/' + QFileInfo(fixture).completeBaseName() + QStringLiteral(".exe");
}

// What console output in the given colours (foreground;background) looks
// like on the terminal.
QByteArray coloured(const QByteArray &codes, const QByteArray &text)
{
    return "\033[0;" + codes + "m" + text + "\033[0m";
}

QByteArray conioScreen()
{
    // The old colours in their order, BLACK to WHITE, as the terminal's.
    const char *const foreground[16] = {"30", "34", "32", "36", "31", "35", "33", "37",
                                        "90", "94", "92", "96", "91", "95", "93", "97"};
    const char *const background[8] = {"40", "44", "42", "46", "41", "45", "43", "47"};
    QByteArray out = "\033[2J\033[H\n";
    for (const char *fg : foreground) // LIGHTGRAY on BLACK is the terminal's own
        out += QByteArray(fg) == "37" ? QByteArray("x") : coloured(QByteArray(fg) + ";40", "x");
    out += '\n';
    for (const char *bg : background)
        out += coloured(QByteArray("97;") + bg, "y");
    out += '\n';
    out += coloured("93;41;5", "42") + "|printf|" + coloured("92;40", "h") + coloured("32;40", "l") + "n\n";
    out += "\033[5;10H10 5|abc13 5\n";
    // The window from column 11, row 6: 20 columns, 5 rows.
    out += "\033[6;11H\033[8;12H\0337" + QByteArray(19, ' ') + "\0338╔═♥\033[8;11H\033[9;11H1 4\n";
    out += "\033[10;30Hz\0337\033[6;10r\033[6H\033[M\033[r\0338\033[10;11H1 5\n";
    out += "\033[2;5H\033[0;37;44m\033[2;5H    \033[3;5H    \033[0m\033[2;5H\n";
    out += "\033[?25l\033[?25h\033[2J\033[H1 1\n";
    return out;
}

} // namespace

class TestCompat : public QObject
{
    Q_OBJECT

private slots:
    // Programs that print their results, run with input from a pipe; their
    // standard output compared line by line.
    void programs_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");

        // Into a pipe, as into a file, goes the text without the escape
        // codes of colours, cursor moves and clearing.
        QTest::newRow("conio colours, cursor and windows") << "conio_screen.c" << QStringList() << QByteArray()
                                                           << QByteArray("\nxxxxxxxxxxxxxxxx\nyyyyyyyy\n42|printf|hln\n"
                                                                         "10 5|abc13 5\n╔═♥\r\n1 4\nz1 5\n\n1 1\n");
        QTest::newRow("conio input from a pipe") << "keys_piped.c" << QStringList() << QByteArray("a\nbtoolong\n42")
                                                 << QByteArray("b|97 13 98|too|3|1|1 42\n");
        QTest::newRow("conio in C without its header") << "no_header.c" << QStringList() << QByteArray("\n")
                                                       << QByteArray("hi|13\n");
        QTest::newRow("dos.h") << "dos_time.c" << QStringList() << QByteArray()
                               << QByteArray("time 0 1 2 3\ndate 0 0 1\ntoday 1\nnow 1\ndos 1\ndelay 1\nsleep 0\n");
        QTest::newRow("string and number functions")
            << "strings.c" << QStringList() << QByteArray()
            << QByteArray("HELLO, WORLD 1|hello, world 1|1\n"
                          "edcba|ba|[]|1\n"
                          "******|xxxdef|xx\n"
                          "0 -1 1 -1 -1\n"
                          "0 0 -1 0\n"
                          "ff|-255|0|z|-2147483648\n"
                          "ffffffff|37777777766|11111111111111111111111111111111|[]\n"
                          "ffffffffffffffff|-9223372036854775808|-42|4294967295|11111111\n"
                          "1\n");
        QTest::newRow("random(n) and randomize") << "random.c" << QStringList() << QByteArray()
                                                 << QByteArray("outside 0, every value 1\nrepeats after srand 1\n"
                                                               "system random 1\nrandomize from the clock 1\n");
        // From a pipe the rest of the number's line goes, as when typed.
        QTest::newRow("fflush(stdin) drops the rest of a piped line")
            << "fflush_stdin.c" << QStringList() << QByteArray("25 junk\nJohn\n") << QByteArray("number>name>[25 John]\n");
        QTest::newRow("gets in C++") << "gets.cpp" << QStringList() << QByteArray("Ada Lovelace\n")
                                     << QByteArray("name? [Ada Lovelace]\n");
        QTest::newRow("own functions under old names") << "own_names.c" << QStringList() << QByteArray()
                                                       << QByteArray("own strrev|own max|cba 9 mixed\nown clrscr|\n");
        QTest::newRow("streams before namespaces, own max") << "old_streams.cpp" << QStringList() << QByteArray()
                                                            << QByteArray("   20|ff|0007|3.14|10\nmissing|10\n");
        // Modern programs build without a warning (-w -w!) and are unaffected.
        QTest::newRow("modern C11") << "modern.c" << QStringList{"-w", "-w!", "-std=c11"} << QByteArray()
                                    << QByteArray("1 7 modern 6\n");
        QTest::newRow("modern C++17") << "modern17.cpp" << QStringList{"-w", "-w!", "-std=c++17"} << QByteArray()
                                      << QByteArray("9 1 abc 1 3\n");
        QTest::newRow("modern C++20, own getch") << "modern20.cpp" << QStringList{"-w", "-w!", "-std=c++20"}
                                                 << QByteArray("z") << QByteArray("6 8 1122\n");
    }

    void programs()
    {
        QFETCH(QString, fixture);
        QFETCH(QStringList, switches);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        QByteArray failure;
        const QString program = build(fixture, switches, dir.path(), failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        QProcess run;
        run.setWorkingDirectory(dir.path());
        run.start(program, {});
        QVERIFY(run.waitForStarted());
        run.write(input);
        run.closeWriteChannel();
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(run.readAllStandardOutput().split('\n'), expected.split('\n'));
    }

    // The same programs at a terminal: the exact escape codes of conio's
    // colours, cursor and windows (the terminal does not answer the
    // question for the cursor, so conio counts it itself).
    void screenAtATerminal_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QByteArray>("waitFor");
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("conio colours, cursor and windows")
            << "conio_screen.c" << QByteArray() << QByteArray()
            << conioScreen().replace("\n", "\r\n").replace("\033[5;10H", "\033[5;10H\033[6n");
        QTest::newRow("conio in C without its header") << "no_header.c" << QByteArray("hi") << QByteArray("\r")
                                                       << QByteArray("\033[2J\033[H\033[2;3Hhi|13\r\n");
        QTest::newRow("own functions under old names")
            << "own_names.c" << QByteArray() << QByteArray()
            << QByteArray("own strrev|own max|cba 9 mixed\r\nown clrscr|\033[2;2H\r\n");
    }

    void screenAtATerminal()
    {
        QFETCH(QString, fixture);
        QFETCH(QByteArray, waitFor);
        QFETCH(QByteArray, keys);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        QByteArray failure;
        const QString program = build(fixture, {}, dir.path(), failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        QList<PtySession::Exchange> exchanges;
        if (!waitFor.isEmpty())
            exchanges.append({waitFor, keys});
        const PtySession session = PtySession::run({program}, exchanges);
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 0);
        QCOMPARE(session.output, expected);
    }

    // The keys of a terminal as getch() gave them: the arrow, function and
    // editing keys as 0 and their scan code, Backspace 8, Enter 13, Esc 27;
    // kbhit() neither blocks nor misses a key; cgets() edits and limits its
    // line; wherex()/wherey() ask the terminal, keeping keys typed meanwhile.
    void keysOnATerminal()
    {
        QTemporaryDir dir;
        QByteArray failure;
        const QString program = build(QStringLiteral("conio_keys.c"), {}, dir.path(), failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const PtySession session = PtySession::run({program}, {{"keys>", "\033[A\033OP\033[3~\033[6~\x7f\rq\033"},
                                                               {"wait>", "k"},
                                                               {"line>", "abc\x7f" "defg\r"},
                                                               {"echo>", "e"},
                                                               {"\033[6n", "x\033[7;12R"},
                                                               {"\033[6n", "\033[7;12R"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 0);
        for (const QByteArray &shown : {QByteArray("idle 0"), QByteArray("keys> 0 72 0 59 0 83 0 81 8 13 113 27"),
                                        QByteArray("wait> hit 107"), QByteArray("line>abc\b \bde\a\a\r[4 abde]"),
                                        QByteArray("unget u"), QByteArray("echo>e 101"), QByteArray(" 12 7 120")})
            QVERIFY2(session.output.contains(shown), session.output.constData());
        QVERIFY(session.canonicalAfterwards);
    }

    // At a terminal fflush(stdin) throws away the rest of what was typed, as
    // the old library did.
    void fflushOfStdinAtATerminal()
    {
        QTemporaryDir dir;
        QByteArray failure;
        const QString program = build(QStringLiteral("fflush_stdin.c"), {}, dir.path(), failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const PtySession session = PtySession::run({program}, {{"number>", "25 junk\r"}, {"name>", "John\r"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 0);
        QVERIFY2(session.output.contains("[25 John]"), session.output.constData());
    }

    // Ctrl+C while getch() waits ends the program as ever, and leaves the
    // terminal echoing and editing lines again.
    void interruptedKeyWaitLeavesLineMode()
    {
        QTemporaryDir dir;
        QByteArray failure;
        const QString program = build(QStringLiteral("conio_keys.c"), {}, dir.path(), failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const PtySession session = PtySession::run({program}, {{"keys>", "\x03"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 128 + SIGINT);
        QVERIFY(session.canonicalAfterwards);
    }
};

QTEST_GUILESS_MAIN(TestCompat)
#include "tst_compat.moc"
