#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/faketimer.h"
#include "platform/qt/qtfilesystem.h"
#include "platform/qt/qtprocess.h"
#include "run/runwindow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// Runs through the real shell and real programs: the stand-in compiler for
// the ways a compile can end, and kvncc with the system's compiler for real
// builds.
class TestRunProcess : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        QTemporaryDir dir;
        QString workDir = dir.path() + QLatin1Char('/');
        QtFileSystem files;
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeClipboard clipboard;
        QtProcess process;
        FakeFormWindow window;
        FakeOutputBox Text1;
        FakeLabel lblVerdict;
        FakeButton cmdStop;
        FakeTimer Timer1;
        RunWindow run{{window, Text1, lblVerdict, cmdStop, Timer1}, {files, messages, dialogs, clipboard, process}};
        bool ended = false;

        explicit Fixture(const QString &compiler)
        {
            run.setWorkDir(workDir);
            run.onRunEnded([this] { ended = true; });
            RunRequest &r = run.request;
            r.A_start = true;
            r.A_appuse = 1;
            r.A_clocation = compiler;
            r.A_outputuse = 1;
            r.A_output2 = QStringLiteral("-e");
            r.A_output = workDir + QStringLiteral("hello.exe");
            r.A_adduse = 1;
            r.A_srcparam = QStringLiteral(" ");
            r.A_srcfile = workDir + QStringLiteral("hello.cpp");
            r.A_ErrKeyList = QStringLiteral("Error,Fatal,error,fatal");
        }

        bool compile()
        {
            run.Form_Load();
            Timer1.tick();
            return QTest::qWaitFor([this] { return ended; }, 60000);
        }

        void write(const QString &name, const QByteArray &bytes)
        {
            QFile file(workDir + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    };

private slots:
    // Files planted in the working folder: a read-only Run.bat never runs,
    // a results.txt that is a link never has the output written through it.
    void plantedFilesAreNeitherRunNorWrittenThrough()
    {
        qputenv("FAKE_COMPILER_MODE", "clean");
        Fixture f(QStringLiteral(FAKE_COMPILER));
        const QByteArray planted = "touch PLANTED_RAN\n";
        f.write(QStringLiteral("Run.bat"), planted);
        QVERIFY(QFile::setPermissions(f.workDir + QStringLiteral("Run.bat"), QFileDevice::ReadOwner));
        f.write(QStringLiteral("victim.txt"), "precious");
        QVERIFY(QFile::link(f.workDir + QStringLiteral("victim.txt"), f.workDir + QStringLiteral("results.txt")));
        QVERIFY(f.compile());
        QVERIFY2(f.run.ok, qPrintable(f.lblVerdict.caption()));
        QVERIFY(f.Text1.text().contains(QStringLiteral("fake compiler")));
        QVERIFY(!QFile::exists(f.workDir + QStringLiteral("PLANTED_RAN")));
        QFile script(f.workDir + QStringLiteral("Run.bat"));
        QVERIFY(script.open(QIODevice::ReadOnly));
        QCOMPARE(script.readAll(), planted);
        QFile victim(f.workDir + QStringLiteral("victim.txt"));
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("precious"));
        QVERIFY(!QFileInfo(f.workDir + QStringLiteral("results.txt")).isSymLink());
    }

    // Two KVNs started from the desktop share one working folder; each run
    // window shows its own compile.
    void twoProgramsInOneFolderKeepTheirOwnOutput()
    {
        qputenv("FAKE_COMPILER_MODE", "clean");
        Fixture first(QStringLiteral(FAKE_COMPILER));
        Fixture second(QStringLiteral(FAKE_COMPILER));
        second.run.setWorkDir(first.workDir);
        first.run.request.A_srcfile = first.workDir + QStringLiteral("first.cpp");
        second.run.request.A_srcfile = first.workDir + QStringLiteral("second.cpp");
        for (Fixture *f : {&first, &second}) {
            f->run.Form_Load();
            f->Timer1.tick();
        }
        QVERIFY(QTest::qWaitFor([&] { return first.ended && second.ended; }, 60000));
        QVERIFY(first.Text1.text().contains(QStringLiteral("first.cpp]")));
        QVERIFY(!first.Text1.text().contains(QStringLiteral("second.cpp]")));
        QVERIFY(second.Text1.text().contains(QStringLiteral("second.cpp]")));
        QVERIFY(!second.Text1.text().contains(QStringLiteral("first.cpp]")));
        QVERIFY(first.run.ok && second.run.ok);
    }

    void endings_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("shown");
        QTest::newRow("clean") << QByteArray("clean") << true << QStringLiteral("fake compiler, 2 arguments");
        QTest::newRow("warnings") << QByteArray("warnings") << true << QStringLiteral("warning: unused");
        QTest::newRow("errors") << QByteArray("errors") << false << QStringLiteral("error: expected");
        QTest::newRow("Fatal with exit 0") << QByteArray("fatal0") << false << QStringLiteral("Fatal F1003");
        QTest::newRow("standard error") << QByteArray("stderr") << false << QStringLiteral("said on standard error");
        QTest::newRow("crash") << QByteArray("crash") << false << QStringLiteral("exit status");
    }

    void endings()
    {
        QFETCH(QByteArray, mode);
        QFETCH(bool, ok);
        QFETCH(QString, shown);
        qputenv("FAKE_COMPILER_MODE", mode);
        Fixture f(QStringLiteral(FAKE_COMPILER));
        QVERIFY(f.compile());
        QCOMPARE(f.run.ok, ok);
        const QString window = f.Text1.text() + f.lblVerdict.caption();
        QVERIFY2(window.contains(shown), qPrintable(window));
        QVERIFY(!QFile::exists(f.workDir + QStringLiteral("Run.bat")));
        QFile results(f.workDir + QStringLiteral("results.txt"));
        QVERIFY(results.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(results.readAll()), f.Text1.text() + QStringLiteral("\r\n"));
    }

    void namesWithShellCharactersArePassedAsTheyAre()
    {
        qputenv("FAKE_COMPILER_MODE", "clean");
        Fixture f(QStringLiteral(FAKE_COMPILER));
        f.run.request.A_srcfile = f.workDir + QStringLiteral("my $HOME `id` \"x\" \\ file.cpp");
        QVERIFY(f.compile());
        QVERIFY2(f.Text1.text().contains(QStringLiteral("[%1my $HOME `id` \"x\" \\ file.cpp]").arg(f.workDir)),
                 qPrintable(f.Text1.text()));
    }

    void aMissingCompilerIsReported()
    {
        Fixture f(QStringLiteral("/nonexistent/kvncc"));
        QVERIFY(f.compile());
        QVERIFY(!f.run.ok);
        QVERIFY2(f.lblVerdict.caption().contains(QStringLiteral("could not be started")), qPrintable(f.lblVerdict.caption()));
    }

    void stopEndsAHangingCompilerAndItsChildren()
    {
        qputenv("FAKE_COMPILER_MODE", "hang");
        Fixture f(QStringLiteral(FAKE_COMPILER));
        f.run.Form_Load();
        f.Timer1.tick();
        QTest::qWait(300);
        QVERIFY(f.run.isRunning());
        f.run.cmdStop_Click();
        QVERIFY(QTest::qWaitFor([&f] { return f.ended; }, 10000));
        QVERIFY(!f.run.ok);
        QVERIFY(f.lblVerdict.caption().contains(QStringLiteral("stopped")));
        // Nothing of the fake compiler is left running.
        QProcess pgrep;
        pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral(FAKE_COMPILER)});
        pgrep.waitForFinished();
        QCOMPARE(pgrep.readAllStandardOutput().trimmed(), QByteArray());
    }

    void kvnccBuildsTheTemplate()
    {
        Fixture f(QStringLiteral(KVNCC));
        f.write(QStringLiteral("hello.cpp"),
                "// This file was created/edited using KVN\n// - Korvane.\n\n#include <iostream.h>\n\nint main(void) {\n"
                "\t\n\tsystem(\"pause\"); \n\t// Above line pause screen before exit\n\treturn 0;\n}\n");
        QVERIFY(f.compile());
        QVERIFY2(f.run.ok, qPrintable(f.Text1.text()));
        QVERIFY(QFileInfo(f.workDir + QStringLiteral("hello.exe")).isExecutable());
        QVERIFY(QFile::exists(f.workDir + QStringLiteral("hello.obj")));
        QVERIFY(f.Text1.text().startsWith(QStringLiteral("Command passed:\r\n")));
    }

    void kvnccReportsABrokenProgram()
    {
        Fixture f(QStringLiteral(KVNCC));
        f.write(QStringLiteral("hello.cpp"), "int main(void) {\n\treturn 0\n}\n");
        QVERIFY(f.compile());
        QVERIFY(!f.run.ok);
        QVERIFY(f.Text1.text().contains(QStringLiteral("error")));
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Compilation unsuccessful...")});
        QVERIFY(!QFile::exists(f.workDir + QStringLiteral("hello.exe")));
    }
};

QTEST_MAIN(TestRunProcess)
#include "tst_runprocess.moc"
