#include "support/mainformfixture.h"

#include <QTest>

namespace {

using Fixture = MainFormFixture;

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void startsWithDefaultsAndTheTemplate()
    {
        Fixture f;
        f.load();
        QCOMPARE(f.form.state.WorkDir, QStringLiteral("/home/user/project/"));
        QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2"));
        QVERIFY(f.fraMain[0].isVisible());
        QVERIFY(!f.fraMain[1].isVisible());
        QCOMPARE(f.Text1.fontSize(), 8.0);
        QVERIFY(f.mnuFileSaved.isChecked());
        QVERIFY(!f.mnuDelete.isChecked());
        QCOMPARE(f.form.compile.CompilerPath, QStringLiteral("/usr/bin/kvncc"));
        QVERIFY(f.form.compile.configf.isEmpty());
        QVERIFY(f.form.state.colours.isDefault());
        QVERIFY(!f.form.settingsFile.GotSave);
        QVERIFY(!f.Timer1.isEnabled());
        QCOMPARE(f.form.compile.options.values.size(), 110);
        QCOMPARE(f.form.compile.options.ticks, QStringList(110, QStringLiteral("0")));
        QCOMPARE(f.lblFilename.caption(), QStringLiteral("(unsaved)"));
        QCOMPARE(f.lblFilename.background(), Colours::white);
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 7 out of 12 line(s)"));
        QVERIFY(f.form.state.FileSaved);
        QVERIFY(f.cmdLocate[3].isBold());
        QCOMPARE(f.form.about.AppName, QStringLiteral("Korvane (KVN)"));
        QCOMPARE(f.form.about.AppDate, QStringLiteral("14th May 2003"));
        QVERIFY(f.messages.calls.isEmpty());
        // Nothing is written just for starting.
        QVERIFY(!f.files.exists(QStringLiteral("/home/user/project/kvn.txt")));
    }

