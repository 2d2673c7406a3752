#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/fakeprocess.h"
#include "run/widgets/runwindowwidget.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace {
// The real window over fake services, shown at its size.
struct Shown
{
    RunWindowWidget widget;
    FakeFileSystem files;
    FakeMessages messages;
    FakeFileDialogs dialogs;
    FakeClipboard clipboard;
    FakeProcess process;
    RunWindow run{widget.controls(), {files, messages, dialogs, clipboard, process}};

    explicit Shown(TwipSize size = RunWindow::initialSize)
    {
        widget.connectTo(run);
        run.setWorkDir(files.currentFolder());
        widget.frame().setOuterSize(size);
        widget.show();
    }
    QLabel *verdict() const { return widget.findChild<QLabel *>(QStringLiteral("lblVerdict")); }
    OutputView *text() const { return widget.output(); }
    // Starts a compile and ends it with this output and exit status.
    bool compile(const QByteArray &output, int exitCode)
    {
        process.onStart = [this, output](const FakeProcess::Call &) {
            files.files.insert(files.scratchFolder() + QStringLiteral("output.txt"), output);
        };
        const qsizetype before = process.calls.size();
        run.request.A_start = true;
        run.Form_Load();
        if (!QTest::qWaitFor([&] { return process.calls.size() > before; }, 5000))
            return false;
        process.finish({Process::Result::Outcome::Finished, exitCode, {}, {}});
        return true;
    }
};

// The line of the box's layout that holds position at of block.
int lineOf(const QTextBlock &block, int at)
{
    return block.layout()->lineForTextPosition(at).lineNumber();
}
} // namespace

