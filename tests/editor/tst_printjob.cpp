#include "editor/printjob.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/fakeprinter.h"
#include "platform/fake/faketextbox.h"
#include "platform/qt/qtprinter.h"

#include <QApplication>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Fixture
{
    FakeTextBox Text1;
    FakePrinter printer; // ten characters of 100 twips fill its 1000-twip page
    FakeMessages messages;
    PrintJob job{Text1, printer, messages};

    void print(const QString &text, Reply answer = Reply::Yes)
    {
        Text1.setText(text);
        messages.answerNext(answer);
        job.mnuPrint_Click();
    }
};

// Runs one of poppler's tools and gives its standard output.
QString poppler(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestPrintJob : public QObject
{
    Q_OBJECT

private slots:
    void answerNoPrintsNothing()
    {
        Fixture f;
        f.print(QStringLiteral("int main() {}"), Reply::No);
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("Ready to print? Default settings: Courier New, size 10"));
        QCOMPARE(f.messages.calls[0].title, QStringLiteral("Print?"));
        QCOMPARE(f.messages.calls[0].buttons, Buttons::YesNo);
        QCOMPARE(f.messages.calls[0].icon, Icon::Information);
        QCOMPARE(f.printer.jobs, 0);
        QVERIFY(f.printer.lines.isEmpty());
        QCOMPARE(f.printer.ended, 0);
        QVERIFY(f.printer.fontFamily.isEmpty());
        QCOMPARE(f.Text1.text(), QStringLiteral("int main() {}"));
    }

    void noPrinterIsReported()
    {
        Fixture f;
        f.printer.available = false;
        f.print(QStringLiteral("int main() {}"));
        QCOMPARE(f.messages.calls.size(), 2);
        QVERIFY(f.messages.calls[1].text.contains(QStringLiteral("No printer is installed.")));
        QCOMPARE(f.messages.calls[1].buttons, Buttons::Ok);
        QVERIFY(f.printer.lines.isEmpty());
        QCOMPARE(f.printer.ended, 0);
        QCOMPARE(f.Text1.text(), QStringLiteral("int main() {}"));
        QVERIFY(!f.Text1.isModified());
    }

    void layout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("xs"); // where each output line starts

        QTest::newRow("empty document: no lines") << QString() << QStringList() << QList<int>();
        QTest::newRow("trailing CR LF gives one empty line")
            << QStringLiteral("ab\r\ncd\r\n") << QStringList{QStringLiteral("ab"), QStringLiteral("cd"), QString()}
            << QList<int>{300, 300, 300};
        QTest::newRow("a lone line break: two empty lines") << QStringLiteral("\r\n") << QStringList{QString(), QString()}
                                                            << QList<int>{300, 300};
        QTest::newRow("fitting line keeps its leading spaces")
            << QStringLiteral("   int x;") << QStringList{QStringLiteral("   int x;")} << QList<int>{300};
        QTest::newRow("exactly the page width fits")
            << QStringLiteral("0123 56789") << QStringList{QStringLiteral("0123 56789")} << QList<int>{300};
        QTest::newRow("lone CR and LF stay inside the line")
            << QStringLiteral("a\rb\nc") << QStringList{QStringLiteral("a\rb\nc")} << QList<int>{300};
        QTest::newRow("tabs are passed as they are")
            << QStringLiteral("\tx = 1;\r\n\t\tif (x)") << QStringList{QStringLiteral("\tx = 1;"), QStringLiteral("\t\tif (x)")}
            << QList<int>{300, 300};
        QTest::newRow("just wider: wrapped at the last space that fits")
            << QStringLiteral("aaaa bbbb c") << QStringList{QStringLiteral("aaaa bbbb "), QStringLiteral("c ")}
            << QList<int>{300, 0};
        QTest::newRow("runs of spaces survive wrapping")
            << QStringLiteral("  aaaa   bbbb") << QStringList{QStringLiteral("  aaaa   "), QStringLiteral("bbbb ")}
            << QList<int>{300, 0};
        QTest::newRow("tab inside a wrapped line")
            << QStringLiteral("\taaaa bbbb cc") << QStringList{QStringLiteral("\taaaa "), QStringLiteral("bbbb cc ")}
            << QList<int>{300, 0};
        QTest::newRow("only the first line of each document line at the margin")
            << QStringLiteral("one two three four five six\r\nshort\r\nseven eight nine")
            << QStringList{QStringLiteral("one two "), QStringLiteral("three "), QStringLiteral("four five "),
                           QStringLiteral("six "), QStringLiteral("short"), QStringLiteral("seven "),
                           QStringLiteral("eight "), QStringLiteral("nine ")}
            << QList<int>{300, 0, 0, 0, 300, 300, 0, 0};
    }

    void layout()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, xs);
        Fixture f;
        f.print(text);

        QCOMPARE(f.printer.jobs, 1);
        QCOMPARE(f.printer.fontFamily, QStringLiteral("Courier New"));
        QCOMPARE(f.printer.fontSize, 10.0);
        QCOMPARE(f.printer.firstY, 300);
        QCOMPARE(f.printer.texts(), lines);
        QList<int> startedAt;
        for (const FakePrinter::Line &line : f.printer.lines)
            startedAt.append(line.x);
        QCOMPARE(startedAt, xs);
        QCOMPARE(f.printer.ended, 1);
        QCOMPARE(f.Text1.text(), text);
        QCOMPARE(f.messages.calls.size(), 1);
    }

    void wrap_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("output");

        // Widths below: 'i' 50, 'W' 200, every other character 100.
        QTest::newRow("fits") << QStringLiteral("ab cd") << 500 << QStringList{QStringLiteral("ab cd")};
        QTest::newRow("one twip short") << QStringLiteral("ab cd") << 499
                                        << QStringList{QStringLiteral("ab "), QStringLiteral("cd ")};
        QTest::newRow("word and its space exactly fill the width")
            << QStringLiteral("abc de fgh") << 700 << QStringList{QStringLiteral("abc de "), QStringLiteral("fgh ")};
        QTest::newRow("narrow letters fit more") << QStringLiteral("iiii iiii iiii iiii W") << 1000
                                                 << QStringList{QStringLiteral("iiii iiii iiii "), QStringLiteral("iiii W ")};
        QTest::newRow("wide letters fit fewer") << QStringLiteral("WW WW WW") << 1000
                                                << QStringList{QStringLiteral("WW WW "), QStringLiteral("WW ")};
        QTest::newRow("running width restarts with the word that overflowed")
            << QStringLiteral("aaaa bbbb cccc dd") << 1000
            << QStringList{QStringLiteral("aaaa bbbb "), QStringLiteral("cccc dd ")};
        QTest::newRow("trailing space gives an empty last word")
            << QStringLiteral("ab cd ") << 500 << QStringList{QStringLiteral("ab "), QStringLiteral("cd  ")};
        QTest::newRow("double spaces keep their empty word")
            << QStringLiteral("ab  cd  ef") << 500 << QStringList{QStringLiteral("ab  "), QStringLiteral("cd  "), QStringLiteral("ef ")};
        QTest::newRow("first word wider than the page: an empty line first")
            << QStringLiteral("abcdefghijkl mn") << 1000
            << QStringList{QString(), QStringLiteral("abcdefghijkl "), QStringLiteral("mn ")};
        QTest::newRow("no width at all: one word a line")
            << QStringLiteral("a b") << 0 << QStringList{QString(), QStringLiteral("a "), QStringLiteral("b ")};
        QTest::newRow("no space to wrap at") << QStringLiteral("abcdefghijkl") << 1000
                                             << QStringList{QString(), QStringLiteral("abcdefghijkl ")};
        QTest::newRow("empty line") << QString() << 1000 << QStringList{QString()};
    }

    void wrap()
    {
        QFETCH(QString, line);
        QFETCH(int, width);
        QFETCH(QStringList, output);
        const auto measure = [](const QString &s) {
            int twips = 0;
            for (const QChar c : s)
                twips += c == QLatin1Char('i') ? 50 : c == QLatin1Char('W') ? 200 : 100;
            return twips;
        };
        const QStringList got = PrintJob::wrap(line, width, measure);
        QCOMPARE(got, output);
        if (got.size() > 1) {
            // No word is lost or changed: each output line is whole words
            // with one space after each.
            QCOMPARE(got.join(QString()), line + QLatin1Char(' '));
            for (const QString &out : got)
                QVERIFY(out.isEmpty() || out.endsWith(QLatin1Char(' ')));
        }
    }

    // Without CUPS there is no default printer; the user hears of it.
    void realPrinterMissing()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a default printer is installed here");
        FakeTextBox text;
        text.setText(QStringLiteral("int main() {}"));
        FakeMessages messages;
        QtPrinter printer;
        PrintJob job(text, printer, messages);
        messages.answerNext(Reply::Yes);
        job.mnuPrint_Click();
        QCOMPARE(messages.calls.size(), 2);
        QVERIFY(messages.calls[1].text.contains(QStringLiteral("no printer is installed")));
    }

    void emptyDocumentWritesNoPdf()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        FakeTextBox text;
        FakeMessages messages;
        QtPrinter printer(pdf);
        PrintJob job(text, printer, messages);
        job.mnuPrint_Click();
        QCOMPARE(messages.calls.size(), 1);
        QVERIFY(!QFile::exists(pdf));
    }

    // Every following page starts as the first does, 300 twips (15 points)
    // down: its first line stands exactly as high as the first page's.
    void followingPagesStartAtTheTopMargin()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("pages.pdf"));
        QtPrinter printer(pdf);
        QStringList lines;
        for (int i = 0; i < 250; ++i)
            lines.append(QStringLiteral("L%1").arg(i, 3, 10, QLatin1Char('0')));
        FakeTextBox text;
        text.setText(lines.join(QStringLiteral("\r\n")));
        FakeMessages messages;
        PrintJob job(text, printer, messages);
        messages.answerNext(Reply::Yes);
        job.mnuPrint_Click();

        // The top of each page's first line, in points from the paper's top.
        const QString boxes = poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        QList<double> firstLineTops;
        const QRegularExpression pageOrWord(QStringLiteral("<page |<word xMin=\"[\\d.]+\" yMin=\"([\\d.]+)\""));
        for (const QRegularExpressionMatch &m : pageOrWord.globalMatch(boxes)) {
            if (m.captured(1).isEmpty())
                firstLineTops.append(-1);
            else if (!firstLineTops.isEmpty() && firstLineTops.last() < 0)
                firstLineTops.last() = m.captured(1).toDouble();
        }
        QVERIFY2(firstLineTops.size() >= 3, qPrintable(boxes.left(500)));
        for (qsizetype page = 1; page < firstLineTops.size(); ++page) {
            QVERIFY2(std::abs(firstLineTops[page] - firstLineTops[0]) < 0.25,
                     qPrintable(QStringLiteral("page %1 starts at %2 pt, the first page at %3 pt")
                                    .arg(page + 1).arg(firstLineTops[page]).arg(firstLineTops[0])));
        }
    }

    // A long document through Qt into a PDF, read back with poppler's tools.
    void longDocumentToPdf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdfinfo and pdftotext (poppler-utils) are not installed");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        QtPrinter printer(pdf);

        // Size the long lines from the page itself: one and a half page
        // widths of five-character words wrap into exactly two lines.
        QString error;
        QVERIFY(printer.begin(error));
        printer.setFont(QStringLiteral("Courier New"), 10);
        const int pageWidth = printer.pageWidth();
        const int wordWidth = printer.textWidth(QStringLiteral("w000 "));
        QVERIFY(pageWidth > 10 * wordWidth);
        const int wordsPerLongLine = 3 * pageWidth / (2 * wordWidth);

        const int documentLines = 200;
        QStringList lines;
        QStringList words; // every word of the document, in order
        int longLines = 0;
        for (int i = 0; i < documentLines; ++i) {
            QString line = QStringLiteral("L%1").arg(i, 3, 10, QLatin1Char('0'));
            words.append(line);
            if (i % 10 == 3) {
                ++longLines;
                for (int w = 0; w < wordsPerLongLine; ++w) {
                    const QString word = QStringLiteral("w%1").arg(w % 1000, 3, 10, QLatin1Char('0'));
                    line += QLatin1Char(' ') + word;
                    words.append(word);
                }
            } else if (i % 10 == 7) {
                line = QStringLiteral("    ") + line + QStringLiteral(" indented");
                words.append(QStringLiteral("indented"));
            } else {
                line += QStringLiteral(" total += value[i];");
                words << QStringLiteral("total") << QStringLiteral("+=") << QStringLiteral("value[i];");
            }
            lines.append(line);
        }
        FakeTextBox text;
        text.setText(lines.join(QStringLiteral("\r\n")));
        FakeMessages messages;
        PrintJob job(text, printer, messages);
        job.mnuPrint_Click();
        QCOMPARE(messages.calls.size(), 1);
        QVERIFY(QFile::exists(pdf));

        // As many pages as the lines need: Courier 10 has a line pitch of
        // 10 to 14 points, and a page loses at most two inches to margins.
        const QString info = poppler(QStringLiteral("pdfinfo"), {pdf});
        const QRegularExpressionMatch pagesMatch = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
        const QRegularExpressionMatch sizeMatch =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
        QVERIFY2(pagesMatch.hasMatch() && sizeMatch.hasMatch(), qPrintable(info));
        const int pages = pagesMatch.captured(1).toInt();
        const double pageHeight = sizeMatch.captured(2).toDouble();
        const int outputLines = documentLines + longLines; // each long line wraps once
        const int fewest = int(std::ceil(outputLines / (pageHeight / 10.0)));
        const int most = int(std::ceil(outputLines / ((pageHeight - 144.0) / 14.0)));
        QVERIFY2(pages > 1 && pages >= fewest && pages <= most,
                 qPrintable(QStringLiteral("%1 pages for %2 lines of a %3-point page").arg(pages).arg(outputLines).arg(pageHeight)));

        // Every word, in order, none lost at a wrap or a page break.
        const QString printed = poppler(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        const QStringList printedWords = printed.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        QCOMPARE(printedWords.size(), words.size());
        QCOMPARE(printedWords, words);
        QCOMPARE(printed.count(QLatin1Char('\f')), pages);

        // Where the lines start: each document line 300 twips (15 points)
        // in from the left edge, where its continuation starts; indented
        // lines keep their four spaces.
        const double indent = printer.textWidth(QStringLiteral("    ")) / 20.0;
        const QString boxes = poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        const QRegularExpression wordBox(QStringLiteral("<word xMin=\"([\\d.]+)\"[^>]*>([^<]*)</word>"));
        const QRegularExpression marker(QStringLiteral("^L(\\d{3})$"));
        double marginX = -1;
        double leftmost = 1e9;
        int markers = 0;
        for (const QRegularExpressionMatch &m : wordBox.globalMatch(boxes)) {
            const double x = m.captured(1).toDouble();
            leftmost = std::min(leftmost, x);
            const QRegularExpressionMatch line = marker.match(m.captured(2));
            if (!line.hasMatch())
                continue;
            ++markers;
            const bool indented = line.captured(1).toInt() % 10 == 7;
            if (marginX < 0)
                marginX = x;
            QVERIFY2(std::abs(x - marginX - (indented ? indent : 0)) < 0.5, qPrintable(m.captured(0)));
        }
        QCOMPARE(markers, documentLines);
        QVERIFY(marginX >= 0);
        QVERIFY2(std::abs(marginX - leftmost - 15.0) < 1.0,
                 qPrintable(QStringLiteral("lines start at %1 pt, continuations at %2 pt").arg(marginX).arg(leftmost)));
    }
};

QTEST_MAIN(TestPrintJob)
#include "tst_printjob.moc"