    void readsTheSettingsFile()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/home/user/project/kvn.txt"),
                             " 12 \r\nFalse\r\nTrue\r\n/opt/cc\r\n/home/user/my.cfg\r\n 1 \r\n 2 \r\n 3 \r\n 4 \r\n");
        f.load();
        QCOMPARE(f.Text1.fontSize(), 12.0);
        QVERIFY(!f.mnuFileSaved.isChecked());
        QVERIFY(f.mnuDelete.isChecked());
        QCOMPARE(f.form.compile.CompilerPath, QStringLiteral("/opt/cc"));
        QCOMPARE(f.form.compile.configf, QStringLiteral("/home/user/my.cfg"));
        QCOMPARE(f.form.state.colours, (IndicatorColours{1, 2, 3, 4}));
        QVERIFY(f.form.settingsFile.GotSave);
        QVERIFY(!f.cmdLocate[3].isBold());
        // The saved colours of the file just read paint the label.
        QCOMPARE(f.lblFilename.background(), Colour(1));
        QCOMPARE(f.lblFilename.textColour(), Colour(2));
    }

    void emptyCompilerLineGivesTheDefaultCompiler()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/home/user/project/kvn.txt"),
                             " 8 \r\nTrue\r\nFalse\r\n\r\n\r\n 16777215 \r\n 0 \r\n 255 \r\n 65535 \r\n");
        f.load();
        QCOMPARE(f.form.compile.CompilerPath, QStringLiteral("/usr/bin/kvncc"));
    }

    // kvn.txt lies in the working folder, which may be anyone's: a compiler
    // it names is held back for the user's word unless the file is theirs
    // alone, or names the default compiler anyway.
    void aCompilerNamedByAnotherUsersSettingsWaitsForTheUser_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<QString>("why");
        QTest::addColumn<bool>("held");
        QTest::newRow("own file") << QStringLiteral("/opt/cc") << QString() << false;
        QTest::newRow("another user's file") << QStringLiteral("/opt/cc") << QStringLiteral("it belongs to another user") << true;
        QTest::newRow("a file others may change") << QStringLiteral("/opt/cc") << QStringLiteral("other users may change it") << true;
        QTest::newRow("another user's file naming the default")
            << QStringLiteral("/usr/bin/kvncc") << QStringLiteral("it belongs to another user") << false;
        QTest::newRow("another user's file with no compiler") << QString() << QStringLiteral("it belongs to another user") << false;
    }

    void aCompilerNamedByAnotherUsersSettingsWaitsForTheUser()
    {
        QFETCH(QString, compiler);
        QFETCH(QString, why);
        QFETCH(bool, held);
        Fixture f;
        const QString settings = QStringLiteral("/home/user/project/kvn.txt");
        f.files.files.insert(settings, " 8 \r\nTrue\r\nFalse\r\n" + compiler.toUtf8()
                                           + "\r\n\r\n 16777215 \r\n 0 \r\n 255 \r\n 65535 \r\n");
        if (!why.isEmpty())
            f.files.othersFiles.insert(settings, why);
        f.load();
        QCOMPARE(f.form.compile.unconfirmedCompiler.has_value(), held);
        if (held) {
            QCOMPARE(f.form.compile.unconfirmedCompiler->path, compiler);
            QCOMPARE(f.form.compile.unconfirmedCompiler->settingsFile, settings);
            QCOMPARE(f.form.compile.unconfirmedCompiler->why, why);
            QCOMPARE(f.form.compile.unconfirmedCompiler->fallback, QStringLiteral("/usr/bin/kvncc"));
        }
        QVERIFY(f.messages.calls.isEmpty()); // asked at the compile, not at the start
    }

    void damagedSettingsNeverStopStartUp()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/home/user/project/kvn.txt"), QByteArray("\x00\x01\xff", 3));
        f.load();
        QCOMPARE(f.Text1.fontSize(), 8.0);
        QCOMPARE(f.form.compile.CompilerPath, QStringLiteral("/usr/bin/kvncc"));
        QVERIFY(f.messages.calls.isEmpty());
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 7 out of 12 line(s)"));
    }

    void saveSettingsWritesTheCurrentState()
    {
        Fixture f;
        f.load();
        f.Text1.setFontSize(10.5);
        f.mnuDelete.setChecked(true);
        f.form.SaveSettings();
        QCOMPARE(f.files.files.value(QStringLiteral("/home/user/project/kvn.txt")),
                 QByteArray(" 10 \r\nTrue\r\nTrue\r\n/usr/bin/kvncc\r\n\r\n 16777215 \r\n 0 \r\n 255 \r\n 65535 \r\n"));
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Some information...")});
    }

    void saveSettingsInAFolderThatCannotBeWritten()
    {
        Fixture f;
        f.files.failWritesUnder(QStringLiteral("/home/user/project/"));
        f.load();
        f.Text1.setFontSize(14);
        f.form.SaveSettings();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Some information...")});
        QCOMPARE(f.Text1.fontSize(), 14.0);
    }

    void panelsSwitch()
    {
        Fixture f;
        f.load();
        const int editorFocus = f.Text1.focusCount;
        f.form.mnuCompile_Click();
        QVERIFY(!f.fraMain[0].isVisible());
        QVERIFY(f.fraMain[1].isVisible());
        QCOMPARE(f.List1.focusCount, 1);
        QCOMPARE(f.Text1.focusCount, editorFocus);
        f.form.mnuMain_Click();
        QVERIFY(f.fraMain[0].isVisible());
        QVERIFY(!f.fraMain[1].isVisible());
        QCOMPARE(f.Text1.focusCount, editorFocus + 1);
    }

    void resizeSnapsOrPlaces()
    {
        Fixture f;
        f.load();
        f.window.setOuterSize({5000, 7000});
        f.form.Form_Resize();
        QCOMPARE(f.window.outerSize(), (TwipSize{6660, 7000}));
        QCOMPARE(f.window.placeCount, 0);
        f.form.Form_Resize();
        QCOMPARE(f.window.placeCount, 1);
        QCOMPARE(f.window.placed.value(QStringLiteral("Text1")).height, 7000 - 2385);
    }

    void windowMenu()
    {
        Fixture f;
        f.load();
        f.form.mnuMax_Click();
        QCOMPARE(f.window.state(), WindowState::Maximised);
        f.window.setOuterSize({9000, 9000}); // ignored while maximised
        f.form.mnuRestore_Click();
        QCOMPARE(f.window.state(), WindowState::Normal);
        QCOMPARE(f.window.outerSize(), (TwipSize{6660, 6480}));
        f.form.mnuMin_Click();
        QCOMPARE(f.window.state(), WindowState::Minimised);
    }

    void exitWithoutChangesQuitsAtOnce()
    {
        Fixture f;
        f.load();
        f.files.files.insert(QStringLiteral("/home/user/project/results.txt"), "output");
        f.form.mnuExit_Click();
        QVERIFY(f.messages.calls.isEmpty());
        QVERIFY(f.window.unloaded);
        QVERIFY(!f.files.exists(QStringLiteral("/home/user/project/results.txt")));
    }

    void exitWithChanges_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<bool>("quits");
        QTest::newRow("no quits") << int(Reply::No) << true;
        QTest::newRow("cancel stays") << int(Reply::Cancel) << false;
        QTest::newRow("yes with a cancelled save stays") << int(Reply::Yes) << false;
    }

    void exitWithChanges()
    {
        QFETCH(int, reply);
        QFETCH(bool, quits);
        Fixture f;
        f.load();
        f.Text1.type(QStringLiteral("x"));
        f.messages.answerNext(Reply(reply));
        f.form.mnuExit_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Would you like to save your file?")});
        QCOMPARE(f.window.unloaded, quits);
        QVERIFY(f.Text1.text().contains(QStringLiteral("x")));
    }

    void startsWithTheCommandLineFile()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/home/user/my prog.cpp"), QByteArray("int main() {}\n"));
        f.load(QStringLiteral("/home/user/my prog.cpp"));
        QCOMPARE(f.Text1.text(), QStringLiteral("int main() {}\r\n"));
        QCOMPARE(f.lblFilename.caption(), QStringLiteral("/home/user/my prog.cpp"));
        QCOMPARE(f.form.state.currFilename, QStringLiteral("/home/user/my prog.cpp"));
        QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2"));
        QCOMPARE(f.form.compile.srcfile, QStringLiteral("/home/user/my prog.cpp"));
        QVERIFY(!f.cmdLocate[1].isBold());
        QVERIFY(f.form.state.FileSaved);
        QVERIFY(f.messages.calls.isEmpty());
    }

    // A path relative to the start-up folder names the same file everywhere:
    // the label, the compile paths and Save As's "is it the same file?".
    void aRelativeCommandLinePathIsMadeWhole_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("path");
        QTest::newRow("bare name") << QStringLiteral("rel.cpp") << QStringLiteral("/home/user/project/rel.cpp");
        QTest::newRow("dot slash before a dash") << QStringLiteral("./-name.cpp")
                                                 << QStringLiteral("/home/user/project/-name.cpp");
        QTest::newRow("parent folder") << QStringLiteral("../up.c") << QStringLiteral("/home/user/up.c");
        QTest::newRow("sub folder") << QStringLiteral("src//m.cpp") << QStringLiteral("/home/user/project/src/m.cpp");
    }

    void aRelativeCommandLinePathIsMadeWhole()
    {
        QFETCH(QString, argument);
        QFETCH(QString, path);
        Fixture f;
        f.files.files.insert(path, QByteArray("int x;\n"));
        f.load(argument);
        QCOMPARE(f.Text1.text(), QStringLiteral("int x;\r\n"));
        QCOMPARE(f.lblFilename.caption(), path);
        QCOMPARE(f.form.state.currFilename, path);
        QCOMPARE(f.form.compile.srcfile, path);
        QVERIFY(f.form.compile.newpath.startsWith(QLatin1Char('/')));
    }

    void anUnreadableCommandLineFileStartsWithTheTemplate()
    {
        Fixture f;
        f.load(QStringLiteral("/home/user/gone.cpp"));
        QCOMPARE(f.messages.calls.size(), 1);
        QVERIFY(f.messages.calls[0].text.contains(QStringLiteral("/home/user/gone.cpp")));
        QCOMPARE(f.lblFilename.caption(), QStringLiteral("(unsaved)"));
        QVERIFY(f.form.state.currFilename.isEmpty());
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 7 out of 12 line(s)"));
        QVERIFY(f.form.state.JustNew);
    }

    void exitYesSavesBeforeQuitting()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/home/user/a.cpp"), QByteArray("a\n"));
        f.load(QStringLiteral("/home/user/a.cpp"));
        f.mnuFileSaved.setChecked(false);
        f.Text1.type(QStringLiteral("b"));
        f.messages.answerNext(Reply::Yes);
        f.form.mnuExit_Click();
        QCOMPARE(f.files.files.value(QStringLiteral("/home/user/a.cpp")), QByteArray("ba\n"));
        QVERIFY(f.window.unloaded);
    }

    void exitStaysWhenTheSaveFails()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/home/user/a.cpp"), QByteArray("a\n"));
        f.load(QStringLiteral("/home/user/a.cpp"));
        f.files.makeReadOnly(QStringLiteral("/home/user/a.cpp"));
        f.Text1.type(QStringLiteral("b"));
        f.messages.answerNext(Reply::Yes);
        f.form.mnuExit_Click();
        QVERIFY(!f.window.unloaded);
        QCOMPARE(f.messages.titles(), (QStringList{QStringLiteral("Would you like to save your file?"), QStringLiteral("File not saved")}));
    }

    void windowManagerCloseNeverQuits()
    {
        Fixture f;
        f.load();
        QVERIFY(!f.form.closeRequested(false));
        f.Text1.type(QStringLiteral("x"));
        QVERIFY(!f.form.closeRequested(false));
        QVERIFY(f.messages.calls.isEmpty());
        // At the end of the desktop session unsaved work is offered for saving.
        f.messages.answerNext(Reply::Cancel);
        QVERIFY(!f.form.closeRequested(true));
        f.messages.answerNext(Reply::No);
        QVERIFY(f.form.closeRequested(true));
        QCOMPARE(f.messages.calls.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestMainForm)
#include "tst_mainform.moc"
