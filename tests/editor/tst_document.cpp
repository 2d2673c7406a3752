#include "editorfixture.h"

#include "support/compilefixture.h"
#include "editor/document.h"
#include "editor/newfiletemplate.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakemessages.h"

#include <QTest>

class TestDocument : public QObject
{
    Q_OBJECT

private:
    struct Fixture : EditorFixture
    {
        FakeFileSystem files{QStringLiteral("/home/user/")};
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeMenuItem mnuFileSaved{true};
        CompileFixture panel{messages, dialogs, files};
        CompileState &compile = panel.compile;
        std::array<FakeButton, 4> &buttons = panel.buttons;
        Document document{state, controls, ex, {files, messages, dialogs, panel.locations}, mnuFileSaved};

        Fixture()
        {
            state.WorkDir = files.currentFolder();
        }

        void checkTemplateShown()
        {
            QCOMPARE(box.text(), QString::fromLatin1(NewFileTemplate::bytes()));
            QCOMPARE(lblFilename.caption(), QStringLiteral("(unsaved)"));
            QCOMPARE(lblFilename.background(), Colours::white);
            QCOMPARE(lblFilename.textColour(), Colours::black);
            QCOMPARE(window.title(), QStringLiteral("Korvane (KVN) 2.2"));
            QCOMPARE(lblLine.caption(), QStringLiteral("Current line: 7 out of 12 line(s)"));
            QCOMPARE(box.selectionStart(), *ex.GetCharFromLine(6) + 1);
            QCOMPARE(state.LastSearchPos, box.selectionStart());
            QVERIFY(state.FileSaved);
            QVERIFY(state.JustNew);
            QVERIFY(state.currFilename.isEmpty());
        }
    };

private slots:
    void newShowsTheTemplate()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.checkTemplateShown();
        QVERIFY(f.buttons[1].isBold());
        QVERIFY(f.buttons[2].isBold());
        QVERIFY(!f.buttons[0].isBold());
        // Straight from memory: nothing is written or read in the working
        // folder, where a planted link could be followed.
        QVERIFY(f.files.writes.isEmpty());
        QVERIFY(f.messages.calls.isEmpty());
    }

    void secondNewDoesNothing()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.box.setSelectionStart(3);
        f.buttons[1].setBold(false);
        f.document.mnuNew_Click();
        QCOMPARE(f.box.selectionStart(), 3);
        QVERIFY(!f.buttons[1].isBold());
        QVERIFY(f.messages.calls.isEmpty());
    }

    void newInAFolderThatCannotBeWritten()
    {
        Fixture f;
        f.files.failWritesUnder(QStringLiteral("/home/user/"));
        f.box.setText(QStringLiteral("old text"));
        f.state.FileSaved = true;
        f.state.JustNew = false;
        f.document.mnuNew_Click();
        f.checkTemplateShown();
    }

    void typingThenNewAsksToSave_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<bool>("templateShown");
        QTest::newRow("no discards the edit") << int(Reply::No) << true;
        QTest::newRow("cancel keeps it") << int(Reply::Cancel) << false;
        // A save that does not complete keeps the document too.
        QTest::newRow("yes, save not completed") << int(Reply::Yes) << false;
    }

    void typingThenNewAsksToSave()
    {
        QFETCH(int, reply);
        QFETCH(bool, templateShown);
        Fixture f;
        f.document.mnuNew_Click();
        f.box.type(QStringLiteral("int x;"));
        const QString edited = f.box.text();
        f.messages.answerNext(Reply(reply));

        f.document.mnuNew_Click();

        QCOMPARE(f.messages.calls.size(), 1);
        const FakeMessages::Call &ask = f.messages.calls.first();
        QCOMPARE(ask.title, QStringLiteral("Would you like to save your file?"));
        QCOMPARE(ask.text, QStringLiteral("Would you like to save your file?"));
        QCOMPARE(ask.buttons, Buttons::YesNoCancel);
        QCOMPARE(ask.icon, Icon::Information);
        if (templateShown) {
            f.checkTemplateShown();
        } else {
            QCOMPARE(f.box.text(), edited);
            QVERIFY(!f.state.FileSaved);
            QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2 #"));
        }
    }

    // Answering No to the save question lets the command go on without
    // writing; the text counts as saved only once the command replaced it.
    void declinedSaveKeepsTheTextUnsavedUntilReplaced_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("open, dialog cancelled") << QStringLiteral("open-cancel") << false;
        QTest::newRow("drop of a missing file") << QStringLiteral("drop-missing") << false;
        QTest::newRow("open of a file") << QStringLiteral("open") << true;
        QTest::newRow("new") << QStringLiteral("new") << true;
    }

    void declinedSaveKeepsTheTextUnsavedUntilReplaced()
    {
        QFETCH(QString, command);
        QFETCH(bool, replaced);
        Fixture f;
        f.document.mnuNew_Click();
        f.box.type(QStringLiteral("int x;"));
        f.files.files.insert(QStringLiteral("/w/a.cpp"), QByteArray("a\n"));
        f.messages.answerNext(Reply::No);
        if (command == QLatin1String("open-cancel")) {
            f.dialogs.cancelNext();
            f.document.mnuOpen_Click();
        } else if (command == QLatin1String("drop-missing")) {
            f.document.Text1_OLEDragDrop({QStringLiteral("/w/gone.cpp")});
        } else if (command == QLatin1String("open")) {
            f.dialogs.pickNext(QStringLiteral("/w/a.cpp"));
            f.document.mnuOpen_Click();
        } else {
            f.document.mnuNew_Click();
        }
        QCOMPARE(f.state.FileSaved, replaced);
        QCOMPARE(f.box.text().contains(QStringLiteral("int x;")), !replaced);
        QCOMPARE(f.window.title().endsWith(QStringLiteral(" #")), !replaced);
        // Still unsaved: the next command asks again.
        const qsizetype asked = f.messages.titles().count(Document::savePromptText());
        f.messages.answerNext(Reply::Cancel);
        f.document.mnuNew_Click();
        QCOMPARE(f.messages.titles().count(Document::savePromptText()), asked + (replaced ? 0 : 1));
    }

    void openLoadsAFileAndSetsTheCompilePaths()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.files.files.insert(QStringLiteral("/src/a.b/prog.cpp"), QByteArray("int main() {}\nint x;\n"));
        f.dialogs.pickNext(QStringLiteral("/src/a.b/prog.cpp"));

        f.document.mnuOpen_Click();

        QCOMPARE(f.dialogs.calls.size(), 1);
        QCOMPARE(f.dialogs.calls[0].filter, Document::openFilter());
        QCOMPARE(f.dialogs.calls[0].filterIndex, 1);
        QCOMPARE(f.box.text(), QStringLiteral("int main() {}\r\nint x;\r\n"));
        QCOMPARE(f.state.currFilename, QStringLiteral("/src/a.b/prog.cpp"));
        QCOMPARE(f.lblFilename.caption(), QStringLiteral("/src/a.b/prog.cpp"));
        QCOMPARE(f.compile.srcfile, QStringLiteral("/src/a.b/prog.cpp"));
        QCOMPARE(f.compile.newpath, QStringLiteral("/src/a.b/prog.exe"));
        QVERIFY(!f.buttons[1].isBold());
        QVERIFY(!f.buttons[2].isBold());
        QVERIFY(f.state.FileSaved);
        QVERIFY(!f.state.GoCancel);
        QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2"));
        QCOMPARE(f.lblFilename.background(), Colours::white);
        QCOMPARE(f.state.LastSearchPos, 0);
        QVERIFY(f.messages.calls.isEmpty());
    }

    void outputPathIsCutAtTheLastDotOfTheWholePath()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/src/a.b/prog"), QByteArray("x"));
        f.messages.answerNext(Reply::No);
        QString path = QStringLiteral("/src/a.b/prog");
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, path, {}));
        QCOMPARE(f.compile.newpath, QStringLiteral("/src/a.exe"));
        f.files.files.insert(QStringLiteral("/src/noext"), QByteArray("x"));
        f.messages.answerNext(Reply::No);
        path = QStringLiteral("/src/noext");
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, path, {}));
        QCOMPARE(f.compile.newpath, QStringLiteral("/src/noext.exe"));
    }

    void unrecognisedExtensionsOfferCppCompile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("asks");
        QTest::newRow("notes.txt") << QStringLiteral("/w/notes.txt") << true;
        QTest::newRow("prog.c") << QStringLiteral("/w/prog.c") << false;
        QTest::newRow("prog.cpp") << QStringLiteral("/w/prog.cpp") << false;
        QTest::newRow("file.doc ends in c") << QStringLiteral("/w/file.doc") << false;
        QTest::newRow("PROG.CPP is case-sensitive") << QStringLiteral("/w/PROG.CPP") << true;
        QTest::newRow("header") << QStringLiteral("/w/prog.h") << true;
    }

    void unrecognisedExtensionsOfferCppCompile()
    {
        QFETCH(QString, path);
        QFETCH(bool, asks);
        for (const Reply answer : {Reply::Yes, Reply::No}) {
            Fixture f;
            f.files.files.insert(path, QByteArray("text"));
            f.messages.answerNext(answer);
            QString p = path;
            QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
            QCOMPARE(f.messages.calls.size(), asks ? 1 : 0);
            if (asks) {
                QCOMPARE(f.messages.calls[0].title, QStringLiteral("Unrecognised file format found"));
                QCOMPARE(f.messages.calls[0].text, QStringLiteral("Unrecognised file format selected. Do you want to force C++ compile?"));
                QCOMPARE(f.messages.calls[0].buttons, Buttons::YesNo);
                QCOMPARE(f.messages.calls[0].icon, Icon::Information);
            }
            // Either answer opens the file; Yes also ticks "-P".
            QCOMPARE(f.box.text(), QStringLiteral("text"));
            QCOMPARE(f.compile.options.isTicked(CompileLocations::forceCppOption), asks && answer == Reply::Yes);
        }
    }

    void cancelledOpenChangesNothing()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.dialogs.cancelNext();
        f.document.mnuOpen_Click();
        QVERIFY(f.state.GoCancel);
        f.checkTemplateShown();
    }

    void pickOnlyReturnsThePathWithoutLoading()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.dialogs.pickNext(QStringLiteral("/opt/bin/cc"));
        QString path;
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::PickOnly, path, QStringLiteral("All files|*.*")));
        QCOMPARE(path, QStringLiteral("/opt/bin/cc"));
        QCOMPARE(f.dialogs.calls[0].filter, QStringLiteral("All files|*.*"));
        QVERIFY(!f.state.GoCancel);
        f.checkTemplateShown();
    }

    void filesThatCannotBeOpenedAreReported_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("reply");
        QTest::newRow("missing") << QStringLiteral("missing") << QStringLiteral("File not opened") << int(Reply::Ok);
        QTest::newRow("unreadable") << QStringLiteral("unreadable") << QStringLiteral("File not opened") << int(Reply::Ok);
        QTest::newRow("over the limit") << QStringLiteral("huge") << QStringLiteral("File not opened") << int(Reply::Ok);
        QTest::newRow("large, declined") << QStringLiteral("large") << QStringLiteral("Large file") << int(Reply::No);
        QTest::newRow("binary, declined") << QStringLiteral("binary") << QStringLiteral("Binary file") << int(Reply::No);
        QTest::newRow("a pipe or device") << QStringLiteral("special") << QStringLiteral("File not opened") << int(Reply::Ok);
    }

    void filesThatCannotBeOpenedAreReported()
    {
        QFETCH(QString, setup);
        QFETCH(QString, title);
        QFETCH(int, reply);
        Fixture f;
        f.document.mnuNew_Click();
        const QString path = QStringLiteral("/w/prog.cpp");
        if (setup != QLatin1String("missing"))
            f.files.files.insert(path, setup == QLatin1String("binary") ? QByteArray("ELF\0\x01", 5) : QByteArray("int x;"));
        if (setup == QLatin1String("unreadable"))
            f.files.failReadsOf(path);
        if (setup == QLatin1String("huge"))
            f.files.reportedSizes.insert(path, Document::largestFileBytes + 1);
        if (setup == QLatin1String("large"))
            f.files.reportedSizes.insert(path, Document::largeFileBytes + 1);
        if (setup == QLatin1String("special")) {
            f.files.specialFiles.append(path);
            f.files.reportedSizes.insert(path, 0); // what a pipe or /dev/zero reports
        }
        f.messages.answerNext(Reply(reply));

        QString p = path;
        QVERIFY(!f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));

        QVERIFY(f.state.GoCancel);
        QCOMPARE(f.messages.titles(), QStringList{title});
        QVERIFY(f.messages.calls[0].text.contains(path));
        f.checkTemplateShown();
    }

    void confirmedLargeAndBinaryFilesOpen()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/w/a.c"), QByteArray("a\0b", 3));
        f.files.reportedSizes.insert(QStringLiteral("/w/a.c"), Document::largeFileBytes + 1);
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(Reply::Yes);
        QString p = QStringLiteral("/w/a.c");
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        QCOMPARE(f.messages.titles(), (QStringList{QStringLiteral("Large file"), QStringLiteral("Binary file")}));
        QCOMPARE(f.box.text(), QString::fromLatin1("a\0b", 3));
    }

    void saveWritesTheFileAsItWasRead()
    {
        Fixture f;
        const QByteArray original("// caf\xc3\xa9\nint x;"); // UTF-8, LF, no final line end
        f.files.files.insert(QStringLiteral("/w/a.cpp"), original);
        QString p = QStringLiteral("/w/a.cpp");
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        f.document.mnuSave_Click();
        QCOMPARE(f.files.files.value(QStringLiteral("/w/a.cpp")), original);

        f.box.setSelectionStart(f.box.length());
        f.box.type(QStringLiteral("\r\nint y;"));
        QVERIFY(!f.state.FileSaved);
        f.document.mnuSave_Click();
        QCOMPARE(f.files.files.value(QStringLiteral("/w/a.cpp")), original + "\nint y;");
        QVERIFY(f.state.FileSaved);
        QVERIFY(!f.state.GoCancel);
        QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2"));
        QCOMPARE(f.lblFilename.background(), Colours::white);
        QCOMPARE(f.compile.newpath, QStringLiteral("/w/a.exe"));
        QCOMPARE(f.messages.titles(), (QStringList{QStringLiteral("File saved."), QStringLiteral("File saved.")}));
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("File saved."));
    }

    // Another program wrote the file since it was opened: the save asks
    // first, and No keeps both texts, the document still unsaved.
    void aFileChangedByAnotherProgramIsNotOverwrittenUnasked_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("overwrite") << int(Reply::Yes);
        QTest::newRow("keep both") << int(Reply::No);
    }

    void aFileChangedByAnotherProgramIsNotOverwrittenUnasked()
    {
        QFETCH(int, answer);
        Fixture f;
        f.mnuFileSaved.setChecked(false);
        f.files.files.insert(QStringLiteral("/w/a.cpp"), "int x;");
        QString p = QStringLiteral("/w/a.cpp");
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        f.box.type(QStringLiteral("// mine\r\n"));
        f.document.mnuSave_Click(); // a save of our own asks nothing
        QVERIFY(f.messages.calls.isEmpty());
        f.files.changeBehindTheProgram(QStringLiteral("/w/a.cpp"), "int theirs;");
        f.box.type(QStringLiteral("// more\r\n"));
        f.messages.answerNext(Reply(answer));
        f.document.mnuSave_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File changed on disk")});
        QCOMPARE(f.messages.calls[0].text,
                 QStringLiteral("/w/a.cpp was changed by another program since KVN opened it. Overwrite it?"));
        const bool overwritten = Reply(answer) == Reply::Yes;
        QCOMPARE(f.files.files.value(QStringLiteral("/w/a.cpp")).contains("// more"), overwritten);
        QCOMPARE(f.state.FileSaved, overwritten);
        QCOMPARE(f.state.GoCancel, !overwritten);
    }

    // A backup left by a save that was stopped midway is told of whenever
    // its file is opened. Yes shows its text unsaved, and saving that text
    // over the file removes the backup; No shows the file, and the backup
    // stays through any number of saves.
    void leftoverBackupIsOfferedOnOpen_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asSource");
        QTest::newRow("take its text") << int(Reply::Yes) << true;
        QTest::newRow("keep the file") << int(Reply::No) << true;
        QTest::newRow("take its text, a header opened for a message") << int(Reply::Yes) << false;
    }

    void leftoverBackupIsOfferedOnOpen()
    {
        QFETCH(int, answer);
        QFETCH(bool, asSource);
        Fixture f;
        f.mnuFileSaved.setChecked(false);
        const QString path = QStringLiteral("/w/a.cpp");
        const QString backup = QStringLiteral("/w/a.cpp.kvn-backup");
        f.files.files.insert(path, "int a");
        f.files.files.insert(backup, "int a = 1;\n");
        f.messages.answerNext(Reply(answer));

        QVERIFY(f.document.openFile(path, asSource));

        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Backup found")});
        const FakeMessages::Call &box = f.messages.calls.first();
        QCOMPARE(box.buttons, Buttons::YesNo);
        QCOMPARE(box.icon, Icon::Exclamation);
        QVERIFY2(box.text.startsWith(QStringLiteral("KVN found /w/a.cpp.kvn-backup, a backup copy of /w/a.cpp made while "
                                                    "saving it.")),
                 qPrintable(box.text));
        QVERIFY(box.text.contains(QStringLiteral("\rYes: show the backup's text, not saved yet.")));
        QVERIFY(box.text.contains(QStringLiteral("\rNo: show /w/a.cpp as it is. The backup stays where it is until you "
                                                 "delete it.")));
        const bool taken = Reply(answer) == Reply::Yes;
        QCOMPARE(f.box.text(), taken ? QStringLiteral("int a = 1;\r\n") : QStringLiteral("int a"));
        QCOMPARE(f.state.FileSaved, !taken);
        QCOMPARE(f.window.title(), taken ? QStringLiteral("Korvane (KVN) 2.2 #") : QStringLiteral("Korvane (KVN) 2.2"));
        QCOMPARE(f.lblFilename.background(), taken ? Colours::red : Colours::white);
        QCOMPARE(f.files.files.value(path), QByteArray("int a"));
        QCOMPARE(f.files.files.value(backup), QByteArray("int a = 1;\n"));

        f.document.mnuSave_Click();
        QVERIFY(f.state.FileSaved);
        QCOMPARE(f.files.files.value(path), taken ? QByteArray("int a = 1;\n") : QByteArray("int a"));
        QCOMPARE(f.files.files.contains(backup), !taken);
        f.box.type(QStringLiteral("x"));
        f.document.mnuSave_Click();
        QCOMPARE(f.files.files.contains(backup), !taken);
    }

    // The backup's text taken is only the file's when saved to the file: a
    // save elsewhere, or a backup put in place by someone else since, keeps
    // the backup.
    void takenBackupStaysUnlessItsTextIsSavedOverTheFile_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<bool>("backupChanged");
        QTest::newRow("saved under another name") << true << false;
        QTest::newRow("backup changed since") << false << true;
    }

    void takenBackupStaysUnlessItsTextIsSavedOverTheFile()
    {
        QFETCH(bool, saveAs);
        QFETCH(bool, backupChanged);
        Fixture f;
        f.mnuFileSaved.setChecked(false);
        const QString backup = QStringLiteral("/w/a.cpp.kvn-backup");
        f.files.files.insert(QStringLiteral("/w/a.cpp"), "int a");
        f.files.files.insert(backup, "int a = 1;");
        f.messages.answerNext(Reply::Yes);
        QVERIFY(f.document.openFile(QStringLiteral("/w/a.cpp")));
        if (backupChanged)
            f.files.changeBehindTheProgram(backup, "someone else's");
        if (saveAs) {
            f.dialogs.pickNext(QStringLiteral("/w/b.cpp"));
            f.document.mnuSaveAs_Click();
        } else {
            f.document.mnuSave_Click();
        }
        QVERIFY(f.state.FileSaved);
        QVERIFY(f.files.files.contains(backup));
    }

    // Backups that cannot be read are named and left alone; several are
    // each offered until one is taken.
    void unreadableAndSeveralBackups()
    {
        Fixture f;
        const QString path = QStringLiteral("/w/a.cpp");
        f.files.files.insert(path, "int a");
        f.files.specialFiles.append(QStringLiteral("/w/a.cpp.kvn-backup"));
        f.files.files.insert(QStringLiteral("/w/a.cpp.kvn-backup-AbC123"), "first");
        f.files.files.insert(QStringLiteral("/w/a.cpp.kvn-backup-ZzZ999"), "second");
        f.messages.answerNext(Reply::Ok);
        f.messages.answerNext(Reply::No);
        f.messages.answerNext(Reply::Yes);

        QVERIFY(f.document.openFile(path));

        QCOMPARE(f.messages.titles(), QStringList(3, QStringLiteral("Backup found")));
        QCOMPARE(f.messages.calls[0].buttons, Buttons::Ok);
        QCOMPARE(f.messages.calls[0].text,
                 QStringLiteral("KVN found /w/a.cpp.kvn-backup, a backup copy of /w/a.cpp made while saving it, but "
                                "cannot read it: it is not a regular file but a pipe, a device or a socket.\rKVN shows "
                                "/w/a.cpp as it is and leaves the backup where it is."));
        QVERIFY(f.messages.calls[1].text.startsWith(QStringLiteral("KVN found /w/a.cpp.kvn-backup-AbC123,")));
        QVERIFY(f.messages.calls[2].text.startsWith(QStringLiteral("KVN found /w/a.cpp.kvn-backup-ZzZ999,")));
        QCOMPARE(f.box.text(), QStringLiteral("second"));
    }

    void noConfirmationWhenSwitchedOff()
    {
        Fixture f;
        f.mnuFileSaved.setChecked(false);
        f.files.files.insert(QStringLiteral("/w/a.cpp"), QByteArray("x\n"));
        QString p = QStringLiteral("/w/a.cpp");
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        f.document.mnuSave_Click();
        QVERIFY(f.messages.calls.isEmpty());
    }

    void failedSavesChangeNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("permission denied") << QStringLiteral("read-only file");
        QTest::newRow("folder not writable") << QStringLiteral("read-only folder");
        QTest::newRow("disk full") << QStringLiteral("disk full");
        QTest::newRow("rename fails") << QStringLiteral("rename");
    }

    void failedSavesChangeNothing()
    {
        QFETCH(QString, fault);
        Fixture f;
        const QString path = QStringLiteral("/w/a.cpp");
        f.files.files.insert(path, QByteArray("old\n"));
        QString p = path;
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        f.box.type(QStringLiteral("new "));
        if (fault == QLatin1String("read-only file"))
            f.files.makeReadOnly(path);
        else if (fault == QLatin1String("read-only folder"))
            f.files.failWritesUnder(QStringLiteral("/w/"));
        else if (fault == QLatin1String("disk full"))
            f.files.failNextWriteAfter(3);
        else
            f.files.failNextRename();

        f.document.mnuSave_Click();

        QCOMPARE(f.files.files.value(path), QByteArray("old\n"));
        QVERIFY(!f.state.FileSaved);
        QVERIFY(f.state.GoCancel);
        QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2 #"));
        QCOMPARE(f.lblFilename.background(), Colours::red);
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File not saved")});
        QCOMPARE(f.messages.calls[0].icon, Icon::Critical);
        QVERIFY(f.messages.calls[0].text.contains(path));
        QCOMPARE(f.box.text(), QStringLiteral("new old\r\n"));
    }

    // A save that could neither finish nor put the old content back says
    // where that content is, and does not claim the file is unchanged.
    void failedSaveThatChangedTheFileSaysWhereTheOldTextIs()
    {
        Fixture f;
        const QString path = QStringLiteral("/w/a.cpp");
        f.files.files.insert(path, QByteArray("old text\n"));
        QString p = path;
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        f.box.type(QStringLiteral("new "));
        f.files.failNextWriteHalfway(QStringLiteral("/w/a.cpp.kvn-backup"));

        f.document.mnuSave_Click();

        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File not saved")});
        QCOMPARE(f.messages.calls[0].text,
                 QStringLiteral("KVN could not save /w/a.cpp:\rNo space left on device; its old content is kept in "
                                "/w/a.cpp.kvn-backup.\rYour text is still here."));
        QVERIFY(!f.state.FileSaved);
        QVERIFY(f.state.GoCancel);
        QCOMPARE(f.files.files.value(QStringLiteral("/w/a.cpp.kvn-backup")), QByteArray("old text\n"));
    }

    void saveIntoAMissingFolderFails()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.box.type(QStringLiteral("x"));
        f.dialogs.pickNext(QStringLiteral("/nowhere/new.cpp"));
        f.document.mnuSave_Click();
        QVERIFY(!f.files.exists(QStringLiteral("/nowhere/new.cpp")));
        QVERIFY(f.state.GoCancel);
        QVERIFY(!f.state.FileSaved);
        QCOMPARE(f.lblFilename.caption(), QStringLiteral("(unsaved)"));
        QVERIFY(f.state.currFilename.isEmpty());
    }

    void saveAsOfTheTemplate()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.dialogs.pickNext(QStringLiteral("/home/user/hello.cpp"));
        f.document.mnuSaveAs_Click();
        QCOMPARE(f.dialogs.calls[0].filter, Document::saveFilter());
        // A new document is written with LF line ends.
        QCOMPARE(f.files.files.value(QStringLiteral("/home/user/hello.cpp")),
                 NewFileTemplate::bytes().replace("\r\n", "\n"));
        QCOMPARE(f.lblFilename.caption(), QStringLiteral("/home/user/hello.cpp"));
        QCOMPARE(f.state.currFilename, QStringLiteral("/home/user/hello.cpp"));
        QCOMPARE(f.compile.srcfile, QStringLiteral("/home/user/hello.cpp"));
        QCOMPARE(f.compile.newpath, QStringLiteral("/home/user/hello.exe"));
        // Saving does not change the buttons' weight, nor JustNew: New still does nothing.
        QVERIFY(f.buttons[1].isBold());
        QVERIFY(f.state.JustNew);
        f.document.mnuNew_Click();
        QCOMPARE(f.state.currFilename, QStringLiteral("/home/user/hello.cpp"));
    }

    // A name typed without an extension gets the chosen filter's, so the
    // file shows under that filter when it is opened again.
    void saveAsAddsTheFilterExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::newRow("C++ source") << QStringLiteral("/h/hello") << 1 << QStringLiteral("/h/hello.cpp");
        QTest::newRow("C source") << QStringLiteral("/h/hello") << 2 << QStringLiteral("/h/hello.c");
        QTest::newRow("header") << QStringLiteral("/h/hello") << 3 << QStringLiteral("/h/hello.h");
        QTest::newRow("text") << QStringLiteral("/h/notes") << 4 << QStringLiteral("/h/notes.txt");
        QTest::newRow("all files adds nothing") << QStringLiteral("/h/Makefile") << 5 << QStringLiteral("/h/Makefile");
        QTest::newRow("own extension kept") << QStringLiteral("/h/prog.cc") << 1 << QStringLiteral("/h/prog.cc");
        QTest::newRow("dot in the folder only") << QStringLiteral("/h/v1.2/prog") << 1 << QStringLiteral("/h/v1.2/prog.cpp");
    }

    void saveAsAddsTheFilterExtension()
    {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        Fixture f;
        f.files.addFolder(QStringLiteral("/h"));
        f.files.addFolder(QStringLiteral("/h/v1.2"));
        f.document.mnuNew_Click();
        f.dialogs.pickNext(typed, filter);
        f.document.mnuSaveAs_Click();
        QVERIFY(f.files.exists(written));
        QCOMPARE(f.state.currFilename, written);
        QCOMPARE(f.lblFilename.caption(), written);
    }

    void saveAsOntoAnotherExistingFile()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.files.files.insert(QStringLiteral("/home/user/other.cpp"), QByteArray("keep me"));
        f.dialogs.pickNext(QStringLiteral("/home/user/other.cpp"));
        f.messages.answerNext(Reply::No);
        f.dialogs.cancelNext();

        f.document.mnuSaveAs_Click();

        QCOMPARE(f.dialogs.calls.size(), 2); // No shows a fresh dialog
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls[0].title, QStringLiteral("File Exists!"));
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("File exists! Do you want to continue saving the text under this filename: /home/user/other.cpp ?"));
        QCOMPARE(f.messages.calls[0].icon, Icon::Exclamation);
        QCOMPARE(f.files.files.value(QStringLiteral("/home/user/other.cpp")), QByteArray("keep me"));
        QVERIFY(f.state.GoCancel);

        f.dialogs.pickNext(QStringLiteral("/home/user/other.cpp"));
        f.messages.answerNext(Reply::Yes);
        f.document.mnuSaveAs_Click();
        QVERIFY(f.files.files.value(QStringLiteral("/home/user/other.cpp")).startsWith("// This file"));
        // Now it is the label's own path: no question.
        f.dialogs.pickNext(QStringLiteral("/home/user/other.cpp"));
        f.document.mnuSaveAs_Click();
        QCOMPARE(f.messages.titles().count(QStringLiteral("File Exists!")), 2);
    }

    void savePromptYesSavesThenGoesOn()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/w/a.cpp"), QByteArray("a\n"));
        QString p = QStringLiteral("/w/a.cpp");
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        f.box.type(QStringLiteral("b"));
        f.mnuFileSaved.setChecked(false);
        f.messages.answerNext(Reply::Yes);
        f.document.mnuNew_Click();
        QCOMPARE(f.files.files.value(QStringLiteral("/w/a.cpp")), QByteArray("ba\n"));
        f.checkTemplateShown();
    }

    void droppedFilesOpenTheFirst()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.files.files.insert(QStringLiteral("/w/one.c"), QByteArray("one"));
        f.files.files.insert(QStringLiteral("/w/two.c"), QByteArray("two"));
        f.document.Text1_OLEDragDrop({});
        f.checkTemplateShown();
        f.document.Text1_OLEDragDrop({QStringLiteral("/w/one.c"), QStringLiteral("/w/two.c")});
        QCOMPARE(f.box.text(), QStringLiteral("one"));
        QVERIFY(f.state.fileopened.isEmpty());
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    void cancelledDropIsOpenedByTheNextOpen()
    {
        Fixture f;
        f.document.mnuNew_Click();
        f.box.type(QStringLiteral("edit"));
        f.files.files.insert(QStringLiteral("/w/one.c"), QByteArray("one"));
        f.messages.answerNext(Reply::Cancel);
        f.document.Text1_OLEDragDrop({QStringLiteral("/w/one.c")});
        QCOMPARE(f.state.fileopened, QStringLiteral("/w/one.c"));
        QVERIFY(f.box.text().contains(QStringLiteral("edit")));

        f.messages.answerNext(Reply::No);
        f.document.mnuOpen_Click();
        QVERIFY(f.dialogs.calls.isEmpty());
        QCOMPARE(f.box.text(), QStringLiteral("one"));
        QVERIFY(f.state.fileopened.isEmpty());
    }

    void latin1TextGainingOtherCharactersIsSavedAsUtf8()
    {
        Fixture f;
        f.files.files.insert(QStringLiteral("/w/a.c"), QByteArray("caf\xe9\n"));
        QString p = QStringLiteral("/w/a.c");
        QVERIFY(f.document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {}));
        QCOMPARE(f.box.text(), QStringLiteral("caf\u00e9\r\n"));
        f.document.mnuSave_Click();
        QCOMPARE(f.files.files.value(QStringLiteral("/w/a.c")), QByteArray("caf\xe9\n"));
        f.box.type(QStringLiteral("\u20ac"));
        f.document.mnuSave_Click();
        QCOMPARE(f.files.files.value(QStringLiteral("/w/a.c")), QByteArray("\xe2\x82\xac" "caf\xc3\xa9\n"));
        QVERIFY(f.messages.titles().contains(QStringLiteral("Saved as UTF-8")));
        QCOMPARE(f.document.format().encoding, TextFormat::Encoding::Utf8);
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
