#include "platform/qt/outputview.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

// The compiler's output box: whatever reads it gets the compiler's own text,
// and its lines wrap only after spaces.
class TestOutputView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<OutputView> m_view;

    // Lays every block out, as the view does when it paints.
    void layOut()
    {
        for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next())
            m_view->document()->documentLayout()->blockBoundingRect(block);
    }

    // A block whose text wraps onto more than one line, or an invalid one.
    QTextBlock wrappedBlock()
    {
        layOut();
        for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
            if (block.layout()->lineCount() > 1)
                return block;
        }
        return {};
    }

    static QString commandLines()
    {
        QStringList lines;
        for (int i = 0; i < 40; ++i) {
            lines.append(QStringLiteral("g++ -std=c++20 -Wall -o hello%1 hello.cpp -I/usr/include/c++/12 "
                                        "-L/usr/lib/gcc/x86_64-linux-gnu/12 -Wl,--as-needed")
                             .arg(i));
        }
        return lines.join(u'\n');
    }

private slots:
    void init()
    {
        m_view = std::make_unique<OutputView>();
        m_view->resize(420, 200);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() { m_view.reset(); }

    void readersGetTheOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("command line") << QStringLiteral("g++ -o a /usr/include/c++/12/x.h");
        QTest::newRow("location") << QStringLiteral("hello.cpp:12:5: error: expected ';' before '}' token");
        QTest::newRow("typographic quotes") << QStringLiteral("a.c:3:1: error: \u2018mian\u2019 undeclared");
        QTest::newRow("option and dash") << QStringLiteral("cc1plus: warning: -Wl,--as-needed is C++-only");
        QTest::newRow("lines") << QStringLiteral("In file included from /usr/include/c++/12/vector:63,\n"
                                                 "                 from a.cpp:1:\n"
                                                 "a.cpp:4:5: note: candidate: 'std::vector<int>::size_type'");
    }
    // A screen reader reads, through the box's accessible text, what the
    // compiler wrote; "g++" is found as "g++".
    void readersGetTheOutput()
    {
        QFETCH(QString, output);
        m_view->setOutput(output);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(m_view.get());
        QVERIFY(accessible);
        QAccessibleTextInterface *text = accessible->textInterface();
        QVERIFY(text);
        // Qt reports the end of a block as a paragraph separator.
        QString read = text->text(0, text->characterCount());
        read.replace(QChar::ParagraphSeparator, u'\n');
        QCOMPARE(read, output);
        QCOMPARE(text->characterCount(), output.size());
    }
    void plainTextIsTheOutput_data() { readersGetTheOutput_data(); }
    // A test driver or script that reads the widget's "plainText" property,
    // or its text through the widget, finds the compiler's text.
    void plainTextIsTheOutput()
    {
        QFETCH(QString, output);
        m_view->setOutput(output);
        QCOMPARE(m_view->property("plainText").toString(), output);
        QCOMPARE(m_view->toPlainText(), output);
        QCOMPARE(m_view->output(), output);
    }

    void linesEndOnlyAfterSpaces_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("points");
        QTest::addColumn<QString>("output");
        const QString path = QStringLiteral("/usr/lib/gcc/x86_64-linux-gnu/12/../../../x86_64-linux-gnu/crt1.o");
        QTest::newRow("command lines, narrow") << 260 << 8.0 << commandLines();
        QTest::newRow("command lines, wide") << 700 << 8.0 << commandLines();
        QTest::newRow("command lines, large font") << 420 << 14.0 << commandLines();
        QTest::newRow("a path longer than a line") << 200 << 8.0 << (QStringLiteral("ld: cannot open ") + path + path);
        QTest::newRow("indented path longer than a line") << 200 << 8.0 << (QStringLiteral("    ") + path + path);
        QTest::newRow("tabs") << 260 << 8.0
                              << QStringLiteral("a.cpp:1:1:\terror:\tg++\t-o\thello\t/usr/include/c++/12/x.h\tend");
        QTest::newRow("quotes") << 260 << 8.0
                                << QStringLiteral("a.c:3:1: error: \u2018std::vector<int>::size_type\u2019 "
                                                  "was not declared in this scope; did you mean "
                                                  "\u2018std::vector<long>::size_type\u2019?");
    }
    // Each wrapped line ends after a space or a tab, unless one word fills
    // it; no line is wider than the box; a word that fits is not pushed
    // onto the next line.
    void linesEndOnlyAfterSpaces()
    {
        QFETCH(int, width);
        QFETCH(double, points);
        QFETCH(QString, output);
        // The text comes last: a single line replacing a single line is laid
        // out at once rather than when first painted.
        m_view->resize(width, 300);
        m_view->setFontSize(points);
        m_view->setOutput(output);
        layOut();
        const qreal margin = m_view->document()->documentMargin();
        const qreal available = m_view->viewport()->width() - 2 * margin;
        const QFontMetricsF metrics(m_view->document()->defaultFont());
        int wrapped = 0;
        for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
            const QString text = block.text();
            const QTextLayout *layout = block.layout();
            int expectedStart = 0;
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const int end = line.textStart() + line.textLength();
                const QString shown = text.mid(line.textStart(), line.textLength());
                const QString where =
                    QStringLiteral("block %1 line %2: [%3]").arg(block.blockNumber()).arg(i).arg(shown);
                QVERIFY2(line.textStart() == expectedStart, qPrintable(where));
                QVERIFY2(line.textLength() > 0, qPrintable(where));
                QVERIFY2(line.naturalTextWidth() <= available + 0.5, qPrintable(where));
                expectedStart = end;
                if (end >= text.size())
                    continue;
                ++wrapped;
                const QString words = shown.trimmed();
                if (shown.back().isSpace()) {
                    // The next word did not fit after the spaces.
                    const int next = text.indexOf(QRegularExpression(QStringLiteral("\\s|$")), end);
                    const QString withNext = text.mid(line.textStart(), next - line.textStart()).trimmed();
                    QVERIFY2(metrics.horizontalAdvance(withNext) > available - 1, qPrintable(where));
                } else {
                    // Cut inside a word: only a word longer than the line.
                    QVERIFY2(!words.contains(u' ') && !words.contains(u'\t'), qPrintable(where));
                }
            }
            QCOMPARE(expectedStart, text.size());
        }
        QVERIFY(wrapped > 0);
    }

    void rightToLeftTextStaysInTheBox_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("inside a message")
            << QStringLiteral("a.c:1:1: error: \u2018\u0645\u0631\u062d\u0628\u0627\u2019 undeclared; "
                              "g++ -o /usr/include/c++/12/x.h \u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd end");
        QTest::newRow("a paragraph") << QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd g++ "
                                                       "/usr/include/c++/12/x.h \u05e9\u05dc\u05d5\u05dd end");
    }
    // Right-to-left words are laid out whole and inside the box.
    void rightToLeftTextStaysInTheBox()
    {
        QFETCH(QString, output);
        m_view->resize(200, 300);
        m_view->setOutput(output + u'\n' + output);
        layOut();
        const qreal available = m_view->viewport()->width() - 2 * m_view->document()->documentMargin();
        for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
            const QTextLayout *layout = block.layout();
            QVERIFY(layout->lineCount() > 1);
            int expectedStart = 0;
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                QCOMPARE(line.textStart(), expectedStart);
                QVERIFY(line.textLength() > 0);
                QVERIFY(line.naturalTextWidth() <= available + 0.5);
                expectedStart += line.textLength();
            }
            QCOMPARE(expectedStart, block.text().size());
        }
    }

    // The box scrolls down to the last line of wrapped text.
    void lastWrappedLineCanBeScrolledTo()
    {
        m_view->setOutput(commandLines());
        m_view->resize(260, 150);
        QScrollBar *bar = m_view->verticalScrollBar();
        QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() > 0, 5000);
        // Each line painted on the way lays its message out: the scroll
        // bar's range grows with the lines found.
        for (int top = 0; top <= bar->maximum(); ++top) {
            bar->setValue(top);
            m_view->viewport()->repaint();
        }
        bar->setValue(bar->maximum());
        m_view->viewport()->repaint();
        QTextCursor end(m_view->document());
        end.movePosition(QTextCursor::End);
        const QRect box = m_view->cursorRect(end);
        QVERIFY2(box.top() >= 0 && box.bottom() < m_view->viewport()->height(),
                 qPrintable(QStringLiteral("last line at %1..%2 of %3")
                                .arg(box.top())
                                .arg(box.bottom())
                                .arg(m_view->viewport()->height())));
    }

    // A double-click on the second line of a wrapped message reports that
    // message's line of output.
    void doubleClickOnAWrappedLineReportsItsBlock()
    {
        m_view->resize(260, 300);
        m_view->setOutput(commandLines());
        const QTextBlock block = wrappedBlock();
        QVERIFY(block.isValid());
        QTextCursor second(block);
        second.setPosition(block.position() + block.layout()->lineAt(1).textStart() + 1);
        const QPoint at = m_view->cursorRect(second).center();
        QSignalSpy activated(m_view.get(), &OutputView::lineActivated);
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.at(0).at(0).toInt(), block.blockNumber());
    }

    // Down moves the caret onto the next line of the same wrapped message.
    void downWalksTheWrappedLines()
    {
        m_view->resize(260, 300);
        m_view->setOutput(commandLines());
        const QTextBlock block = wrappedBlock();
        QVERIFY(block.isValid());
        m_view->setTextCursor(QTextCursor(block));
        m_view->setFocus();
        QTest::keyClick(m_view.get(), Qt::Key_Down);
        QCOMPARE(m_view->textCursor().blockNumber(), block.blockNumber());
        QCOMPARE(m_view->textCursor().positionInBlock(), block.layout()->lineAt(1).textStart());
    }
};

QTEST_MAIN(TestOutputView)
#include "tst_outputview.moc"
