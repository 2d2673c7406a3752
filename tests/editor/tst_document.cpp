#include "compile/compilelocations.h"
#include "editor/caretstatus.h"
#include "editor/document.h"
#include "editor/newfiletemplate.h"
#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/faketextbox.h"

#include <QTest>

class TestDocument : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        EditorState state;
        FakeFormWindow window;
        FakeTextBox box;
        FakeLabel lblFilename;
        FakeLabel lblLine;
        FakeEntry txtGotoLine;
        FakeClipboard clipboard;
        FakeFileSystem files{QStringLiteral("/home/user/")};
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeMenuItem mnuFileSaved{true};
        std::array<FakeButton, 4> buttons;
        CompileState compile;
        CompileLocations locations{compile, {&buttons[0], &buttons[1], &buttons[2], &buttons[3]}};
        CTextBoxEx ex{clipboard};
        EditorControls controls{window, box, lblFilename, lblLine, txtGotoLine};
        CaretStatus status{state, controls, ex};
        Document document{state, controls, ex, {files, messages, dialogs, locations}, mnuFileSaved};

        Fixture()
        {
            state.FormName = QStringLiteral("Korvane (KVN) 2.2");
            state.WorkDir = files.currentFolder();
            compile.options.reset();
            ex.setTextBox(&box);
            box.onChange = [this] { status.Text1_Change(); };
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
        // The template went through "temp_kvn", which is gone again.
        QVERIFY(f.files.writes.contains(QStringLiteral("/home/user/temp_kvn")));
        QVERIFY(!f.files.exists(QStringLiteral("/home/user/temp_kvn")));
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
};

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
