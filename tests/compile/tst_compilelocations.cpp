#include "support/compilefixture.h"

#include <QTest>

class TestCompileLocations : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeFileSystem files;
        CompileFixture panel{messages, dialogs, files};
        CompileLocations &locations = panel.locations;
        CompileState &state = panel.compile;
        std::array<FakeButton, 4> &buttons = panel.buttons;

        Fixture() { state.CompilerPath = QStringLiteral("/usr/bin/kvncc"); }

        void drop(int index, const QStringList &paths, Reply confirm = Reply::Yes)
        {
            messages.answerNext(confirm);
            locations.cmdLocate_OLEDragDrop(index, paths);
        }
    };

private slots:
    void locateAsksThenPicks()
    {
        Fixture f;
        f.messages.answerNext(Reply::Yes);
        f.dialogs.pickNext(QStringLiteral("/home/u/work/hello.cpp"));
        f.locations.cmdLocate_Click(1);

        QCOMPARE(f.messages.calls[0].text, QStringLiteral("Source file location: \r(not specified)\rDo you want to re-specify?"));
        QCOMPARE(f.messages.calls[0].title, QStringLiteral("Source file location"));
        QCOMPARE(f.messages.calls[0].icon, Icon::Question);
        QCOMPARE(f.messages.calls[0].buttons, Buttons::YesNo);
        QCOMPARE(f.dialogs.calls[0].filter, CompileLocations::filter(Location::Source));
        QCOMPARE(f.dialogs.calls[0].filterIndex, 1);
        QCOMPARE(f.state.srcfile, QStringLiteral("/home/u/work/hello.cpp"));
        QCOMPARE(f.state.newpath, QStringLiteral("/home/u/work/hello.exe"));
        QVERIFY(!f.buttons[1].isBold());
        QVERIFY(!f.buttons[2].isBold());
        QCOMPARE(f.panel.settings.writes, 0);
    }

    void compilerDialogShowsProgramsFromTheCompilersFolder()
    {
        Fixture f;
        f.state.CompilerPath = QStringLiteral("/opt/gcc 13/bin/g++");
        f.messages.answerNext(Reply::Yes);
        f.dialogs.pickNext(QStringLiteral("/usr/bin/clang++"));
        f.locations.cmdLocate_Click(0);

        // Linux programs have no extension: "All files" is offered and chosen.
        const QStringList filter = f.dialogs.calls[0].filter.split(QLatin1Char('|'));
        const int chosen = f.dialogs.calls[0].filterIndex;
        QVERIFY(chosen >= 1 && chosen * 2 <= filter.size());
        QCOMPARE(filter.at(chosen * 2 - 2), QStringLiteral("All files"));
        QVERIFY(filter.at(chosen * 2 - 1) == QLatin1String("*") || filter.at(chosen * 2 - 1) == QLatin1String("*.*"));
        QCOMPARE(f.dialogs.calls[0].startFolder, QStringLiteral("/opt/gcc 13/bin"));
        QCOMPARE(f.state.CompilerPath, QStringLiteral("/usr/bin/clang++"));
    }

    void locateShowsTheStoredPath()
    {
        Fixture f;
        f.messages.answerNext(Reply::No);
        f.locations.mnuCompileOpt_Click(0);
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("Compiler location: \r/usr/bin/kvncc\rDo you want to re-specify?"));
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    void cancelledPickChangesNothing()
    {
        Fixture f;
        for (int i = 0; i < 4; ++i) {
            f.messages.answerNext(Reply::Yes);
            f.locations.cmdLocate_Click(i);
        }
        QCOMPARE(f.dialogs.calls.size(), 4);
        QCOMPARE(f.state.CompilerPath, QStringLiteral("/usr/bin/kvncc"));
        QVERIFY(f.state.srcfile.isEmpty() && f.state.newpath.isEmpty() && f.state.configf.isEmpty());
        QVERIFY(f.buttons[1].isBold() && f.buttons[2].isBold() && f.buttons[3].isBold());
        QCOMPARE(f.panel.settings.writes, 0);
    }

    void pickingTheCompilerWritesUnlessItIsTheDefault_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<int>("writes");
        QTest::newRow("default, no file") << QStringLiteral("/USR/BIN/KVNCC") << false << 0;
        QTest::newRow("default, file exists") << QStringLiteral("/usr/bin/kvncc") << true << 1;
        QTest::newRow("other compiler") << QStringLiteral("/usr/bin/gcc") << false << 1;
    }

    void pickingTheCompilerWritesUnlessItIsTheDefault()
    {
        QFETCH(QString, picked);
        QFETCH(bool, fileExists);
        QFETCH(int, writes);
        Fixture f;
        f.panel.settings.exists = fileExists;
        f.messages.answerNext(Reply::Yes);
        f.dialogs.pickNext(picked);
        f.locations.cmdLocate_Click(0);
        QCOMPARE(f.state.CompilerPath, picked);
        QCOMPARE(f.panel.settings.writes, writes);
        QVERIFY(!f.buttons[0].isBold());
    }

    void pickingAConfigurationFileAlwaysWrites()
    {
        Fixture f;
        f.messages.answerNext(Reply::Yes);
        f.dialogs.pickNext(QStringLiteral("/p/any.txt"));
        f.locations.cmdLocate_Click(3);
        QCOMPARE(f.state.configf, QStringLiteral("/p/any.txt"));
        QCOMPARE(f.panel.settings.writes, 1);
        QVERIFY(!f.buttons[3].isBold());
    }

    void pickedOutputKeepsTheSource()
    {
        Fixture f;
        f.messages.answerNext(Reply::Yes);
        f.dialogs.pickNext(QStringLiteral("/my.dir/readme"));
        f.locations.cmdLocate_Click(1);
        QCOMPARE(f.state.newpath, QStringLiteral("/my.exe"));
        f.messages.answerNext(Reply::Yes);
        f.dialogs.pickNext(QStringLiteral("/out/prog"));
        f.locations.cmdLocate_Click(2);
        QCOMPARE(f.state.newpath, QStringLiteral("/out/prog"));
        QCOMPARE(f.state.srcfile, QStringLiteral("/my.dir/readme"));
        // A source picked in the dialog never asks about C++.
        QCOMPARE(f.messages.calls.size(), 2);
    }

    void dropOnTheCompiler_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("exe name") << QStringLiteral("/w/bcc32.exe") << false << true;
        QTest::newRow("EXE name is case-sensitive") << QStringLiteral("/w/BCC32.EXE") << false << false;
        QTest::newRow("executable program") << QStringLiteral("/usr/bin/clang") << true << true;
        QTest::newRow("plain file") << QStringLiteral("/w/notes.txt") << false << false;
    }

    void dropOnTheCompiler()
    {
        QFETCH(QString, path);
        QFETCH(bool, executable);
        QFETCH(bool, accepted);
        Fixture f;
        f.files.files.insert(path, QByteArray());
        if (executable)
            f.files.executables.append(path);
        f.drop(0, {path});
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("Confirm replace current selected file\r/usr/bin/kvncc with:\r%1 ?").arg(path));
        QCOMPARE(f.messages.calls[0].title, QStringLiteral("Drag and Drop"));
        QCOMPARE(f.state.CompilerPath, accepted ? path : QStringLiteral("/usr/bin/kvncc"));
        QCOMPARE(f.messages.calls.size(), accepted ? 1 : 2);
        if (!accepted) {
            QCOMPARE(f.messages.calls[1].text, QStringLiteral("File is not a compiler!"));
            QCOMPARE(f.messages.calls[1].title, QStringLiteral("Error!"));
        }
        // A drop never writes the settings file.
        QCOMPARE(f.panel.settings.writes, 0);
    }

    void dropOnTheSource()
    {
        Fixture f;
        f.drop(1, {QStringLiteral("/w/notes.doc"), QStringLiteral("/w/other.cpp")});
        QCOMPARE(f.state.srcfile, QStringLiteral("/w/notes.doc"));
        QCOMPARE(f.messages.calls.size(), 1); // ends in "c": no question
        QVERIFY(!f.buttons[1].isBold() && !f.buttons[2].isBold());

        f.messages.answerNext(Reply::Yes);
        f.drop(1, {QStringLiteral("/w/hello.h")}, Reply::Yes);
        QCOMPARE(f.messages.calls[2].title, QStringLiteral("Unrecognised file format found"));
        QVERIFY(f.panel.compile.options.isTicked(CompileLocations::forceCppOption));
        QVERIFY(f.panel.List1.isChecked(CompileLocations::forceCppOption));
        QCOMPARE(f.state.srcfile, QStringLiteral("/w/hello.h"));
        QCOMPARE(f.state.newpath, QStringLiteral("/w/hello.exe"));
    }

    void declinedOrEmptyDropsChangeNothing()
    {
        Fixture f;
        f.drop(2, {QStringLiteral("/w/a.exe")}, Reply::No);
        f.locations.cmdLocate_OLEDragDrop(2, {});
        QVERIFY(f.state.newpath.isEmpty());
        QVERIFY(f.buttons[2].isBold());
        QCOMPARE(f.messages.calls.size(), 1);
    }

    void dropOnTheConfiguration()
    {
        Fixture f;
        f.drop(3, {QStringLiteral("/w/project.rsp")});
        QCOMPARE(f.state.configf, QStringLiteral("/w/project.rsp"));
        QVERIFY(!f.buttons[3].isBold());
        f.drop(3, {QStringLiteral("/w/project.CFG")});
        QCOMPARE(f.messages.calls.last().text, QStringLiteral("File is not a recognised configuration/response file!"));
        QCOMPARE(f.state.configf, QStringLiteral("/w/project.rsp"));
        QCOMPARE(f.panel.settings.writes, 0);
    }

    void clearEntry()
    {
        Fixture f;
        f.locations.documentOpened(QStringLiteral("/w/a.cpp"));
        f.state.configf = QStringLiteral("/w/x.cfg");
        f.messages.answerNext(Reply::Yes);
        f.locations.cmdClrEntry_Click(1);
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("Confirm clear entry for:\rSource file location ?"));
        QCOMPARE(f.messages.calls[0].title, QStringLiteral("Confirm clear entry?"));
        QVERIFY(f.state.srcfile.isEmpty());
        QCOMPARE(f.state.newpath, QStringLiteral("/w/a.exe"));
        QVERIFY(f.buttons[1].isBold());
        QVERIFY(!f.buttons[2].isBold());

        f.messages.answerNext(Reply::No);
        f.locations.cmdClrEntry_Click(3);
        QCOMPARE(f.state.configf, QStringLiteral("/w/x.cfg"));
        f.messages.answerNext(Reply::Yes);
        f.locations.cmdClrEntry_Click(3);
        QVERIFY(f.state.configf.isEmpty());
        QCOMPARE(f.panel.settings.writes, 1);
        // The compiler cannot be cleared.
        f.locations.cmdClrEntry_Click(0);
        QCOMPARE(f.messages.calls.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestCompileLocations)
#include "tst_compilelocations.moc"
