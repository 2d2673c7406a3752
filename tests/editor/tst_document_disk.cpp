#include "editorfixture.h"

#include "support/compilefixture.h"
#include "editor/document.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakemessages.h"

#include <QTest>

// The document's file changed, replaced or removed by another program while
// it is shown: the look at it, the question, reload and keep.
class TestDocumentDisk : public QObject
{
    Q_OBJECT

private:
    static inline const QString path = QStringLiteral("/w/a.cpp");
    static inline const QString title = QStringLiteral("File changed on disk");

    struct Fixture : EditorFixture
    {
        FakeFileSystem files{QStringLiteral("/home/user/")};
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeMenuItem mnuFileSaved{false};
        CompileFixture panel{messages, dialogs, files};
        Document document{state, controls, ex, {files, messages, dialogs, panel.locations}, mnuFileSaved};
        int openedCalls = 0;

        explicit Fixture(const QByteArray &content = "int a;\nint b;\n")
        {
            state.WorkDir = files.currentFolder();
            files.files.insert(path, content);
            QString p = path;
            document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {});
            document.onOpened([this] { ++openedCalls; });
        }

        bool unsavedShown() const
        {
            return !state.FileSaved && window.title().endsWith(QStringLiteral(" #"))
                   && lblFilename.background() == Colours::red;
        }
        bool savedShown() const
        {
            return state.FileSaved && !window.title().endsWith(QStringLiteral(" #"))
                   && lblFilename.background() == Colours::white;
        }
    };

