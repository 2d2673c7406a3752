// The BIOS keyboard of <bios.h> (bioskey(), _bios_keybrd()) in programs
// built by the real kvncc: keys with their scan codes, from a pipe and
// typed at a terminal, and the end of the input.
#include "fedprograms.h"
#include "ptysession.h"

namespace {

const QString fixtures = QStringLiteral(FIXTURES_DIR "/old");

// Runs program with input from a pipe that holds all of input, and its
// end, before the program starts; stops it after 5 s.
Ran runPiped(const QString &program, const QByteArray &input)
{
    return runFed(program, Feed::Pipe, input, QFileInfo(program).path(), 5000);
}

} // namespace

class TestBios : public QObject
{
    Q_OBJECT

    BuiltFixtures m_programs{fixtures};

    QString built(const QString &fixture, const QStringList &switches, QByteArray &failure)
    {
        return m_programs.built(fixture, switches, failure);
    }

private slots:
    // Keys from a pipe: the scan code in the high byte, the character in
    // the low one, a line end as Enter; whether a key waits; no shift keys.
    void keysFromAPipe_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("letters, Enter and Esc")
            << "bios_keys.c" << QByteArray("aZ\n\x1b")
            << QByteArray("shift 0, waiting 1\nkey> 1E61\nkey> 2C5A\nkey> 1C0D\nkey> 011B\nwaiting 0\n") << QByteArray();
        QTest::newRow("digits, Tab, Backspace, Ctrl+C")
            << "bios_keys.c" << QByteArray("1=\t\b\x03\x1b")
            << QByteArray("shift 0, waiting 1\nkey> 0231\nkey> 0D3D\nkey> 0F09\nkey> 0E08\nkey> 2E03\nkey> 011B\nwaiting 0\n")
            << QByteArray();
        // A wait for a key that cannot come ends the program, with a word
        // why, rather than answering -1 for ever.
        QTest::newRow("the input ends before Esc")
            << "bios_keys.c" << QByteArray("a")
            << QByteArray("shift 0, waiting 1\nkey> 1E61\nkey> ")
            << QByteArray("bioskey(): the input has ended, so the program ends here.\n");
        QTest::newRow("no input at all") << "bios_keys.c" << QByteArray() << QByteArray("shift 0, waiting 0\nkey> ")
                                         << QByteArray("bioskey(): the input has ended, so the program ends here.\n");
        QTest::newRow("the Microsoft names") << "bios_keybrd.cpp" << QByteArray("q") << QByteArray("1 1071 0 0\n")
                                             << QByteArray();
        QTest::newRow("the Microsoft names at the end of the input")
            << "bios_keybrd.cpp" << QByteArray() << QByteArray()
            << QByteArray("_bios_keybrd(): the input has ended, so the program ends here.\n");
    }
    void keysFromAPipe()
    {
        QFETCH(QString, fixture);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QByteArray failure;
        const QString program = built(fixture, {}, failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const Ran ran = runPiped(program, input);
        QVERIFY2(ran.finished, ran.out.left(200).constData());
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.out, out);
        QCOMPARE(ran.err, err);
    }

    // A loop that asks whether a key waits, once its input has ended, waits
    // rather than spinning, and ends with a word why instead of asking for
    // ever.
    void aPollingLoopEndsWithItsInput()
    {
        QByteArray failure;
        const QString program = built(QStringLiteral("bios_poll.c"), {}, failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const Ran ran = runPiped(program, "a");
        QVERIFY2(ran.finished, ran.out.left(200).constData());
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.out, QByteArray("key after none\n"));
        QVERIFY2(ran.err.contains("the input has ended"), ran.err.constData());
    }

    // Keys typed at a terminal, the arrows and function keys as the old
    // keyboard gave them: no character, their scan code.
    void keysTypedAtATerminal()
    {
        QByteArray failure;
        const QString program = built(QStringLiteral("bios_keys.c"), {}, failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const PtySession session = PtySession::run(
            {program}, {{"key> ", "a"}, {"key> ", "\x1b[A"}, {"key> ", "\x1b[D"}, {"key> ", "\x1bOP"}, {"key> ", "\r"},
                        {"key> ", "\x1b"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 0);
        QVERIFY2(session.output.contains("shift 0, waiting 0\r\nkey> 1E61\r\nkey> 4800\r\nkey> 4B00\r\nkey> 3B00\r\n"
                                         "key> 1C0D\r\nkey> 011B\r\nwaiting 0\r\n"),
                 session.output.constData());
    }

    // A modern program's own bioskey is the one it calls, with every
    // warning on and failing the build.
    void aProgramsOwnBioskey()
    {
        QByteArray failure;
        const QString program = built(QStringLiteral("bios_own.cpp"),
                                      {QStringLiteral("-w"), QStringLiteral("-w!"), QStringLiteral("-std=c++17")}, failure);
        QVERIFY2(!program.isEmpty(), failure.constData());
        const Ran ran = runPiped(program, {});
        QVERIFY(ran.finished);
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.out, QByteArray("0 200 2\n"));
    }
};

QTEST_GUILESS_MAIN(TestBios)
#include "tst_bios.moc"
