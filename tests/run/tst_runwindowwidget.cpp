#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/fakeprocess.h"
#include "run/widgets/runwindowwidget.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

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
        QCOMPARE(clipboard.text(), text->toPlainText());

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
};

QTEST_MAIN(TestRunWindowWidget)
#include "tst_runwindowwidget.moc"
