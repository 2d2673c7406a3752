#include "editor/ctextboxex.h"
#include "editor/newfiletemplate.h"
#include "platform/fake/fakeclipboard.h"
#include "platform/fake/faketextbox.h"

#include <QTest>

class TestCTextBoxEx : public QObject
{
    Q_OBJECT

private:
    FakeTextBox m_box;
    FakeClipboard m_clipboard;
    CTextBoxEx m_ex{m_clipboard};

private slots:
    void init()
    {
        m_box.setText({});
        m_clipboard.setText({});
        m_ex.setTextBox(&m_box);
    }

    void emptyTextHasOneEmptyLine()
    {
        QCOMPARE(m_ex.LineCount(), 1);
        QCOMPARE(m_ex.GetLineFromChar(0), 0);
        QCOMPARE(m_ex.GetCharFromLine(0), std::optional<int>(0));
        QCOMPARE(m_ex.GetLine(0), QString());
        QCOMPARE(m_ex.LineLen(0), 0);
    }

    void templateLines()
    {
        m_box.setText(QString::fromLatin1(NewFileTemplate::bytes()));
        QCOMPARE(m_ex.LineCount(), 12);
        QCOMPARE(m_ex.GetLine(0), QStringLiteral("// This file was created/edited using KVN"));
        QCOMPARE(m_ex.GetLine(7), QStringLiteral("\tsystem(\"pause\"); "));
        QCOMPARE(m_ex.GetLine(10), QStringLiteral("}"));
        // The empty line after the last CR LF is line 11 and starts at the end.
        QCOMPARE(m_ex.GetCharFromLine(11), std::optional<int>(m_box.length()));
        QCOMPARE(m_ex.GetLineFromChar(m_box.length()), 11);
        QCOMPARE(m_ex.GetLine(11), QString());
    }

    void positionsCountCrAndLfSeparately()
    {
        m_box.setText(QStringLiteral("ab\r\ncde\r\n\r\nf"));
        QCOMPARE(m_ex.GetCharFromLine(1), std::optional<int>(4));
        QCOMPARE(m_ex.GetCharFromLine(2), std::optional<int>(9));
        QCOMPARE(m_ex.GetCharFromLine(3), std::optional<int>(11));
        QCOMPARE(m_ex.GetLineFromChar(2), 0); // on the CR
        QCOMPARE(m_ex.GetLineFromChar(3), 0); // between CR and LF
        QCOMPARE(m_ex.GetLineFromChar(4), 1);
        QCOMPARE(m_ex.LineLen(5), 3);
        QCOMPARE(m_ex.LineLen(9), 0);
        // A position past the end belongs to the last line.
        QCOMPARE(m_ex.GetLineFromChar(1000), 3);
    }

    void outOfRangeLinesAreAbsorbed()
    {
        m_box.setText(QStringLiteral("one\r\ntwo"));
        QCOMPARE(m_ex.GetCharFromLine(2), std::nullopt);
        QCOMPARE(m_ex.GetCharFromLine(-2), std::nullopt);
        QCOMPARE(m_ex.GetLine(2), QString());
        QCOMPARE(m_ex.GetLine(-5), QString());
        const QString before = m_box.text();
        m_ex.DelLine(2);
        m_ex.DelLine(-3);
        QCOMPARE(m_box.text(), before);
    }

    void minusOneIsTheCaretLine()
    {
        m_box.setText(QStringLiteral("one\r\ntwo\r\nthree"));
        m_box.setSelectionStart(7);
        QCOMPARE(m_ex.GetCharFromLine(-1), std::optional<int>(5));
        QCOMPARE(m_ex.GetLine(-1), QStringLiteral("two"));
    }

    void delLineKeepsTheLineBreak()
    {
        m_box.setText(QStringLiteral("first\r\nabc\r\nlast"));
        m_box.setSelectionStart(2);
        m_ex.DelLine(1);
        QCOMPARE(m_box.text(), QStringLiteral("first\r\n\r\nlast"));
        QCOMPARE(m_ex.LineCount(), 3);
        QCOMPARE(m_box.selectionStart(), 2);
        QCOMPARE(m_ex.GetLine(2), QStringLiteral("last"));
    }

