#include "support/mainformfixture.h"

#include <QTest>

namespace {

const QString folder = QStringLiteral("/home/user/project/src/");
const QString program = folder + QStringLiteral("prog.cpp");
const QString header = folder + QStringLiteral("util.h");

// GCC's way of putting it: display columns (a tab reaches column 9), the
// header named as the include wrote it, a note between the messages.
const QByteArray brokenOutput = "In file included from /home/user/project/src/prog.cpp:1:\n"
                                "util.h: In function 'int helper()':\n"
                                "util.h:2:12: error: 'missing' was not declared in this scope\n"
                                "    2 |     return missing;\n"
                                "/home/user/project/src/prog.cpp: In function 'int main()':\n"
                                "/home/user/project/src/prog.cpp:4:17: error: 'y' was not declared in this scope\n"
                                "/home/user/project/src/prog.cpp:4:13: note: 'x' declared here\n"
                                "/home/user/project/src/prog.cpp:5:13: warning: no newline at end\n";

struct Fixture : MainFormFixture
{
    Fixture()
    {
        files.files.insert(program, "#include \"util.h\"\nint main()\n{\n\tint x = y;\n    return 0\n}\n");
        files.files.insert(header, "int helper() {\n    return missing;\n}\n");
        process.onStart = [this](const FakeProcess::Call &) {
            files.files.insert(QStringLiteral("/scratch/output.txt"), compilerOutput);
        };
        load(program);
    }

    void compile(const QByteArray &output, int exitCode = 1)
    {
        compilerOutput = output;
        form.compileRequest.cmdCompile_Click();
        runTimer.tick();
        process.finish({Process::Result::Outcome::Finished, exitCode, {}, {}});
        messages.calls.clear();
    }

    // Where the caret stands: the document's file, line and offset in it.
    std::tuple<QString, int, int> caret() const
    {
        const int line = Text1.lineFromPosition(Text1.selectionStart());
        return {form.state.currFilename, line, Text1.selectionStart() - Text1.lineStart(line)};
    }

    QByteArray compilerOutput;
};

using Caret = std::tuple<QString, int, int>;

} // namespace

class TestCompilerMessages : public QObject
{
    Q_OBJECT

private slots:
    void f8AndShiftF8StepThroughErrorsAndWarnings()
    {
        Fixture f;
        f.compile(brokenOutput);
        f.form.compilerMessages.mnuNextDiag_Click();
        // The header, found beside the source, is opened to be mended: the
        // program stays the one compiled.
        QCOMPARE(f.caret(), (Caret{header, 1, 11}));
        QCOMPARE(f.runText.currentFirst, 3); // from "In file included from"
        QCOMPARE(f.form.compile.srcfile, program);
        QVERIFY(f.messages.calls.isEmpty());

        const QList<Caret> steps = {{program, 3, 9}, {program, 4, 12}}; // past the note
        for (const Caret &expected : steps) {
            f.form.compilerMessages.mnuNextDiag_Click();
            QCOMPARE(f.caret(), expected);
        }
        QCOMPARE(f.fraMain[0].isVisible(), true);

        // At the last one F8 says so and stays.
        f.form.compilerMessages.mnuNextDiag_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Next diagnostic")});
        QVERIFY(f.messages.calls[0].text.contains(QStringLiteral("no further diagnostic")));
        QCOMPARE(f.caret(), steps.last());

        f.form.compilerMessages.mnuPrevDiag_Click();
        QCOMPARE(f.caret(), steps.first());
    }

    void aHeaderIsOpenedAfterTheSaveQuestionAndStaysAHeader()
    {
        Fixture f;
        f.compile(brokenOutput);
        f.Text1.setSelectionStart(0);
        f.Text1.type(QStringLiteral("// edited\n"));
        f.messages.answerNext(Reply::Cancel);
        f.form.compilerMessages.mnuNextDiag_Click();
        QCOMPARE(f.messages.titles(), QStringList{Document::savePromptText()});
        QCOMPARE(f.form.state.currFilename, program);

        f.messages.answerNext(Reply::Yes);
        f.form.compilerMessages.mnuNextDiag_Click();
        QCOMPARE(f.form.state.currFilename, header);
        QVERIFY(f.files.files.value(program).startsWith("// edited"));

        // Saving the mended header does not make it the program to compile.
        f.Text1.type(QStringLiteral("x"));
        f.form.document.mnuSave_Click();
        QCOMPARE(f.form.compile.srcfile, program);
        QCOMPARE(f.form.compile.newpath, QStringLiteral("/home/user/project/src/prog.exe"));
    }

    void theDocumentsLinesAreMarkedUntilTheNextCompile()
    {
        Fixture f;
        f.compile(brokenOutput);
        // Errors and warnings of this file only; the spot is the word at the
        // column, or the last character when the column is past the end.
        const QList<TextBox::Mark> marks = f.Text1.marks();
        QCOMPARE(marks.size(), 2);
        QCOMPARE(f.Text1.markLine(0), 3);
        QCOMPARE((std::pair{marks[0].start - f.Text1.lineStart(3), marks[0].length}), (std::pair{9, 1}));
        QVERIFY(marks[0].error);
        QCOMPARE(marks[0].message, QStringLiteral("error: 'y' was not declared in this scope"));
        QCOMPARE(f.Text1.markLine(1), 4);
        QCOMPARE((std::pair{marks[1].start - f.Text1.lineStart(4), marks[1].length}), (std::pair{11, 1}));
        QVERIFY(!marks[1].error);

        f.compile("kvncc 2.2\n", 0);
        QVERIFY(f.Text1.marks().isEmpty());
    }

    void activatingAnOutputLine_data()
    {
        QTest::addColumn<int>("outputLine");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("line");
        // The output starts at line 3, under the command and a blank line.
        QTest::newRow("the message") << 3 + 5 << program << 3;
        QTest::newRow("its context before it") << 3 + 4 << program << 3;
        QTest::newRow("a note") << 3 + 6 << program << 3;
        QTest::newRow("the quoted source after it") << 3 + 3 << header << 1;
        QTest::newRow("the command line") << 1 << program << 0;
    }

    void activatingAnOutputLine()
    {
        QFETCH(int, outputLine);
        QFETCH(QString, file);
        QFETCH(int, line);
        Fixture f;
        f.compile(brokenOutput);
        f.form.compilerMessages.outputLineActivated(outputLine);
        QCOMPARE(f.form.state.currFilename, file);
        QCOMPARE(f.Text1.lineFromPosition(f.Text1.selectionStart()), line);
    }

    void nothingToGoTo()
    {
        Fixture f;
        f.form.compilerMessages.mnuNextDiag_Click();
        QVERIFY(f.messages.calls.last().text.contains(QStringLiteral("compile the program first")));

        f.compile("/gone/away.cpp:3:1: error: lost\n");
        f.form.compilerMessages.mnuPrevDiag_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File not found")});
        QCOMPARE(f.form.state.currFilename, program);
    }
};

QTEST_GUILESS_MAIN(TestCompilerMessages)
#include "tst_compilermessages.moc"