private slots:
    // Nothing changed on disk, or the document has no file: nothing is
    // asked, nothing is read.
    void anUnchangedFileIsNotAskedAbout()
    {
        Fixture f;
        f.box.type(QStringLiteral("// mine\r\n"));
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
        f.state.currFilename.clear();
        f.files.changeBehindTheProgram(path, "int theirs;\n");
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
        QVERIFY(f.messages.calls.isEmpty());
    }

    // A change is asked about; Yes puts the file's text in as one undoable
    // edit, No keeps the shown text as unsaved text. Either way the same
    // change is not asked about again.
    void aChangedFileIsAskedAboutOnce_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<int>("answer");
        QTest::newRow("saved text, reload") << false << int(Reply::Yes);
        QTest::newRow("saved text, keep") << false << int(Reply::No);
        QTest::newRow("typed text, reload") << true << int(Reply::Yes);
        QTest::newRow("typed text, keep") << true << int(Reply::No);
    }

    void aChangedFileIsAskedAboutOnce()
    {
        QFETCH(bool, typed);
        QFETCH(int, answer);
        Fixture f;
        if (typed)
            f.box.type(QStringLiteral("// mine\r\n"));
        const QString shown = f.box.text();
        f.box.setSelectionStart(8);
        f.files.changeBehindTheProgram(path, "int theirs;\r\n");
        f.messages.answerNext(Reply(answer));

        const bool reload = Reply(answer) == Reply::Yes;
        QCOMPARE(f.document.checkDisk(), reload ? Document::DiskCheck::Reloaded : Document::DiskCheck::Kept);

        QCOMPARE(f.messages.titles(), QStringList{title});
        const FakeMessages::Call &ask = f.messages.calls.first();
        QVERIFY2(ask.text.startsWith(path + QStringLiteral(" was changed by another program.")), qPrintable(ask.text));
        QVERIFY(ask.text.contains(QStringLiteral("Reload it")));
        QCOMPARE(ask.text.contains(QStringLiteral("lose your changes")), typed);
        QCOMPARE(ask.buttons, Buttons::YesNo);
        if (reload) {
            QCOMPARE(f.box.text(), QStringLiteral("int theirs;\r\n"));
            QVERIFY(f.savedShown());
            QVERIFY(!f.box.isModified());
            QCOMPARE(f.box.selectionStart(), 8); // the caret stays about where it was
            QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 1 out of 2 line(s)"));
            QCOMPARE(f.document.format().lineEnding, TextFormat::LineEnding::CrLf);
            QCOMPARE(f.openedCalls, 1);
        } else {
            QCOMPARE(f.box.text(), shown);
            QVERIFY(f.unsavedShown());
            QVERIFY(f.box.isModified());
            QCOMPARE(f.openedCalls, 0);
        }

        // The same change is not asked about again.
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
        QCOMPARE(f.messages.calls.size(), 1);

        // Kept text still asks before it replaces the newer file; reloaded
        // text is the file's, and its save asks nothing.
        f.messages.answerNext(Reply::No);
        f.document.mnuSave_Click();
        QCOMPARE(f.messages.calls.size(), reload ? 1 : 2);
        QCOMPARE(f.files.files.value(path), QByteArray("int theirs;\r\n"));
        QCOMPARE(f.document.declinedOverwrite(), !reload);
    }

    // Undo after a reload brings back the text that was shown, unsaved.
    void undoAfterAReloadBringsTheTextBack()
    {
        Fixture f;
        f.box.type(QStringLiteral("// mine\r\n"));
        const QString mine = f.box.text();
        f.files.changeBehindTheProgram(path, "int theirs;\n");
        f.messages.answerNext(Reply::Yes);
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Reloaded);
        QVERIFY(f.box.canUndo());
        f.box.undo();
        QCOMPARE(f.box.text(), mine);
        QVERIFY(f.unsavedShown());
        // Saving it now is the user's choice made with the new file in view.
        f.document.mnuSave_Click();
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.files.files.value(path), QByteArray("// mine\nint a;\nint b;\n"));
    }

    // A later change after a kept one is a new change: asked about again.
    void aNewChangeAfterKeepingIsAskedAgain()
    {
        Fixture f;
        f.files.changeBehindTheProgram(path, "int first;\n");
        f.messages.answerNext(Reply::No);
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Kept);
        f.files.changeBehindTheProgram(path, "int second;\n");
        f.messages.answerNext(Reply::Yes);
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Reloaded);
        QCOMPARE(f.messages.titles(), (QStringList{title, title}));
        QCOMPARE(f.box.text(), QStringLiteral("int second;\r\n"));
    }

    // A removed file is told of, once; the text stays, unsaved, and a save
    // writes the file again. A file put back there is a new change.
    void aRemovedFileIsToldOfAndTheTextKept_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::newRow("saved text") << false;
        QTest::newRow("typed text") << true;
    }

    void aRemovedFileIsToldOfAndTheTextKept()
    {
        QFETCH(bool, typed);
        Fixture f;
        if (typed)
            f.box.type(QStringLiteral("// mine\r\n"));
        const QString shown = f.box.text();
        f.files.addFolder(QStringLiteral("/w/"));
        f.files.files.remove(path);

        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Removed);
        QCOMPARE(f.messages.titles(), QStringList{title});
        QCOMPARE(f.messages.calls.first().buttons, Buttons::Ok);
        QVERIFY(f.messages.calls.first().text.startsWith(path + QStringLiteral(" was deleted or renamed")));
        QCOMPARE(f.box.text(), shown);
        QVERIFY(f.unsavedShown());
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
        QCOMPARE(f.messages.calls.size(), 1);

        f.files.changeBehindTheProgram(path, "int back;\n");
        f.messages.answerNext(Reply::No);
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Kept);
        QCOMPARE(f.messages.calls.size(), 2);
        f.files.files.remove(path);
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Removed);
        QCOMPARE(f.messages.calls.size(), 3);
        f.document.mnuSave_Click();
        QCOMPARE(f.messages.titles().join(QLatin1Char('|')), QStringList(3, title).join(QLatin1Char('|')));
        QVERIFY(f.savedShown());
        QCOMPARE(f.files.files.value(path).isEmpty(), false);
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
    }

    // A file written again with the very text shown (touched, checked out
    // again) has nothing to reload: nothing is asked while the text is saved.
    // With unsaved text the file's old text is not known, so it is asked.
    void theSameTextWrittenAgain_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("asked");
        QTest::newRow("saved text, LF file") << false << QByteArray("int a;\nint b;\n") << false;
        QTest::newRow("saved text, CR LF file") << false << QByteArray("int a;\r\nint b;\r\n") << false;
        QTest::newRow("saved text, no last line end") << false << QByteArray("int a;") << false;
        QTest::newRow("typed text") << true << QByteArray("int a;\n") << true;
    }

    void theSameTextWrittenAgain()
    {
        QFETCH(bool, typed);
        QFETCH(QByteArray, content);
        QFETCH(bool, asked);
        Fixture f(content);
        if (typed)
            f.box.type(QStringLiteral("x"));
        f.files.changeBehindTheProgram(path, content);
        f.messages.answerNext(Reply::No);
        QCOMPARE(f.document.checkDisk(), asked ? Document::DiskCheck::Kept : Document::DiskCheck::Unchanged);
        QCOMPARE(f.messages.calls.size(), asked ? 1 : 0);
        // The file as it is now is the one known: a save asks nothing.
        if (!asked) {
            f.box.type(QStringLiteral("y"));
            f.document.mnuSave_Click();
            QVERIFY(f.messages.calls.isEmpty());
            QVERIFY(f.savedShown());
        }
    }

    // A file that cannot be read any more is not reloaded: the user is told
    // why, and the text stays, unsaved.
    void anUnreadableFileIsNotReloaded()
    {
        Fixture f;
        const QString shown = f.box.text();
        f.files.changeBehindTheProgram(path, "int theirs;\n");
        f.files.failReadsOf(path);
        f.messages.answerNext(Reply::Yes);
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Kept);
        QCOMPARE(f.messages.titles(), (QStringList{title, QStringLiteral("File not opened")}));
        QCOMPARE(f.box.text(), shown);
        QVERIFY(f.unsavedShown());
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
    }

    // A file shown read-only takes no edits, a reload's neither: its text
    // becomes the file's all the same, and stays read-only.
    void aReadOnlyFileIsReloadedToo()
    {
        Fixture f;
        QVERIFY(f.document.openReadOnly(path));
        f.files.changeBehindTheProgram(path, "int theirs;\n");
        f.messages.answerNext(Reply::Yes);
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Reloaded);
        // Its No keeps nothing unsaved, and the question does not say so.
        QVERIFY2(!f.messages.calls.first().text.contains(QStringLiteral("unsaved")), qPrintable(f.messages.calls.first().text));
        QCOMPARE(f.box.text(), QStringLiteral("int theirs;\r\n"));
        QVERIFY(f.savedShown());
        QVERIFY(f.box.isReadOnly());
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
    }

    // A save that failed midway changed the file itself: that is not
    // another program's change, and the half-written file is not offered
    // for reloading over the text, which stays unsaved.
    void aSaveFailedMidwayIsNoChangeByAnotherProgram()
    {
        Fixture f;
        f.box.type(QStringLiteral("// mine\r\n"));
        f.files.failNextWriteHalfway(QStringLiteral("/w/a.cpp.kvn-backup"));
        f.document.mnuSave_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File not saved")});
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
        QCOMPARE(f.messages.calls.size(), 1);
        QVERIFY(f.unsavedShown());
        f.document.mnuSave_Click();
        QCOMPARE(f.messages.calls.size(), 1); // written without an Overwrite question
        QCOMPARE(f.files.files.value(path), QByteArray("// mine\nint a;\nint b;\n"));
    }

    // A save of KVN's own, and a new document, are no change by another
    // program.
    void ownSavesAndNewDocumentsAreNoChange()
    {
        Fixture f;
        f.box.type(QStringLiteral("x"));
        f.document.mnuSave_Click();
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
        f.document.mnuNew_Click();
        f.files.changeBehindTheProgram(path, "int theirs;\n");
        QCOMPARE(f.document.checkDisk(), Document::DiskCheck::Unchanged);
        QVERIFY(f.messages.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDocumentDisk)
#include "tst_document_disk.moc"