    // The caret keeps its place in the text around the emptied line, and
    // never lands inside the line break that stays.
    void delLineCaret_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("after");
        // "int main() {\r\n  return 0;\r\n}\r\n": line 1 is 14..25.
        QTest::newRow("before the line") << 5 << 5;
        QTest::newRow("at the line's start") << 14 << 14;
        QTest::newRow("inside the line") << 18 << 14;
        QTest::newRow("at the line's end") << 25 << 14;
        QTest::newRow("on the next line") << 28 << 17;
    }

    void delLineCaret()
    {
        QFETCH(int, caret);
        QFETCH(int, after);
        m_box.setText(QStringLiteral("int main() {\r\n  return 0;\r\n}\r\n"));
        m_box.setSelectionStart(caret);
        m_ex.DelLine(1);
        QCOMPARE(m_box.text(), QStringLiteral("int main() {\r\n\r\n}\r\n"));
        QCOMPARE(m_box.selectionStart(), after);
    }

    void delLineClampsTheCaretToAShorterText()
    {
        m_box.setText(QStringLiteral("a\r\nlonger"));
        m_box.setSelectionStart(9);
        m_ex.DelLine(1);
        QCOMPARE(m_box.text(), QStringLiteral("a\r\n"));
        QCOMPARE(m_box.selectionStart(), 3);
    }

    void ctrlYCutsTheCaretLine()
    {
        m_box.setText(QStringLiteral("0\r\n1\r\n2\r\n3\r\n4\r\nfifth line\r\n6"));
        m_box.setSelectionStart(*m_ex.GetCharFromLine(5) + 3);
        m_ex.mtxtBox_KeyDown(Keys::Y, KeyModifier::Ctrl);
        QCOMPARE(m_clipboard.text(), QStringLiteral("fifth line"));
        QCOMPARE(m_ex.GetLine(5), QString());
        QCOMPARE(m_ex.LineCount(), 7);
        QCOMPARE(m_ex.GetLine(6), QStringLiteral("6"));
    }

    void ctrlYOnAnEmptyLineEmptiesTheClipboard()
    {
        m_box.setText(QStringLiteral("a\r\n\r\nb"));
        m_clipboard.setText(QStringLiteral("old"));
        m_box.setSelectionStart(3);
        m_ex.mtxtBox_KeyDown(Keys::Y, KeyModifier::Ctrl);
        QCOMPARE(m_clipboard.text(), QString());
        QCOMPARE(m_box.text(), QStringLiteral("a\r\n\r\nb"));
    }

    void otherShiftStatesDoNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("ctrl+shift+y") << Keys::Y << int(KeyModifier::Ctrl | KeyModifier::Shift);
        QTest::newRow("ctrl+alt+y") << Keys::Y << int(KeyModifier::Ctrl | KeyModifier::Alt);
        QTest::newRow("plain y") << Keys::Y << 0;
        QTest::newRow("ctrl+shift+a") << Keys::A << int(KeyModifier::Ctrl | KeyModifier::Shift);
        QTest::newRow("ctrl+b") << int('B') << int(KeyModifier::Ctrl);
    }

    void otherShiftStatesDoNothing()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        m_box.setText(QStringLiteral("keep\r\nme"));
        m_box.setSelectionStart(1);
        const int clipboardWrites = m_clipboard.setCount;
        m_ex.mtxtBox_KeyDown(key, KeyModifiers::fromInt(modifiers));
        QCOMPARE(m_box.text(), QStringLiteral("keep\r\nme"));
        QCOMPARE(m_box.selectionLength(), 0);
        QCOMPARE(m_clipboard.setCount, clipboardWrites);
    }

    void ctrlASelectsEverything()
    {
        m_ex.mtxtBox_KeyDown(Keys::A, KeyModifier::Ctrl);
        QCOMPARE(m_box.selectionStart(), 0);
        QCOMPARE(m_box.selectionLength(), 0);
        m_box.setText(QStringLiteral("x\r\nyz"));
        m_box.setSelectionStart(3);
        m_ex.mtxtBox_KeyDown(Keys::A, KeyModifier::Ctrl);
        QCOMPARE(m_box.selectionStart(), 0);
        QCOMPARE(m_box.selectionLength(), 5);
    }

    void longLinesComeBackWhole()
    {
        const QString line(70000, QLatin1Char('x'));
        m_box.setText(QStringLiteral("a\r\n") + line);
        QCOMPARE(m_ex.GetLine(1), line);
    }

    void undoAndDirtyFollowTheBox()
    {
        m_box.setText(QStringLiteral("abc"));
        QVERIFY(!m_ex.CanUndo());
        m_ex.setIsDirty(false);
        QVERIFY(!m_ex.IsDirty());
        m_box.type(QStringLiteral("d"));
        QVERIFY(m_ex.IsDirty());
        QVERIFY(m_ex.CanUndo());
        m_ex.Undo();
        QCOMPARE(m_box.text(), QStringLiteral("abc"));
    }
};

QTEST_GUILESS_MAIN(TestCTextBoxEx)
#include "tst_ctextboxex.moc"
