// Console programs of the Windows compilers, built by the real kvncc and
// run at a pseudo-terminal (the exact escape codes the terminal receives)
// and through pipes (the text alone, as in a redirected file).
#include "ptysession.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kvncc = QStringLiteral(KVNCC_PATH);
const QString fixtures = QStringLiteral(FIXTURES_DIR "/old");

// The terminal's line discipline turns each line end into CR LF.
QByteArray onTerminal(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

// The colours of all later text, as SetConsoleTextAttribute sets them:
// foreground;background of the terminal.
QByteArray colours(const QByteArray &codes)
{
    return "\033[0;" + codes + "m";
}

const QByteArray ownColours = "\033[0m";
const QByteArray clearScreen = "\033[H\033[2J\033[3J";
const QByteArray pausePrompt = "Press any key to continue . . . ";
// The terminal's title is saved on its stack before the program's first
// one, and taken back as the program ends.
const QByteArray saveTitle = "\033[22;0t";
const QByteArray restoreTitle = "\033[23;0t";

} // namespace

class TestWindowsConsole : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QHash<QString, QString> m_built;
    int m_builds = 0;

    // The fixture built with the given switches (once per test run); an
    // empty path and kvncc's output in failure. Switches that name .c
    // files are further fixtures of the same program, built after it.
    QString program(const QString &fixture, const QStringList &switches, QByteArray &failure)
    {
        const QString key = fixture + u'|' + switches.join(u' ');
        if (m_built.contains(key))
            return m_built.value(key);
        const QString folder = m_dir.path() + u'/' + QString::number(m_builds++);
        QDir().mkpath(folder);
        QStringList options, sources{fixture};
        for (const QString &word : switches)
            (word.endsWith(QStringLiteral(".c")) ? sources : options).append(word);
        for (const QString &source : sources) {
            if (!QFile::copy(fixtures + u'/' + source, folder + u'/' + source)) {
                failure = "cannot copy " + source.toUtf8();
                return {};
            }
        }
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(folder);
        process.start(kvncc, QStringList{QStringLiteral("-q")} + options + sources);
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0) {
            failure = process.readAll();
            return {};
        }
        const QString path = folder + u'/' + QFileInfo(fixture).completeBaseName() + QStringLiteral(".exe");
        m_built.insert(key, path);
        return path;
    }