// The run window's wiring: its controls carry their names, the buttons reach
// the run's commands, and a resize keeps the buttons under the output.
class TestRunWindowWidget : public QObject
{
    Q_OBJECT

private slots:
    void buttonsAndLayout()
    {
        RunWindowWidget widget;
        FakeFileSystem files;
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeClipboard clipboard;
        FakeProcess process;
        RunWindow run(widget.controls(), {files, messages, dialogs, clipboard, process});
        widget.connectTo(run);
        run.setWorkDir(files.currentFolder());

        run.request.A_start = true;
        run.request.A_clocation = QStringLiteral("/usr/bin/kvncc");
        // The compiler starts once the waiting text has been painted.
        QSignalSpy painted(widget.output(), &OutputView::painted);
        QString shownAtStart;
        process.onStart = [&](const FakeProcess::Call &) {
            shownAtStart = painted.isEmpty() ? QString() : widget.output()->toPlainText();
        };
        run.Form_Load();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QCOMPARE(widget.windowTitle(), QStringLiteral("Run 1.2"));
        auto *text = widget.findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        auto *copy = widget.findChild<QPushButton *>(QStringLiteral("cmdCopy"));
        auto *save = widget.findChild<QPushButton *>(QStringLiteral("cmdSave"));
        auto *stop = widget.findChild<QPushButton *>(QStringLiteral("cmdStop"));
        QVERIFY(text && copy && save && stop);
        QCOMPARE(text->toPlainText(), QStringLiteral("Please wait while running compiler..."));
        QCOMPARE(copy->text(), QStringLiteral("&Copy to clipboard"));
        QCOMPARE(save->text(), QStringLiteral("&Save to text"));

        QTRY_COMPARE_WITH_TIMEOUT(process.calls.size(), 1, 5000);
        QCOMPARE(shownAtStart, RunWindow::waitingText());
        QVERIFY(stop->isVisible());
        stop->click();
        QCOMPARE(process.stops, 1);
        QVERIFY(!stop->isVisible());
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("Command passed:")));

        messages.answerNext(Reply::Yes);
        copy->click();
        QCOMPARE(clipboard.text(), widget.output()->output());
        QVERIFY(clipboard.text().startsWith(QStringLiteral("Command passed:\n/usr/bin/kvncc")));

        widget.frame().setOuterSize({9000, 8000});
        QTRY_COMPARE(text->height(), Twips::toPixels(8000 - 930 - RunWindow::verdictHeight));
        QCOMPARE(copy->y(), Twips::toPixels(8000 - 930 + 105));
        QCOMPARE(save->y(), copy->y());

        // The output wraps; a double-click on a line reports that line.
        auto *view = qobject_cast<OutputView *>(text);
        QVERIFY(view);
        QCOMPARE(view->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        view->setPlainText(QStringLiteral("one\ntwo\nthree\nfour"));
        QSignalSpy activated(view, &OutputView::lineActivated);
        QTextCursor third(view->document()->findBlockByNumber(2));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(third).center());
        QCOMPARE(activated.value(0).value(0).toInt(), 2);

        // Closing it by the window manager hides it; the request stays.
        QVERIFY(!widget.close());
        QVERIFY(!widget.isVisible());
        QVERIFY(!run.isLoaded());
        QCOMPARE(run.request.A_clocation, QStringLiteral("/usr/bin/kvncc"));
    }

    // A verdict that needs several lines gets them, at the window's first
    // size and at others; the output box gives the room and takes it back.
    void aLongVerdictIsWhollyShown_data()
    {
        QTest::addColumn<TwipSize>("size");
        QTest::newRow("first size") << RunWindow::initialSize;
        QTest::newRow("larger") << TwipSize{9000, 8000};
        QTest::newRow("narrower") << TwipSize{5200, 6465};
    }
    void aLongVerdictIsWhollyShown()
    {
        QFETCH(TwipSize, size);
        Shown s(size);
        QVERIFY(QTest::qWaitForWindowExposed(&s.widget));
        s.run.request.A_clocation = QStringLiteral("/home/student/My Documents/Programming Course 2026/Compilers and "
                                                   "Tools/mingw-w64 cross toolchain for Windows/bin/i686-w64-mingw32-g++");
        QVERIFY(s.compile({}, 127));
        QLabel *label = s.verdict();
        QVERIFY(label->text().endsWith(QStringLiteral("i686-w64-mingw32-g++ was not found or cannot be run.")));
        const int needed = label->heightForWidth(label->width());
        QVERIFY2(needed >= 3 * label->fontMetrics().lineSpacing(), "the verdict takes three lines or more");
        QVERIFY2(label->height() >= needed, qPrintable(QStringLiteral("%1 px given, %2 needed").arg(label->height()).arg(needed)));
        QVERIFY(s.text()->geometry().bottom() < label->geometry().top());
        auto *copy = s.widget.findChild<QPushButton *>(QStringLiteral("cmdCopy"));
        QVERIFY(label->geometry().bottom() < copy->geometry().top());
        QCOMPARE(copy->y(), Twips::toPixels(size.height - 930 + 105));

        // A short verdict gives the room back.
        QVERIFY(s.compile("all fine\n", 0));
        QVERIFY(label->text().startsWith(QStringLiteral("Compilation successful")));
        QCOMPARE(s.text()->height(), Twips::toPixels(size.height - 930 - RunWindow::verdictHeight));
    }

    // The box wraps between words: "g++", a path or an option stays whole
    // wherever it falls, so one of the rows below puts it across a line's end.
    void outputWrapsBetweenWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("g++") << QStringLiteral("g++");
        QTest::newRow("path") << QStringLiteral("/usr/lib/gcc/x86_64-linux-gnu/12/cc1plus");
        QTest::newRow("option") << QStringLiteral("-Wl,--as-needed");
        QTest::newRow("location") << QStringLiteral("hello.cpp:12:5:");
        QTest::newRow("quoted type") << QStringLiteral("'std::vector<int>::size_type'");
        QTest::newRow("C++ and a dash") << QStringLiteral("C++-only");
    }
    void outputWrapsBetweenWords()
    {
        QFETCH(QString, word);
        Shown s;
        QVERIFY(QTest::qWaitForWindowExposed(&s.widget));
        QStringList lines;
        for (int columns = 1; columns < 100; ++columns)
            lines.append(QString(columns, u'x') + u' ' + word + QStringLiteral(" end"));
        s.widget.controls().Text1.setText(lines.join(QStringLiteral("\r\n")));

        OutputView *view = s.text();
        int wrapped = 0;
        for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
            view->document()->documentLayout()->blockBoundingRect(block); // lays the block out
            const int first = block.text().indexOf(u' ') + 1;
            const int last = block.text().lastIndexOf(QStringLiteral(" end")) - 1;
            QVERIFY2(lineOf(block, first) == lineOf(block, last),
                     qPrintable(QStringLiteral("cut in block %1: %2").arg(block.blockNumber()).arg(block.text())));
            wrapped += block.layout()->lineCount() > 1 ? 1 : 0;
        }
        QVERIFY(wrapped > 0);
        // What is copied is the text as given, with none of the joiners.
        QCOMPARE(s.widget.controls().Text1.text(), lines.join(u'\n'));
        view->selectAll();
        view->copy();
        QCOMPARE(QApplication::clipboard()->text(), lines.join(u'\n'));
    }

    // What keeps a word whole takes no room, and a word longer than a
    // line still breaks rather than running out of sight.
    void joinersTakeNoRoomAndLongWordsStillBreak()
    {
        Shown s;
        QVERIFY(QTest::qWaitForWindowExposed(&s.widget));
        s.widget.controls().Text1.setText(QStringLiteral("g++ end\nabc end\n") + QString(400, u'y'));
        OutputView *view = s.text();
        const QTextBlock joined = view->document()->findBlockByNumber(0);
        const QTextBlock plain = joined.next();
        const QTextBlock long_ = plain.next();
        for (const QTextBlock &block : {joined, plain, long_})
            view->document()->documentLayout()->blockBoundingRect(block);
        QCOMPARE(joined.layout()->lineAt(0).cursorToX(joined.text().indexOf(u' ')),
                 plain.layout()->lineAt(0).cursorToX(plain.text().indexOf(u' ')));
        QVERIFY(long_.layout()->lineCount() > 1);
    }

    // "Show Compiler Output" with no output to show says so: neither the
    // waiting text nor the verdict of an output since removed.
    void showWithoutOutputSaysSo()
    {
        Shown s;
        QVERIFY(QTest::qWaitForWindowExposed(&s.widget));
        QVERIFY(s.compile("a.cpp:1:1: error: expected ';'\n", 1));
        QVERIFY(s.verdict()->text().startsWith(QStringLiteral("Compilation unsuccessful")));
        s.run.Form_Unload();
        QVERIFY(s.files.remove(s.run.workDir() + QStringLiteral("results.txt")));

        s.run.request.A_start = false;
        s.run.Form_Load();
        QTRY_COMPARE_WITH_TIMEOUT(s.text()->toPlainText(), RunWindow::noOutputText(), 5000);
        QCOMPARE(s.verdict()->text(), QString());
        QVERIFY(s.process.calls.size() == 1);
    }
};

QTEST_MAIN(TestRunWindowWidget)
#include "tst_runwindowwidget.moc"
