#include "support/runfixture.h"

#include "platform/fake/faketerminal.h"
#include "run/postcompile.h"

#include <QTest>

class TestPostCompile : public QObject
{
    Q_OBJECT

private:
    struct Fixture : RunFixture
    {
        FakeTimer mainTimer;
        FakeMenuItem mnuDelete{false};
        FakeTerminal terminal;
        PostCompile post{mainTimer, mnuDelete, run, {messages, files, terminal, messages}};

        Fixture()
        {
            run.request.A_srcfile = QStringLiteral("/work/hello.cpp");
            run.request.A_output = QStringLiteral("/work/hello.exe");
            mainTimer.setEnabled(false);
            run.onRunEnded([this] { mainTimer.setEnabled(true); });
            files.files.insert(QStringLiteral("/work/hello.obj"), QByteArray("o"));
            files.files.insert(QStringLiteral("/work/hello.tds"), QByteArray("t"));
        }
    };

private slots:
    void cleanCompileOffersToDeleteAndRun_data()
    {
        QTest::addColumn<bool>("deleteOption");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<bool>("started");
        const QString del = QStringLiteral("Delete?");
        const QString exec = QStringLiteral("Execute your app?");
        QTest::newRow("option off, run") << false << QList<int>{int(Reply::Yes)} << QStringList{exec} << false << true;
        QTest::newRow("delete and run") << true << QList<int>{int(Reply::Yes), int(Reply::Yes)} << QStringList{del, exec} << true << true;
        QTest::newRow("keep files, don't run") << true << QList<int>{int(Reply::No), int(Reply::No)} << QStringList{del, exec} << false << false;
        QTest::newRow("cancel skips the rest") << true << QList<int>{int(Reply::Cancel)} << QStringList{del} << false << false;
    }

    void cleanCompileOffersToDeleteAndRun()
    {
        QFETCH(bool, deleteOption);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, questions);
        QFETCH(bool, deleted);
        QFETCH(bool, started);
        Fixture f;
        f.mnuDelete.setChecked(deleteOption);
        f.compile("clean\n");
        QVERIFY(f.mainTimer.isEnabled());
        for (int answer : answers)
            f.messages.answerNext(Reply(answer));
        const int shownBefore = f.window.showCount;

        QVERIFY(f.mainTimer.tick());

        QCOMPARE(f.messages.titles(), questions);
        if (deleteOption) {
            QCOMPARE(f.messages.calls[0].text, QStringLiteral("Delete *.tds & *.obj files?"));
            QCOMPARE(f.messages.calls[0].buttons, Buttons::YesNoCancel);
        }
        QCOMPARE(f.files.exists(QStringLiteral("/work/hello.obj")), !deleted);
        QCOMPARE(f.files.exists(QStringLiteral("/work/hello.tds")), !deleted);
        QCOMPARE(f.terminal.calls.size(), started ? 1 : 0);
        if (started) {
            QCOMPARE(f.terminal.calls[0].program, QStringLiteral("/work/hello.exe"));
            QCOMPARE(f.terminal.calls[0].workingFolder, QStringLiteral("/work"));
        }
        QCOMPARE(f.window.showCount, shownBefore + 1); // the output comes forward
        QVERIFY(!f.mainTimer.isEnabled());
    }

    void failedCompileAsksNothingAndStopsTheTimer()
    {
        Fixture f;
        f.mnuDelete.setChecked(true);
        f.compile("x.cpp:1: error: nope\n", 1);
        f.messages.calls.clear();
        const int shownBefore = f.window.showCount;
        QVERIFY(f.mainTimer.tick());
        QVERIFY(f.messages.calls.isEmpty());
        QCOMPARE(f.window.showCount, shownBefore);
        QVERIFY(!f.mainTimer.isEnabled());
        QVERIFY(f.files.exists(QStringLiteral("/work/hello.obj")));
    }

    void dottedFolderCutsTheObjectPath()
    {
        Fixture f;
        f.run.request.A_srcfile = QStringLiteral("/my.dir/hello");
        f.files.files.insert(QStringLiteral("/my.obj"), QByteArray("o"));
        f.mnuDelete.setChecked(true);
        f.compile("ok\n");
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(Reply::No);
        f.mainTimer.tick();
        QVERIFY(!f.files.exists(QStringLiteral("/my.obj")));
    }

    void actsOnTheFilesOfTheCompileThatRan()
    {
        Fixture f;
        f.mnuDelete.setChecked(true);
        f.compilerOutput = QByteArray("clean\n");
        f.run.Form_Load();
        f.Timer1.tick();
        // Another source is chosen while the compiler works.
        f.run.request.A_srcfile = QStringLiteral("/other/prog.cpp");
        f.run.request.A_output = QStringLiteral("/other/prog.exe");
        f.files.files.insert(QStringLiteral("/other/prog.obj"), QByteArray("o"));
        f.process.finish({Process::Result::Outcome::Finished, 0, {}, {}});
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(Reply::Yes);
        f.mainTimer.tick();
        QVERIFY(!f.files.exists(QStringLiteral("/work/hello.obj")));
        QVERIFY(f.files.exists(QStringLiteral("/other/prog.obj")));
        QCOMPARE(f.terminal.calls.size(), 1);
        QCOMPARE(f.terminal.calls[0].program, QStringLiteral("/work/hello.exe"));
    }

    void aClosedRunWindowOpensOnTheOutputWithoutRunningAgain()
    {
        Fixture f;
        f.compile("clean\n");
        f.run.Form_Unload();
        f.messages.answerNext(Reply::No);
        f.mainTimer.tick();
        QVERIFY(f.run.isLoaded());
        QVERIFY(!f.run.request.A_start);
        f.Timer1.tick();
        QCOMPARE(f.process.calls.size(), 1);
        QVERIFY(f.Text1.text().startsWith(QStringLiteral("Command passed:")));
    }

    void noTerminalIsReported()
    {
        Fixture f;
        f.terminal.failNext(QStringLiteral("no terminal program was found"));
        f.post.runProgram(QStringLiteral("/work/hello.exe"));
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Program not started")});
        QVERIFY(f.messages.calls[0].text.contains(QStringLiteral("no terminal program was found")));
        f.post.runProgram(QString());
        QCOMPARE(f.terminal.calls.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPostCompile)
#include "tst_postcompile.moc"