private slots:
    // At a pseudo-terminal: the keys (pairs of a text to wait for and the
    // keys to type then) and all that reaches the terminal.
    void atATerminal_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QByteArrayList>("exchanges");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("cursor from 0,0 at the top left, C++, own gotoxy")
            << "win_cursor.cpp" << QByteArrayList{}
            << onTerminal("\033[1;1HMENU\033[5;11H1. Play\033[6;11H2. Quit\n0\n");
        // Light grey on black (7) is the terminal's own colours; colours
        // left on at the end are switched off as the program ends.
        QTest::newRow("the 16 console colours for printf, C")
            << "win_colours.c" << QByteArrayList{}
            << colours("30;40") + "0" + colours("34;40") + "1" + colours("32;40") + "2" + colours("36;40") + "3"
                   + colours("31;40") + "4" + colours("35;40") + "5" + colours("33;40") + "6" + ownColours + "7"
                   + colours("90;40") + "8" + colours("94;40") + "9" + colours("92;40") + "A" + colours("96;40")
                   + "B" + colours("91;40") + "C" + colours("95;40") + "D" + colours("93;40") + "E"
                   + colours("97;40") + "F" + colours("91;46") + "\r\nred on cyan\r\n" + colours("30;47")
                   + "black on grey" + ownColours + "\r\nplain\r\n" + colours("93;44") + "yellow on blue to the end"
                   + ownColours;
        // The screen buffer's cursor is asked of the terminal; the clearing
        // of the documentation clears the screen; the hidden cursor comes
        // back at the end.
        QTest::newRow("title, hidden cursor, bell, clearing")
            << "win_screen.cpp" << QByteArrayList{"\033[6n", "\033[1;8R"}
            << saveTitle + "\033]0;Snake Game\a\033[?25lLoading\a\033[6n\033[2J\033[1;1HReady\r\n\033[?25h"
                   + restoreTitle;
        QTest::newRow("cls, color, mode, title and pause>nul by system()")
            << "win_system.c" << QByteArrayList{"Bank System\a" + clearScreen, "x"}
            << "Menu" + clearScreen + "Cleared\r\n" + colours("92;40") + "green\r\n256\r\n" + colours("97;44")
                   + "white on blue\r\n" + ownColours + saveTitle + "\033]0;Bank System\a" + clearScreen
                   + "after 768\r\n" + restoreTitle;
        // The first of "cls || clear" is carried out here; the shell that
        // knows no cls is not asked.
        QTest::newRow("cls || clear by system()")
            << "win_either.c" << QByteArrayList{}
            << onTerminal("before\n" + clearScreen + "between\n" + clearScreen + "after 0\n");
        QTest::newRow("pause waits for a key each time")
            << "win_pause.cpp" << QByteArrayList{pausePrompt, "k", pausePrompt, "\033[A"}
            << onTerminal("Result: 42\n" + pausePrompt + "\n" + pausePrompt + "\nend\n");
        // The boxes wait for a key, even an OK box; the line end that the
        // program's scanf() left is not taken for Enter.
        QTest::newRow("message boxes answered by keys")
            << "win_messagebox.c" << QByteArrayList{"number> ", "7\r", "[OK] ", "x", "[Yes/No] ", "n",
                                                    "[Yes/No/Cancel] ", "\033[A"}
            << onTerminal("number> 7\nQuiz: Welcome to the quiz [OK] OK\nQuiz: Play again? [Yes/No] No\nbye\n"
                          "Quiz: Save? [Yes/No/Cancel] Cancel\n2\n");
        // A key counts as down for a twentieth of a second after it is
        // seen: a tap moves a game that looks every 50 ms once.
        QTest::newRow("the keyboard's state")
            << "win_keys.c" << QByteArrayList{"ready", "\033[C", "right 6", "q"}
            << onTerminal("ready\nright 6\nquit, pressed since: 0\n");
        // The gray keys and F11, F12 after 224, as the Windows compilers'
        // getch() gave them; F1 after 0.
        QTest::newRow("arrow keys after 224")
            << "win_arrows.c"
            << QByteArrayList{"keys> ", "\033[B", "80]", "\033OP", "[59]", "\033[24~", "134]", "\033[H", "71]", "a",
                              "[97]", "q"}
            << onTerminal("keys> [224 1 80][0 1][59][224 1 134][224 1 71][97]\n");
        // cout with a buffer of its own is written out before each escape
        // and command, and before the colours are switched off at the end.
        QTest::newRow("cout apart from stdio")
            << "win_cout_apart.cpp" << QByteArrayList{}
            << "Menu" + clearScreen + "plain " + colours("91;40") + "red\033[4;3Hhere" + saveTitle
                   + "\033]0;Caf\xC3\xA9 Shop\a to the end" + restoreTitle + ownColours;
        // conio's colours last for its own output, then the console's
        // colours of all text are back.
        QTest::newRow("own gotoxy and Sleep over the console functions")
            << "win_own.c" << QByteArrayList{}
            << "\033[2;3H" + colours("91;40") + "red" + colours("93;40") + "!" + colours("91;40") + "red" + ownColours
                   + "own Sleep 5|\r\n";
    }

    void atATerminal()
    {
        QFETCH(QString, fixture);
        QFETCH(QByteArrayList, exchanges);
        QFETCH(QByteArray, expected);
        QByteArray failure;
        const QString path = program(fixture, {}, failure);
        QVERIFY2(!path.isEmpty(), failure.constData());
        QList<PtySession::Exchange> keys;
        for (qsizetype i = 0; i + 1 < exchanges.size(); i += 2)
            keys.append({exchanges[i], exchanges[i + 1]});
        const PtySession session = PtySession::run({path}, keys);
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 0);
        QCOMPARE(session.output, expected);
        QVERIFY(session.canonicalAfterwards);
    }

    // A program stopped by Ctrl+C leaves the terminal with its cursor, its
    // own colours and its title, and in line mode.
    void interruptedProgramGivesTheScreenBack()
    {
        QByteArray failure;
        const QString path = program(QStringLiteral("win_clock.c"), {}, failure);
        QVERIFY2(!path.isEmpty(), failure.constData());
        const PtySession session = PtySession::run({path}, {{"tick", "\x03"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 128 + SIGINT);
        QVERIFY2(session.output.startsWith(saveTitle + "\033]0;Clock\a\033[?25l" + colours("92;40")
                                           + "Clock (press Ctrl+C to stop)\r\n\rtick"),
                 session.output.constData());
        // A Ctrl+C that comes between two Sleep() calls, while the terminal
        // echoes, is shown as ^C.
        QVERIFY2(session.output.endsWith("tick" + ownColours + "\033[?25h" + restoreTitle)
                     || session.output.endsWith("tick^C" + ownColours + "\033[?25h" + restoreTitle),
                 session.output.constData());
        QVERIFY(session.canonicalAfterwards);
    }

    // A program that crashes still ends by its signal, and the terminal
    // gets its colours and cursor back first.
    void crashedProgramGivesTheScreenBack()
    {
        QByteArray failure;
        const QString path = program(QStringLiteral("win_crash.c"), {}, failure);
        QVERIFY2(!path.isEmpty(), failure.constData());
        const PtySession session = PtySession::run({path}, {});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 128 + SIGSEGV);
        QVERIFY2(session.output.endsWith("about to crash\r\n" + ownColours + "\033[?25h"), session.output.constData());
    }

    // Output to a pipe, as to a file: the same text, and not one escape
    // code; input from a pipe.
    void throughAPipe_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("cursor") << "win_cursor.cpp" << QStringList() << QByteArray()
                                << QByteArray("MENU1. Play2. Quit\n0\n");
        QTest::newRow("colours") << "win_colours.c" << QStringList() << QByteArray()
                                 << QByteArray("0123456789ABCDEF\nred on cyan\nblack on grey\nplain\n"
                                               "yellow on blue to the end");
        QTest::newRow("title, cursor, bell, clearing")
            << "win_screen.cpp" << QStringList() << QByteArray() << QByteArray("LoadingReady\n");
        // Text printed before system("cls") comes before it; the pause that
        // prints nothing takes one character of the input.
        QTest::newRow("console commands") << "win_system.c" << QStringList() << QByteArray("x")
                                          << QByteArray("MenuCleared\ngreen\n256\nwhite on blue\nafter 768\n");
        // A line that only starts like a console command is the shell's
        // as a whole: none of it is carried out here and the rest dropped.
        // Redirections to nul, of errors too, leave a console command one.
        QTest::newRow("chained console commands go to the shell")
            << "win_shell_lines.c" << QStringList() << QByteArray()
            << "chained\n|0\nnext line\n|0\ntitled\n|0\n|127\n|127\n|4\n|0\n|0\n|0\n|0\n" + pausePrompt + "\n|0\n";
        // The program's own getch() and kbhit() in a file of their own are
        // the ones its other files call.
        QTest::newRow("own getch in another file")
            << "win_own_keys.c" << QStringList{"win_own_keys_getch.c"} << QByteArray("x")
            << QByteArray("own 1 k k\n");
        // A NUL byte of a pipe is a key of its own, not the start of one.
        QTest::newRow("NUL from a pipe") << "win_arrows.c" << QStringList() << QByteArray("a\0Hq", 4)
                                         << QByteArray("keys> [97][0 1][72]\n");
        QTest::newRow("pause takes a character each")
            << "win_pause.cpp" << QStringList() << QByteArray("ab")
            << "Result: 42\n" + pausePrompt + "\n" + pausePrompt + "\nend\n";
        QTest::newRow("pause at the end of the input goes on")
            << "win_pause.cpp" << QStringList() << QByteArray()
            << "Result: 42\n" + pausePrompt + "\n" + pausePrompt + "\nend\n";
        QTest::newRow("message boxes answered by lines")
            << "win_messagebox.c" << QStringList() << QByteArray("7\n yes please\n\n")
            << QByteArray("number> Quiz: Welcome to the quiz\nQuiz: Play again? [Yes/No] Yes\nagain\n"
                          "Quiz: Save? [Yes/No/Cancel] Yes\n6\n");
        QTest::newRow("message boxes at the end of the input")
            << "win_messagebox.c" << QStringList() << QByteArray("7")
            << QByteArray("number> Quiz: Welcome to the quiz\nQuiz: Play again? [Yes/No] No\nbye\n"
                          "Quiz: Save? [Yes/No/Cancel] Cancel\n2\n");
        // Keys from a pipe arrive at once; its end is no key.
        QTest::newRow("the keyboard's state") << "win_keys.c" << QStringList() << QByteArray("q")
                                              << QByteArray("ready\nquit, pressed since: 0\n");
        // Refusals as there; a pipe's screen is 80 by 25 with the cursor
        // at 0,0; control characters never reach the terminal's title.
        QTest::newRow("answers of the console functions")
            << "win_values.c" << QStringList() << QByteArray()
            << QByteArray("handles 1 0\ncursor size 0: 0, still 25 1\nbeep at 20 Hz: 0, 1 ms\n"
                          "screen 80x25 cursor 0,0 attribute 1E\ntitle [a]2;bc] 2 [a]]\n"
                          "zero 0, words 5678 1234, colour 30201\n");
        QTest::newRow("own gotoxy and Sleep") << "win_own.c" << QStringList() << QByteArray()
                                              << QByteArray("red!redown Sleep 5|\n");
        // The rest of the number's line is dropped by _flushall().
        QTest::newRow("underscore names, <WINDOWS.H>, <CONIO.H>")
            << "win_underscore.c" << QStringList() << QByteArray("12 junk\nab")
            << QByteArray("Number: 12 a\r\ncputs!\n1\nb|98\n");
        QTest::newRow("_tmain, stdafx.h, <Windows.h> with the C library")
            << "win_tmain.cpp" << QStringList() << QByteArray() << QByteArray("Visual 1 1\nStudio\n");
        // Modern programs build without a warning (-w -w!) and keep their
        // own functions; system() keeps the shell's status and leaves the
        // program alone on the shell's interrupt.
        QTest::newRow("modern C11, own Sleep and Beep, the shell")
            << "win_modern.c" << QStringList{"-w", "-w!", "-std=c11"} << QByteArray()
            << QByteArray("sleep 3\n3\nbefore|shell\n1 3 1\nsurvived 5\n");
        QTest::newRow("modern C++17, own _getch and GetTickCount")
            << "win_modern17.cpp" << QStringList{"-w", "-w!", "-std=c++17"} << QByteArray()
            << QByteArray("5 m 42\n");
    }

    void throughAPipe()
    {
        QFETCH(QString, fixture);
        QFETCH(QStringList, switches);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QByteArray failure;
        const QString path = program(fixture, switches, failure);
        QVERIFY2(!path.isEmpty(), failure.constData());
        QProcess run;
        // What the shell's commands write goes into the program's folder.
        run.setWorkingDirectory(QFileInfo(path).path());
        run.start(path, {});
        QVERIFY(run.waitForStarted());
        run.write(input);
        run.closeWriteChannel();
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(run.readAllStandardOutput(), expected);
    }

    // The windows of Windows are refused at the program's own line, with a
    // message that names what is not supported.
    void windowProgramsRefused_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QByteArrayList>("pieces");

        QTest::newRow("CreateWindowEx and a message loop")
            << "win_window.cpp"
            << QByteArrayList{"win_window.cpp:6:33: error: ", "CreateWindowExA(...)",
                              " is unavailable: KVN builds console programs; the windows, messages and drawing of "
                              "Windows are not supported\n",
                              "win_window.cpp:10:22: error: ", "GetMessageA(...)"};
        QTest::newRow("WinMain") << "win_winmain.c"
                                 << QByteArrayList{"win_winmain.c:4:11: error: WinMain is unavailable: KVN builds "
                                                   "console programs, which start at main; the windows of Windows "
                                                   "are not supported\n"};
    }

    void windowProgramsRefused()
    {
        QFETCH(QString, fixture);
        QFETCH(QByteArrayList, pieces);
        QByteArray failure;
        QVERIFY(program(fixture, {}, failure).isEmpty());
        for (const QByteArray &piece : pieces)
            QVERIFY2(failure.contains(piece), failure.constData());
    }
};

QTEST_GUILESS_MAIN(TestWindowsConsole)
#include "tst_windowsconsole.moc"
