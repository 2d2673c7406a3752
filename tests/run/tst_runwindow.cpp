#include "support/runfixture.h"

#include <QTest>

class TestRunWindow : public QObject
{
    Q_OBJECT

private slots:
    void loadShowsTheWaitingTextAndArmsTheRun()
    {
        RunFixture f;
        f.run.followFontSize([] { return 14.0; }); // the editor's
        f.run.Form_Load();
        QCOMPARE(f.Text1.fontSize, 14.0);
        QVERIFY(f.window.isShown());
        QCOMPARE(f.Text1.text(), QStringLiteral("Please wait while running compiler..."));
        QVERIFY(f.Timer1.isEnabled());
        QCOMPARE(f.Timer1.interval(), RunWindow::armingDelay);
        QVERIFY(f.process.calls.isEmpty());
        // Once the waiting text is painted the run need not wait.
        f.run.Text1_Painted();
        QVERIFY(f.Timer1.isEnabled());
        QCOMPARE(f.Timer1.interval(), 0);
        QVERIFY(f.Timer1.tick());
        QCOMPARE(f.process.calls.size(), 1);
        f.run.Text1_Painted(); // later paints start nothing
        QVERIFY(!f.Timer1.isEnabled());
    }

    void cleanRun()
    {
        RunFixture f;
        f.run.Form_Load();
        f.compilerOutput = QByteArray("kvncc 2.2\n");
        QVERIFY(f.Timer1.tick());
        QVERIFY(!f.Timer1.isEnabled());
        // The shell runs Run.bat in the working folder, and the window stays
        // usable meanwhile, with a way to stop the compiler.
        QCOMPARE(f.process.calls.size(), 1);
        QCOMPARE(f.process.calls[0].program, QStringLiteral("/bin/sh"));
        // The script lives in the process's private folder, never in the
        // working folder where one could be planted.
        QCOMPARE(f.process.calls[0].arguments, QStringList{QStringLiteral("/scratch/Run.bat")});
        QCOMPARE(f.process.calls[0].workingFolder, QStringLiteral("/work/"));
        QCOMPARE(f.files.files.value(QStringLiteral("/scratch/Run.bat")),
                 QByteArray("PATH=\"/usr/bin\"\n/usr/bin/kvncc -e\"/w/a.exe\"  \"/w/a.cpp\" > \"/scratch/output.txt\"\n"));
        QVERIFY(f.cmdStop.isVisible());
        QVERIFY(f.run.isRunning());
        QCOMPARE(f.runsEnded, 0);

        f.process.finish({Process::Result::Outcome::Finished, 0, {}, {}});

        const QString shown = QStringLiteral("Command passed:\r\n/usr/bin/kvncc -e\"/w/a.exe\"  \"/w/a.cpp\"\r\n\r\nkvncc 2.2\n");
        QCOMPARE(f.Text1.text(), shown);
        QCOMPARE(f.run.string1, QStringLiteral("/usr/bin/kvncc -e\"/w/a.exe\"  \"/w/a.cpp\""));
        // results.txt stays for users who read it, put in place as a file of
        // KVN's own (a link planted there is replaced, not written through).
        QCOMPARE(f.files.files.value(QStringLiteral("/work/results.txt")), (shown + QStringLiteral("\r\n")).toUtf8());
        QVERIFY(f.files.replaced.contains(QStringLiteral("/work/results.txt")));
        QVERIFY(!f.files.exists(QStringLiteral("/scratch/Run.bat")));
        QVERIFY(!f.files.exists(QStringLiteral("/scratch/output.txt")));
        QVERIFY(f.run.ok);
        QVERIFY(f.messages.calls.isEmpty());
        QVERIFY(!f.cmdStop.isVisible());
        QCOMPARE(f.runsEnded, 1);
    }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("verdict");
        const QString failed = QStringLiteral("Compilation unsuccessful: ");
        const QString passed = QStringLiteral("Compilation successful: ");
        QTest::newRow("error") << QByteArray("a.cpp:3:1: error: expected ';'\n") << 1 << false
                               << failed + QStringLiteral("1 error, 0 warnings.");
        QTest::newRow("classic Fatal with exit 0") << QByteArray("Fatal F1003 a.cpp 1: Error directive: stop\n") << 0
                                                   << false << failed + QStringLiteral("1 error, 0 warnings.");
        QTest::newRow("ERROR in capitals") << QByteArray("ERROR\n") << 0 << true << passed + QStringLiteral("0 errors, 0 warnings.");
        QTest::newRow("unknown form with a keyword") << QByteArray("Compile Error!\n") << 0 << false
                                                     << failed + QStringLiteral("0 errors, 0 warnings. The compiler's output holds the word \"Error\".");
        QTest::newRow("a warning about errors") << QByteArray("a.cpp:2:5: warning: unused variable 'errors' [-Wunused-variable]\n")
                                                << 0 << true << passed + QStringLiteral("0 errors, 1 warning.");
        QTest::newRow("#warning naming an error") << QByteArray("/w/error/a.cpp:1:2: warning: #warning this is not an error [-Wcpp]\n"
                                                                "    1 | #warning this is not an error\n      |  ^~~~~~~\n")
                                                  << 0 << true << passed + QStringLiteral("0 errors, 1 warning.");
        QTest::newRow("counted") << QByteArray("a.cpp: In function 'int main()':\na.cpp:3:1: error: one\na.cpp:4:1: warning: two\n"
                                               "a.cpp:5:1: error: three\n")
                                 << 1 << false << failed + QStringLiteral("2 errors, 1 warning.");
        QTest::newRow("a linker error counts once") << QByteArray("/usr/bin/ld: /tmp/cc1.o: in function `main':\n"
                                                                  "a.cpp:(.text+0x5): undefined reference to `foo()'\n"
                                                                  "collect2: error: ld returned 1 exit status\n")
                                                    << 1 << false << failed + QStringLiteral("1 error, 0 warnings.");
        QTest::newRow("silent failure") << QByteArray() << 1 << false
                                        << failed + QStringLiteral("0 errors, 0 warnings. The compiler ended with exit status 1.");
        QTest::newRow("compiler not found") << QByteArray() << 127 << false
                                            << failed + QStringLiteral("0 errors, 0 warnings. The compiler could not be started: "
                                                                       "/usr/bin/kvncc was not found or cannot be run.");
    }

    void verdicts()
    {
        QFETCH(QByteArray, output);
        QFETCH(int, exitCode);
        QFETCH(bool, ok);
        QFETCH(QString, verdict);
        RunFixture f;
        f.compile(output, exitCode);
        QCOMPARE(f.run.ok, ok);
        QCOMPARE(f.lblVerdict.caption(), verdict);
        // The output is the compiler's own, word for word.
        QCOMPARE(f.Text1.text(), QStringLiteral("Command passed:\r\n%1\r\n\r\n%2").arg(f.run.string1, QString::fromUtf8(output)));
        QCOMPARE(f.messages.titles(), ok ? QStringList() : QStringList{QStringLiteral("Compilation unsuccessful...")});
        QCOMPARE(f.runsEnded, 1);
        // Brought to the front when the run starts and again for its verdict.
        QCOMPARE(f.window.showCount, 2);
    }

    void messageLinesAreSetApartInTheOutput()
    {
        RunFixture f;
        f.run.request.A_adduse = 1;
        f.run.request.A_addparam = QStringLiteral("-DX=\"a\nb\" "); // a command of two lines
        f.compile("kvncc 2.2\r\na.cpp:2:5: warning: w\n    2 | x\na.cpp:3:1: error: e\n");
        // Header: "Command passed:", two lines of command, a blank line.
        QCOMPARE(f.Text1.marked, (QList<OutputBox::MarkedLine>{{5, OutputBox::LineKind::Warning}, {7, OutputBox::LineKind::Error}}));
        QCOMPARE(f.run.diagnostics().at(1).line, 3);
        f.run.showDiagnostic(0);
        QCOMPARE(f.Text1.currentFirst, 5);
        QCOMPARE(f.Text1.currentLast, 6);

        // The same output read back later is found the same way.
        f.run.request.A_start = false;
        f.run.Form_Load();
        f.Timer1.tick();
        QCOMPARE(f.Text1.marked.size(), 2);
        QCOMPARE(f.run.diagnostics().at(0).outputLine, 5);
    }

    void theCommandLineIsNotJudged()
    {
        RunFixture f;
        f.run.request.A_srcfile = QStringLiteral("/home/u/Error/fatal.cpp");
        f.compile("done\n");
        QVERIFY(f.Text1.text().contains(QStringLiteral("/home/u/Error/fatal.cpp")));
        QVERIFY(f.run.ok);
    }

    void errorOutputOfTheShellIsShown()
    {
        RunFixture f;
        f.run.Form_Load();
        f.Timer1.tick();
        f.process.finish({Process::Result::Outcome::Finished, 127, QStringLiteral("sh: 2: /usr/bin/kvncc: not found\n"), {}});
        QVERIFY(f.Text1.text().contains(QStringLiteral("sh: 2: /usr/bin/kvncc: not found")));
        QVERIFY(!f.run.ok);
    }

    void failedStartsAndStops_data()
    {
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("shownLine");
        QTest::newRow("no shell") << int(Process::Result::Outcome::FailedToStart) << QStringLiteral("could not be started");
        QTest::newRow("crash") << int(Process::Result::Outcome::Crashed) << QStringLiteral("ended abnormally");
    }

    void failedStartsAndStops()
    {
        QFETCH(int, outcome);
        QFETCH(QString, shownLine);
        RunFixture f;
        f.compilerOutput = QByteArray("all fine\n");
        f.run.Form_Load();
        f.Timer1.tick();
        f.process.finish({Process::Result::Outcome(outcome), -1, {}, QStringLiteral("reason")});
        QVERIFY(!f.run.ok);
        QVERIFY(f.lblVerdict.caption().contains(shownLine));
        QCOMPARE(f.runsEnded, 1);
    }

    void stopEndsAHangingCompiler()
    {
        RunFixture f;
        f.run.Form_Load();
        f.Timer1.tick();
        QVERIFY(f.run.isRunning());
        f.run.cmdStop_Click();
        QCOMPARE(f.process.stops, 1);
        QVERIFY(!f.run.isRunning());
        QVERIFY(!f.run.ok);
        QVERIFY(f.lblVerdict.caption().contains(QStringLiteral("stopped")));
        QCOMPARE(f.runsEnded, 1);
    }

    // A replacement character the compiler printed is text like any other;
    // only output that is not UTF-8 is read byte for byte.
    void compilerOutputIsUtf8()
    {
        RunFixture f;
        f.compile("a.cpp:1:1: warning: bad byte \xef\xbf\xbd in \xe2\x80\x98x\xe2\x80\x99\n");
        QVERIFY(f.Text1.text().contains(QStringLiteral("bad byte \ufffd in \u2018x\u2019")));
        f.compile("caf\xe9\n");
        QVERIFY(f.Text1.text().contains(QStringLiteral("caf\u00e9")));
    }

    void aScriptThatCannotBeWrittenStopsTheCompile()
    {
        RunFixture f;
        f.files.failWritesUnder(QStringLiteral("/scratch/"));
        f.run.Form_Load();
        f.Timer1.tick();
        QVERIFY(f.process.calls.isEmpty());
        QVERIFY(!f.run.ok);
        QVERIFY2(f.lblVerdict.caption().contains(QStringLiteral("could not write its compile script: Permission denied")),
                 qPrintable(f.lblVerdict.caption()));
        QCOMPARE(f.runsEnded, 1);
    }

    void outputOfAnEarlierRunIsNotReused()
    {
        RunFixture f;
        f.files.files.insert(QStringLiteral("/scratch/output.txt"), QByteArray("old output\n"));
        f.run.Form_Load();
        f.Timer1.tick();
        f.process.finish({Process::Result::Outcome::Finished, 0, {}, {}});
        QVERIFY(!f.Text1.text().contains(QStringLiteral("old output")));
    }

    void showModeReadsTheLastOutput()
    {
        RunFixture f;
        f.run.request.A_start = false;
        f.run.Form_Load();
        f.Timer1.tick();
        // Without an output the window says there is none, rather than
        // seeming to wait for a compile.
        QCOMPARE(f.Text1.text(), RunWindow::noOutputText());
        QCOMPARE(f.lblVerdict.caption(), QString());
        QVERIFY(f.process.calls.isEmpty());
        f.files.files.insert(QStringLiteral("/work/results.txt"), QByteArray("Command passed:\r\nx\r\n"));
        f.run.Form_Load();
        f.Timer1.tick();
        QCOMPARE(f.Text1.text(), QStringLiteral("Command passed:\r\nx\r\n"));
        QVERIFY(!f.Timer1.isEnabled());
    }

    void copyAfterConfirmation()
    {
        RunFixture f;
        f.compile("out\n");
        f.messages.answerNext(Reply::No);
        f.run.cmdCopy_Click();
        QCOMPARE(f.clipboard.setCount, 0);
        f.messages.answerNext(Reply::Yes);
        f.run.cmdCopy_Click();
        QCOMPARE(f.messages.calls.last().text, QStringLiteral("Confirm copy to clipboard? Any items on the clipboard will be lost."));
        QCOMPARE(f.messages.calls.last().title, QStringLiteral("Confirm?"));
        QCOMPARE(f.clipboard.text(), f.Text1.text());
        QVERIFY(f.Text1.allSelected);
    }

    void saveToText()
    {
        RunFixture f;
        f.Text1.setText(QStringLiteral("line 1\nline 2"));
        f.files.files.insert(QStringLiteral("/work/old.txt"), QByteArray("keep"));
        f.dialogs.pickNext(QStringLiteral("/work/old.txt"));
        f.messages.answerNext(Reply::No);
        f.dialogs.cancelNext();
        f.run.cmdSave_Click();
        QCOMPARE(f.files.files.value(QStringLiteral("/work/old.txt")), QByteArray("keep"));
        QCOMPARE(f.dialogs.calls.size(), 2);
        QCOMPARE(f.dialogs.calls[0].filter, QStringLiteral("Text Files|*.txt|All Files|*.*"));

        f.dialogs.pickNext(QStringLiteral("/work/new.txt"));
        f.run.cmdSave_Click();
        QCOMPARE(f.files.files.value(QStringLiteral("/work/new.txt")), QByteArray("line 1\r\nline 2\r\n"));
        QCOMPARE(f.messages.titles().last(), QStringLiteral("File saved."));

        f.files.failWritesUnder(QStringLiteral("/ro/"));
        f.dialogs.pickNext(QStringLiteral("/ro/x.txt"));
        f.run.cmdSave_Click();
        QCOMPARE(f.messages.titles().last(), QStringLiteral("File not saved"));
    }

    void resizeKeepsTheButtonsUnderTheText()
    {
        RunFixture f;
        f.window.setOuterSize({9000, 8000});
        f.run.Form_Resize();
        QCOMPARE(f.window.placed.value(QStringLiteral("Text1")), (TwipRect{0, 0, 8895, 7070 - RunWindow::verdictHeight}));
        QCOMPARE(f.window.placed.value(QStringLiteral("lblVerdict")).top, 7100 - RunWindow::verdictHeight);
        QCOMPARE(f.window.placed.value(QStringLiteral("cmdCopy")), (TwipRect{0, 7175, 1935, 375}));
        QCOMPARE(f.window.placed.value(QStringLiteral("cmdSave")), (TwipRect{1920, 7175, 1935, 375}));
    }

    void unloadHidesAndKeepsTheRequest()
    {
        RunFixture f;
        f.compile("x\n");
        f.run.Form_Unload();
        QVERIFY(!f.window.isShown());
        QVERIFY(!f.run.isLoaded());
        QCOMPARE(f.run.request.A_srcfile, QStringLiteral("/w/a.cpp"));
        QVERIFY(f.run.ok);
    }
};

QTEST_GUILESS_MAIN(TestRunWindow)
#include "tst_runwindow.moc"
