#include "support/compilefixture.h"
#include "support/runfixture.h"

#include "compile/compilerequest.h"
#include "editor/caretstatus.h"
#include "platform/fake/faketextbox.h"

#include <QTest>

class TestCompileRequest : public QObject
{
    Q_OBJECT

private:
    struct Fixture : RunFixture
    {
        EditorState editor;
        FakeFormWindow mainWindow;
        FakeTextBox box;
        FakeLabel lblFilename, lblLine;
        FakeEntry txtGotoLine;
        CTextBoxEx ex{clipboard};
        FakeMenuItem mnuFileSaved{false};
        CompileFixture panel{messages, dialogs, files};
        EditorControls controls{mainWindow, box, lblFilename, lblLine, txtGotoLine};
        CaretStatus status{editor, controls, ex};
        Document document{editor, controls, ex, {files, messages, dialogs, panel.locations}, mnuFileSaved};
        CompileRequest request{{document, panel.compile, panel.List1, mainWindow, run, messages}};

        Fixture()
        {
            ex.setTextBox(&box);
            box.onChange = [this] { status.Text1_Change(); };
            panel.compile.CompilerPath = QStringLiteral("/usr/bin/kvncc");
            files.files.insert(QStringLiteral("/work/a.cpp"), QByteArray("int main() {}\n"));
            QString path = QStringLiteral("/work/a.cpp");
            document.OpenSourceFile(Document::OpenMode::LoadGiven, path, {});
            mainWindow.moveTo({2000, 1500});
            run.request = RunRequest{};
        }
    };

private slots:
    void fillsTheRequestAndStartsTheRun()
    {
        Fixture f;
        f.panel.compile.options.setTicked(100, true);
        f.panel.compile.options.setTicked(9, true);
        f.panel.compile.options.setValue(9, QStringLiteral("/opt/lib"));
        f.request.cmdCompile_Click();

        const RunRequest &r = f.run.request;
        QVERIFY(r.A_start);
        QCOMPARE(r.A_name, QStringLiteral("Tovrin"));
        QCOMPARE(r.A_clocation, QStringLiteral("/usr/bin/kvncc"));
        QCOMPARE(r.A_appuse, 1);
        QCOMPARE(r.A_srcparam, QStringLiteral(" "));
        QCOMPARE(r.A_srcfile, QStringLiteral("/work/a.cpp"));
        QCOMPARE(r.A_output, QStringLiteral("/work/a.exe"));
        QCOMPARE(r.A_configf, QString());
        QCOMPARE(r.A_outputuse.toInt(), 1);
        QCOMPARE(r.A_output2, QStringLiteral("-e"));
        QCOMPARE(r.A_configuse.toString(), QStringLiteral("1 "));
        QCOMPARE(r.A_ErrKeyList, QStringLiteral("Error,Fatal,error,fatal"));
        QCOMPARE(r.A_config, QStringLiteral("+"));
        QCOMPARE(r.A_adduse.toInt(), 1);
        QCOMPARE(r.A_addparam, QStringLiteral("-L/opt/lib -w "));
        QVERIFY(f.run.isLoaded());
        QVERIFY(f.Timer1.isEnabled());
        QCOMPARE(f.Text1.text(), QStringLiteral("Please wait while running compiler..."));
        QVERIFY(f.messages.calls.isEmpty());
    }

    void configPrefix_data()
    {
        QTest::addColumn<QString>("configf");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("cfg") << QStringLiteral("/p/project.cfg") << QStringLiteral("+");
        QTest::newRow("rsp") << QStringLiteral("/p/project.rsp") << QStringLiteral("@");
        QTest::newRow("CFG is case-sensitive") << QStringLiteral("/p/PROJECT.CFG") << QStringLiteral("@");
        QTest::newRow("none") << QString() << QStringLiteral("+");
    }

    void configPrefix()
    {
        QFETCH(QString, configf);
        QFETCH(QString, prefix);
        QCOMPARE(CompileRequest::configPrefix(configf), prefix);
    }

    void placesTheRunWindowBesideOrOver()
    {
        Fixture f;
        f.request.cmdCompile_Click();
        QCOMPARE(f.mainWindow.corner(), (TwipPoint{0, 1500}));
        QCOMPARE(f.window.corner(), (TwipPoint{6660, 1500}));

        Fixture g;
        g.mainWindow.setState(WindowState::Maximised);
        g.request.cmdCompile_Click();
        QCOMPARE(g.mainWindow.corner(), (TwipPoint{2000, 1500}));
        QCOMPARE(g.window.corner(), (TwipPoint{5000, 4500}));
    }

