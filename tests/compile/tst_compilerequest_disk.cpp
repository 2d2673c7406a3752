#include "support/compilefixture.h"
#include "support/runfixture.h"

#include "compile/compilerequest.h"
#include "editor/caretstatus.h"
#include "platform/fake/faketextbox.h"

#include <QTest>

#include <functional>

namespace {

// Boxes answered from the script, each first shown to the test.
class WatchedMessages : public FakeMessages
{
public:
    std::function<void()> onShow;
    Reply show(const QString &text, const QString &title, Buttons buttons, Icon icon) override
    {
        if (onShow)
            onShow();
        return FakeMessages::show(text, title, buttons, icon);
    }
};

} // namespace

// A compile started while the source file on disk was changed by another
// program: the save it asks for, and what the user is told when it stops.
class TestCompileRequestDisk : public QObject
{
    Q_OBJECT

private:
    static inline const QString source = QStringLiteral("/work/a.cpp");

    struct Fixture : RunFixture
    {
        WatchedMessages asked;
        EditorState editor;
        FakeFormWindow mainWindow;
        FakeTextBox box;
        FakeLabel lblFilename, lblLine;
        FakeEntry txtGotoLine;
        CTextBoxEx ex{clipboard};
        FakeMenuItem mnuFileSaved{false};
        CompileFixture panel{asked, dialogs, files};
        EditorControls controls{mainWindow, box, lblFilename, lblLine, txtGotoLine};
        CaretStatus status{editor, controls, ex};
        Document document{editor, controls, ex, {files, asked, dialogs, panel.locations}, mnuFileSaved};
        CompileRequest request{{document, panel.compile, panel.List1, mainWindow, run, asked}};

        Fixture()
        {
            ex.setTextBox(&box);
            box.onChange = [this] { status.Text1_Change(); };
            panel.compile.CompilerPath = QStringLiteral("/usr/bin/kvncc");
            files.files.insert(source, QByteArray("int main() {}\n"));
            QString path = source;
            document.OpenSourceFile(Document::OpenMode::LoadGiven, path, {});
            run.request = RunRequest{};
        }
    };

private slots:
    // Only a No to overwriting the changed file is told of: the user chose
    // about the file, and may not know that the compile stopped with it.
    void aCompileStoppedAtTheSaveSaysWhy_data()
    {
        QTest::addColumn<bool>("changedOnDisk");
        QTest::addColumn<int>("saveAnswer");
        QTest::addColumn<int>("overwriteAnswer");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("runs");
        const QString save = Document::savePromptText();
        const QString changed = QStringLiteral("File changed on disk");
        QTest::newRow("changed file kept: the compile says it stopped")
            << true << int(Reply::Yes) << int(Reply::No)
            << QStringList{save, changed, QStringLiteral("Compile cancelled")} << false;
        QTest::newRow("changed file overwritten: compiles")
            << true << int(Reply::Yes) << int(Reply::Yes) << QStringList{save, changed} << true;
        QTest::newRow("save question cancelled: nothing more said")
            << true << int(Reply::Cancel) << 0 << QStringList{save} << false;
        QTest::newRow("not saved: the file on disk compiles")
            << true << int(Reply::No) << 0 << QStringList{save} << true;
        QTest::newRow("unchanged file: saved and compiled")
            << false << int(Reply::Yes) << 0 << QStringList{save} << true;
    }

    void aCompileStoppedAtTheSaveSaysWhy()
    {
        QFETCH(bool, changedOnDisk);
        QFETCH(int, saveAnswer);
        QFETCH(int, overwriteAnswer);
        QFETCH(QStringList, titles);
        QFETCH(bool, runs);
        Fixture f;
        f.box.type(QStringLiteral("x "));
        if (changedOnDisk)
            f.files.changeBehindTheProgram(source, "int main() { return 1; }\n");
        f.asked.answerNext(Reply(saveAnswer));
        if (overwriteAnswer)
            f.asked.answerNext(Reply(overwriteAnswer));
        f.request.cmdCompile_Click();
        QCOMPARE(f.asked.titles(), titles);
        QCOMPARE(f.run.isLoaded(), runs);
        if (titles.last() == QLatin1String("Compile cancelled")) {
            const FakeMessages::Call &told = f.asked.calls.last();
            QCOMPARE(told.buttons, Buttons::Ok);
            QVERIFY2(told.text.startsWith(QStringLiteral("Compile cancelled: /work/a.cpp was changed on disk")),
                     qPrintable(told.text));
            QCOMPARE(f.files.files.value(source), QByteArray("int main() { return 1; }\n"));
            QVERIFY(!f.editor.FileSaved);
        }
    }

    // A save that failed has told the user why already; the compile adds
    // nothing about a changed file.
    void aFailedSaveIsNotTakenForAKeptFile()
    {
        Fixture f;
        f.files.changeBehindTheProgram(source, "int main() { return 1; }\n");
        f.asked.answerNext(Reply::No); // keep the changed file
        f.document.mnuSave_Click();
        QVERIFY(f.document.declinedOverwrite());
        f.box.type(QStringLiteral("x "));
        f.files.failWritesUnder(QStringLiteral("/work/"));
        f.asked.answerNext(Reply::Yes); // save
        f.asked.answerNext(Reply::Yes); // overwrite
        f.request.cmdCompile_Click();
        QCOMPARE(f.asked.titles().last(), QStringLiteral("File not saved"));
        QVERIFY(!f.asked.titles().contains(QStringLiteral("Compile cancelled")));
        QVERIFY(!f.run.isLoaded());
    }

    // While a compile is being started, its questions hold the document:
    // the window must not ask about it in between.
    void aCompileBeingStartedSaysSo()
    {
        Fixture f;
        f.box.type(QStringLiteral("x "));
        QList<bool> starting;
        f.asked.onShow = [&] { starting.append(f.request.starting()); };
        f.asked.answerNext(Reply::Yes);
        QVERIFY(!f.request.starting());
        f.request.cmdCompile_Click();
        QCOMPARE(starting, QList<bool>{true});
        QVERIFY(!f.request.starting());
        QVERIFY(f.run.isLoaded());
    }
};

QTEST_GUILESS_MAIN(TestCompileRequestDisk)
#include "tst_compilerequest_disk.moc"
