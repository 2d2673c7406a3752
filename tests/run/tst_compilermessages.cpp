#include "support/mainformfixture.h"
#include "support/outputsamples.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray sample(const QString &name)
{
    return OutputSamples::read(name);
}

// The folder the captured outputs were compiled in, and the sources.
const QString work = QStringLiteral("/home/user/my work/");
const QByteArray squareCpp = OutputSamples::squareCpp;
const QByteArray memberCpp = OutputSamples::memberCpp;
const QByteArray sortlistCpp = OutputSamples::sortlistCpp;
const QString stlAlgo = QStringLiteral("/usr/include/c++/12/bits/stl_algo.h");

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

// A program of the folder the captured outputs came from, opened and ready
// to compile.
struct CapturedFixture : MainFormFixture
{
    explicit CapturedFixture(const QString &source, const QByteArray &text)
    {
        files.files.insert(work + source, text);
        // The library header as it lies on the system.
        QByteArray header;
        for (int line = 1; line <= 2000; ++line)
            header += "// library line " + QByteArray::number(line) + "\n";
        files.files.insert(stlAlgo, header);
        process.onStart = [this](const FakeProcess::Call &) {
            files.files.insert(QStringLiteral("/scratch/output.txt"), compilerOutput);
        };
        load(work + source);
    }

    void compile(const QByteArray &output)
    {
        compilerOutput = output;
        form.compileRequest.cmdCompile_Click();
        runTimer.tick();
        process.finish({Process::Result::Outcome::Finished, 1, {}, {}});
        messages.calls.clear();
    }

    // The document's file and the caret's line (from 1) and offset in it.
    std::tuple<QString, int, int> caret() const
    {
        const int line = Text1.lineFromPosition(Text1.selectionStart());
        return {form.state.currFilename, line + 1, Text1.selectionStart() - Text1.lineStart(line)};
    }

    // The output line (counted in the run window's text) of the first error.
    int firstErrorLine() const
    {
        for (const Diagnostic &d : form.runWindow.diagnostics()) {
            if (d.isError())
                return d.outputLine;
        }
        return -1;
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

    // F8 after a linker error goes to the call (or use) of the name the
    // linker could not find, and says so in the user's words.
    void f8AfterALinkerError_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("mark");
        const QString square = QStringLiteral("error: declared but never defined: square(int)");
        const QString counter = QStringLiteral("error: declared but never defined: counter");
        QTest::newRow("GNU ld") << QStringLiteral("square.cpp") << squareCpp << QStringLiteral("gcc-link-square") << 7 << 17
                                << square;
        QTest::newRow("lld") << QStringLiteral("square.cpp") << squareCpp << QStringLiteral("lld-link-square") << 7 << 17
                             << square;
        QTest::newRow("lld with debug information") << QStringLiteral("square.cpp") << squareCpp
                                                    << QStringLiteral("lld-link-g") << 7 << 17 << square;
        QTest::newRow("GNU ld, a variable") << QStringLiteral("member.cpp") << memberCpp
                                            << QStringLiteral("gcc-link-member") << 13 << 4 << counter;
        QTest::newRow("GNU ld with debug information, a variable")
            << QStringLiteral("member.cpp") << memberCpp << QStringLiteral("gcc-link-member-g") << 13 << 4 << counter;
    }

    void f8AfterALinkerError()
    {
        QFETCH(QString, source);
        QFETCH(QByteArray, text);
        QFETCH(QString, output);
        QFETCH(int, line);
        QFETCH(int, offset);
        CapturedFixture f(source, text);
        f.compile(sample(output));
        f.form.compilerMessages.mnuNextDiag_Click();
        QVERIFY2(f.messages.calls.isEmpty(), qPrintable(f.messages.titles().join(QLatin1Char(','))));
        QCOMPARE(f.caret(), (Caret{work + source, line, offset}));
        // The linker's own line is the one lit in the output.
        QCOMPARE(f.runText.currentFirst, f.firstErrorLine() - (output.contains(QLatin1String("lld")) ? 0 : 1));
        QCOMPARE(f.Text1.marks().size(), output.contains(QLatin1String("member")) && !output.contains(QLatin1String("lld")) ? 3 : 1);
        QCOMPARE(f.Text1.markLine(0), line - 1);
        QTEST(f.Text1.marks().at(0).message, "mark");
    }

    // A double-click on the linker's line goes where F8 goes.
    void doubleClickOnALinkerLine()
    {
        CapturedFixture f(QStringLiteral("square.cpp"), squareCpp);
        f.compile(sample(QStringLiteral("gcc-link-square")));
        f.Text1.setSelectionStart(0);
        f.form.compilerMessages.outputLineActivated(f.firstErrorLine());
        QCOMPARE(f.caret(), (Caret{work + QStringLiteral("square.cpp"), 7, 17}));
    }