    void unsavedDocument_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("runs");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("yes saves then compiles") << int(Reply::Yes) << true << QByteArray("x int main() {}\n");
        QTest::newRow("no compiles the file on disk") << int(Reply::No) << true << QByteArray("int main() {}\n");
        QTest::newRow("cancel does nothing") << int(Reply::Cancel) << false << QByteArray("int main() {}\n");
    }

    void unsavedDocument()
    {
        QFETCH(int, answer);
        QFETCH(bool, runs);
        QFETCH(QByteArray, onDisk);
        Fixture f;
        f.box.type(QStringLiteral("x "));
        f.messages.answerNext(Reply(answer));
        f.request.mnuCompile1_Click();
        QCOMPARE(f.messages.calls.first().title, QStringLiteral("Would you like to save your file?"));
        QCOMPARE(f.run.isLoaded(), runs);
        QCOMPARE(f.files.files.value(QStringLiteral("/work/a.cpp")), onDisk);
        // Unwritten text stays unsaved, so Exit still asks for it.
        QCOMPARE(f.editor.FileSaved, Reply(answer) == Reply::Yes);
        if (Reply(answer) == Reply::No)
            QCOMPARE(f.mainWindow.title(), QStringLiteral(" #"));
    }

    // A compiler named by a settings file someone else may have written runs
    // only after the user's yes; No takes KVN's own compiler, Cancel stops.
    void aCompilerFromAnotherUsersSettingsIsAskedAbout_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("chosenSince");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<bool>("askedAgain");
        QTest::newRow("yes runs it") << int(Reply::Yes) << false << QStringLiteral("/srv/shared/cc") << false;
        QTest::newRow("no runs the own compiler") << int(Reply::No) << false << QStringLiteral("/usr/bin/kvncc") << false;
        QTest::newRow("cancel runs nothing") << int(Reply::Cancel) << false << QString() << true;
        QTest::newRow("a compiler the user chose since") << -1 << true << QStringLiteral("/home/me/cc") << false;
    }

    void aCompilerFromAnotherUsersSettingsIsAskedAbout()
    {
        QFETCH(int, answer);
        QFETCH(bool, chosenSince);
        QFETCH(QString, runs);
        QFETCH(bool, askedAgain);
        Fixture f;
        f.panel.compile.CompilerPath = QStringLiteral("/srv/shared/cc");
        f.panel.compile.unconfirmedCompiler = UnconfirmedCompiler{
            QStringLiteral("/srv/shared/cc"), QStringLiteral("/srv/shared/kvn.txt"),
            QStringLiteral("it belongs to another user"), QStringLiteral("/usr/bin/kvncc")};
        if (chosenSince)
            f.panel.compile.CompilerPath = QStringLiteral("/home/me/cc");
        else
            f.messages.answerNext(Reply(answer));
        f.request.cmdCompile_Click();

        QCOMPARE(f.run.isLoaded(), !runs.isEmpty());
        if (!runs.isEmpty())
            QCOMPARE(f.run.request.A_clocation, runs);
        if (chosenSince) {
            QVERIFY(f.messages.calls.isEmpty());
            return;
        }
        QCOMPARE(f.messages.calls.size(), 1);
        const auto &question = f.messages.calls.first();
        QCOMPARE(question.title, QStringLiteral("Compiler from the settings file"));
        QCOMPARE(question.buttons, Buttons::YesNoCancel);
        for (const QString &part : {QStringLiteral("/srv/shared/cc"), QStringLiteral("/srv/shared/kvn.txt"),
                                    QStringLiteral("it belongs to another user"), QStringLiteral("/usr/bin/kvncc")})
            QVERIFY2(question.text.contains(part), qPrintable(question.text));

        // Once answered, the next compile goes ahead without a word.
        f.run.request = RunRequest{};
        f.messages.answerNext(Reply::Cancel);
        f.request.cmdCompile_Click();
        QCOMPARE(f.messages.calls.size(), askedAgain ? 2 : 1);
    }

    void yesWithACancelledSaveCompilesNothing()
    {
        Fixture f;
        f.editor.currFilename.clear();
        f.box.type(QStringLiteral("x"));
        f.messages.answerNext(Reply::Yes);
        f.request.cmdCompile_Click();
        QVERIFY(!f.run.isLoaded());
    }

    void secondRequestWhileRunningIsRefused()
    {
        Fixture f;
        f.request.cmdCompile_Click();
        f.Timer1.tick();
        QVERIFY(f.run.isRunning());
        f.panel.compile.options.setTicked(100, true);
        f.request.mnuCompile2_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Compile running")});
        QCOMPARE(f.run.request.A_addparam, QString());
        QCOMPARE(f.process.calls.size(), 1);
    }

    void newRequestWithTheWindowOpenRunsAgain()
    {
        Fixture f;
        f.request.cmdCompile_Click();
        f.Timer1.tick();
        f.process.finish({Process::Result::Outcome::Finished, 0, {}, {}});
        QVERIFY(f.run.isLoaded());
        f.request.cmdCompile_Click();
        QCOMPARE(f.Text1.text(), QStringLiteral("Please wait while running compiler..."));
        QVERIFY(f.Timer1.tick());
        QCOMPARE(f.process.calls.size(), 2);
    }

    void showCompilerOutput()
    {
        Fixture f;
        f.mainWindow.setState(WindowState::Minimised);
        f.request.mnuOutput_Click();
        QVERIFY(!f.run.request.A_start);
        QVERIFY(f.run.isLoaded());
        QCOMPARE(f.window.corner(), (TwipPoint{5000, 4500}));
        f.Timer1.tick();
        QVERIFY(f.process.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCompileRequest)
#include "tst_compilerequest.moc"
