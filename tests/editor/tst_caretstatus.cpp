#include "editorfixture.h"

#include "editor/newfiletemplate.h"

#include <QTest>

class TestCaretStatus : public QObject
{
    Q_OBJECT

private:
    struct Fixture : EditorFixture
    {
        // N lines "line 1" .. "line N", caret at the start.
        void lines(int n)
        {
            QStringList all;
            for (int i = 1; i <= n; ++i)
                all.append(QStringLiteral("line %1").arg(i));
            box.setText(all.join(QStringLiteral("\r\n")));
        }

        void goTo(const QString &text)
        {
            txtGotoLine.setText(text);
            status.txtGotoLine_KeyPress(13);
        }
    };

private slots:
    void statusTexts()
    {
        QCOMPARE(CaretStatus::caretLineText(6, 12), QStringLiteral("Current line: 7 out of 12 line(s)"));
        QCOMPARE(CaretStatus::gotoLineText(2, 9), QStringLiteral("Current line: 3 (out of 9 lines)"));
    }

    void changeMarksTheDocumentUnsaved()
    {
        Fixture f;
        f.box.setText(QString::fromLatin1(NewFileTemplate::bytes()));
        f.state.FileSaved = true;
        f.state.JustNew = true;
        f.box.setSelectionStart(*f.ex.GetCharFromLine(6) + 1);
        f.box.type(QStringLiteral("x"));
        QVERIFY(!f.state.FileSaved);
        QVERIFY(!f.state.JustNew);
        QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2 #"));
        QCOMPARE(f.lblFilename.background(), Colours::red);
        QCOMPARE(f.lblFilename.textColour(), Colours::yellow);
        QCOMPARE(f.state.LastSearchPos, f.box.selectionStart());
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 7 out of 12 line(s)"));
    }

    void changeUsesTheCurrentUnsavedColours()
    {
        Fixture f;
        f.state.colours.FSaveB_N = 0xFF0000;
        f.state.colours.FSaveT_N = 0x00FF00;
        f.box.type(QStringLiteral("a"));
        QCOMPARE(f.lblFilename.background(), Colour(0xFF0000));
        QCOMPARE(f.lblFilename.textColour(), Colour(0x00FF00));
    }

    void caretAtTheEndOfATextEndingInALineBreak()
    {
        Fixture f;
        f.box.setText(QStringLiteral("a\r\nb\r\n"));
        f.box.setSelectionStart(f.box.length());
        f.status.Text1_KeyUp();
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 3 out of 3 line(s)"));
    }

    void goToMovesTheCaret_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("line"); // 0-based line of the caret afterwards; -1: no move

        QTest::newRow("last line") << QStringLiteral("9") << 8;
        QTest::newRow("past the last line") << QStringLiteral("10") << -1;
        QTest::newRow("letters") << QStringLiteral("abc") << -1;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("spaces around") << QStringLiteral("  3  ") << 2;
        QTest::newRow("half rounds down to even") << QStringLiteral("2.5") << 1;
        QTest::newRow("half rounds up to even") << QStringLiteral("3.5") << 3;
        QTest::newRow("fraction") << QStringLiteral("4.6") << 4;
        QTest::newRow("exponent") << QStringLiteral("5e0") << 4;
        QTest::newRow("plus sign") << QStringLiteral("+2") << 1;
        QTest::newRow("negative") << QStringLiteral("-2") << -1;
        QTest::newRow("minus one") << QStringLiteral("-1") << -1;
        QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999") << -1;
        QTest::newRow("infinity") << QStringLiteral("inf") << -1;
    }

    void goToMovesTheCaret()
    {
        QFETCH(QString, typed);
        QFETCH(int, line);
        Fixture f;
        f.lines(9);
        f.box.setSelectionStart(*f.ex.GetCharFromLine(5) + 2);
        const int before = f.box.selectionStart();
        f.lblLine.setCaption(QStringLiteral("unchanged"));
        const int focusBefore = f.box.focusCount;

        f.goTo(typed);

        QCOMPARE(f.box.focusCount, focusBefore + 1);
        QCOMPARE(f.txtGotoLine.text(), typed);
        if (line < 0) {
            QCOMPARE(f.box.selectionStart(), before);
            QCOMPARE(f.lblLine.caption(), QStringLiteral("unchanged"));
        } else {
            QCOMPARE(f.box.selectionStart(), *f.ex.GetCharFromLine(line));
            QCOMPARE(f.lblLine.caption(), CaretStatus::gotoLineText(line, 9));
        }
    }

    void goToZeroGoesToTheStartOfTheCaretLine()
    {
        Fixture f;
        f.lines(5);
        f.box.setSelectionStart(*f.ex.GetCharFromLine(3) + 4);
        f.goTo(QStringLiteral("0"));
        QCOMPARE(f.box.selectionStart(), *f.ex.GetCharFromLine(3));
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 4 (out of 5 lines)"));
    }

    void otherKeysInTheGoToBoxDoNothing()
    {
        Fixture f;
        f.lines(5);
        f.txtGotoLine.setText(QStringLiteral("3"));
        f.status.txtGotoLine_KeyPress('3');
        QCOMPARE(f.box.selectionStart(), 0);
        QCOMPARE(f.box.focusCount, 0);
    }

    void nextKeyRestoresTheFirstForm()
    {
        Fixture f;
        f.lines(5);
        f.goTo(QStringLiteral("2"));
        QVERIFY(f.lblLine.caption().contains(QStringLiteral("(out of")));
        f.status.Text1_KeyDown();
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 2 out of 5 line(s)"));
        f.box.setSelectionStart(*f.ex.GetCharFromLine(4));
        f.status.Text1_MouseDown();
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 5 out of 5 line(s)"));
    }
};

QTEST_GUILESS_MAIN(TestCaretStatus)
#include "tst_caretstatus.moc"