    // An error inside a library header: F8 goes to the user's line that led
    // to it and the mark is there; the library's line, double-clicked,
    // opens the header read-only, and nothing typed or saved reaches it.
    void anErrorInALibraryHeader()
    {
        CapturedFixture f(QStringLiteral("sortlist.cpp"), sortlistCpp);
        f.compile(sample(QStringLiteral("gcc-sort")));
        QCOMPARE(f.Text1.marks().size(), 1);
        QCOMPARE(f.Text1.markLine(0), 6);
        QVERIFY(f.Text1.marks().at(0).message.endsWith(QStringLiteral("(in /usr/include/c++/12/bits/stl_algo.h:1938)")));

        f.form.compilerMessages.mnuNextDiag_Click();
        QVERIFY(f.messages.calls.isEmpty());
        QCOMPARE(f.caret(), (Caret{work + QStringLiteral("sortlist.cpp"), 7, 13})); // column 14 of GCC's note: the bracket
        QVERIFY(!f.Text1.isReadOnly());

        const QByteArray header = f.files.files.value(stlAlgo);
        f.form.compilerMessages.outputLineActivated(f.firstErrorLine());
        QCOMPARE(f.caret(), (Caret{stlAlgo, 1938, 20})); // column 50, past this line's end
        QVERIFY(f.Text1.isReadOnly());
        QCOMPARE(f.lblFilename.caption(), stlAlgo + QStringLiteral(" (Read-only: a system file, shown to read the compiler's message)"));
        // The program to compile is still the user's.
        QCOMPARE(f.form.compile.srcfile, work + QStringLiteral("sortlist.cpp"));
        f.Text1.type(QStringLiteral("x"));
        f.form.document.mnuSave_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File not saved")});
        QVERIFY(f.messages.calls[0].text.contains(QStringLiteral("system file")));
        QVERIFY(f.form.state.GoCancel);
        QCOMPARE(f.files.files.value(stlAlgo), header);

        // Save As onto the header itself is refused too; another name is fine.
        f.messages.calls.clear();
        f.dialogs.pickNext(stlAlgo, 5);
        f.form.document.mnuSaveAs_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File not saved")});
        QCOMPARE(f.files.files.value(stlAlgo), header);
        f.messages.calls.clear();
        f.dialogs.pickNext(work + QStringLiteral("copy.h"), 5);
        f.form.document.mnuSaveAs_Click();
        QCOMPARE(f.files.files.value(work + QStringLiteral("copy.h")), header);
        QVERIFY(!f.Text1.isReadOnly());

        // Back to the user's line ("required from here", just above), which
        // is the user's to edit.
        f.form.compilerMessages.outputLineActivated(f.firstErrorLine() - 1);
        QCOMPARE(f.form.state.currFilename, work + QStringLiteral("sortlist.cpp"));
        QVERIFY(!f.Text1.isReadOnly());
        QCOMPARE(f.lblFilename.caption(), work + QStringLiteral("sortlist.cpp"));
    }

    // Clang names the user's line after the error, in an "in instantiation
    // of ... requested here" note.
    void anErrorInALibraryHeaderByClang()
    {
        CapturedFixture f(QStringLiteral("sortlist.cpp"), sortlistCpp);
        f.files.files.insert(QStringLiteral("/usr/include/c++/12/bits/stl_algo.h"), "x\n");
        f.compile(sample(QStringLiteral("clang-sort")));
        QCOMPARE(f.Text1.marks().size(), 2);
        f.form.compilerMessages.mnuNextDiag_Click();
        QCOMPARE(f.caret(), (Caret{work + QStringLiteral("sortlist.cpp"), 7, 9})); // byte column 10
    }

    // The counts of the run window are the errors the user can reach, and
    // the output's error icons agree: a driver's closing line counts only
    // when no other error states the failure.
    void countsAndIconsAgree_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("count");
        QTest::newRow("only kvncc's closing line")
            << QByteArray("kvncc: error: compiling /home/user/my work/square.cpp failed (g++ exit status 1)\n")
            << QStringLiteral("1 error, 0 warnings");
        QTest::newRow("kvncc, a linker failure") << sample(QStringLiteral("kvncc-link")) << QStringLiteral("1 error, 1 warning");
        QTest::newRow("GNU ld") << sample(QStringLiteral("gcc-link-square")) << QStringLiteral("1 error, 0 warnings");
        QTest::newRow("lld") << sample(QStringLiteral("lld-link-member")) << QStringLiteral("2 errors, 0 warnings");
        QTest::newRow("kvncc, GNU ld") << sample(QStringLiteral("kvncc-link-square")) << QStringLiteral("1 error, 0 warnings");
        QTest::newRow("GNU ld, three undefined uses")
            << sample(QStringLiteral("gcc-link-member")) << QStringLiteral("3 errors, 2 warnings");
    }

    void countsAndIconsAgree()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, count);
        CapturedFixture f(QStringLiteral("square.cpp"), squareCpp);
        f.compile(output);
        QCOMPARE(RunWindow::countText(f.form.runWindow.diagnostics()), count);
        const qsizetype icons = std::count_if(f.runText.marked.cbegin(), f.runText.marked.cend(), [](const auto &m) {
            return m.kind == OutputBox::LineKind::Error;
        });
        QCOMPARE(QStringLiteral("%1 error").arg(icons), count.left(count.indexOf(QLatin1Char(' ')) + 6));
    }

    // The marks of the last compile are gone as soon as the next one starts,
    // not only when it ends.
    void marksGoWhileTheNextCompileRuns()
    {
        Fixture f;
        f.compile(brokenOutput);
        QVERIFY(!f.Text1.marks().isEmpty());
        f.form.compileRequest.cmdCompile_Click();
        f.runTimer.tick();
        QVERIFY(f.process.isRunning());
        QVERIFY(f.Text1.marks().isEmpty());
    }

    // The last line of a file without a line end at its end is marked too.
    void anErrorOnTheLastLineWithoutALineEnd()
    {
        Fixture f;
        f.files.files.insert(program, "int main()\n{\n    return y; }");
        f.form.document.openFile(program);
        f.compile("/home/user/project/src/prog.cpp:3:12: error: 'y' was not declared in this scope\n");
        QCOMPARE(f.Text1.marks().size(), 1);
        QCOMPARE(f.Text1.markLine(0), 2);
        QCOMPARE(f.Text1.marks().at(0).start - f.Text1.lineStart(2), 11);
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
