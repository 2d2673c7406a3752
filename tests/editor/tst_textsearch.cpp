#include "editorfixture.h"

#include "editor/textsearch.h"
#include "platform/fake/fakemessages.h"

#include <QTest>

namespace {

// One press of "<" or ">" and the state it leaves: the selection of the
// editor box and LastSearchPos.
struct Press
{
    char button = '>';
    int selStart = 0;
    int selLength = 0;
    int lastSearchPos = 0;
};

struct Fixture : EditorFixture
{
    FakeEntry txtSearch;
    FakeEntry txtReplace;
    FakeCheckBox chkReplace;
    FakeButton cmdReplace{QStringLiteral("Replace")};
    FakeMessages messages;
    TextSearch search{state, {box, txtSearch, txtReplace, chkReplace, cmdReplace}, status, messages};

    // The user types the search text, as the window reports it.
    void typeSearch(const QString &text)
    {
        txtSearch.setText(text);
        search.txtSearch_Change();
    }

    void press(char button)
    {
        if (button == '>')
            search.cmdNext_Click();
        else
            search.cmdPrev_Click();
    }

    void tickReplace(bool on)
    {
        chkReplace.setChecked(on);
        search.chkReplace_Click();
    }
};

} // namespace

Q_DECLARE_METATYPE(QList<Press>)

class TestTextSearch : public QObject
{
    Q_OBJECT

private slots:
    void presses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("start"); // LastSearchPos before the first press
        QTest::addColumn<QList<Press>>("presses");

        QTest::newRow("abcabc after a reset, then back up past the top")
            << QStringLiteral("abcabc") << QStringLiteral("abc") << 1
            << QList<Press>{{'>', 3, 3, 4}, {'>', 3, 3, 4}, {'<', 3, 3, 3}, {'<', 0, 3, 0}, {'<', 0, 3, 0}};
        QTest::newRow("down then up re-selects the match once")
            << QStringLiteral("ab ab ab") << QStringLiteral("ab") << 0
            << QList<Press>{{'>', 0, 2, 1}, {'>', 3, 2, 4}, {'<', 3, 2, 3}, {'<', 0, 2, 0}};
        QTest::newRow("up then down re-selects the match once")
            << QStringLiteral("ab ab ab") << QStringLiteral("ab") << 8
            << QList<Press>{{'<', 6, 2, 6}, {'<', 3, 2, 3}, {'>', 3, 2, 4}, {'>', 6, 2, 7}, {'>', 6, 2, 7}};
        QTest::newRow("overlapping matches both ways")
            << QStringLiteral("aaaa") << QStringLiteral("aa") << 1
            << QList<Press>{{'>', 1, 2, 2}, {'>', 2, 2, 3}, {'>', 2, 2, 3},
                            {'<', 2, 2, 2}, {'<', 1, 2, 1}, {'<', 0, 2, 0}, {'<', 0, 2, 0}};
        QTest::newRow("case-sensitive: Main does not find main")
            << QStringLiteral("int main() { return main2(); }") << QStringLiteral("Main") << 0
            << QList<Press>{{'>', 0, 0, 0}, {'<', 0, 0, 0}};
        QTest::newRow("case-sensitive: main skips Main")
            << QStringLiteral("Main main MAIN") << QStringLiteral("main") << 0
            << QList<Press>{{'>', 5, 4, 6}, {'>', 5, 4, 6}, {'<', 5, 4, 5}, {'<', 5, 4, 5}};
        QTest::newRow("match ending at the last character")
            << QStringLiteral("xxab") << QStringLiteral("ab") << 0 << QList<Press>{{'>', 2, 2, 3}, {'>', 2, 2, 3}};
        QTest::newRow("upwards from the end finds a match ending there")
            << QStringLiteral("abab") << QStringLiteral("ab") << 4 << QList<Press>{{'<', 2, 2, 2}, {'<', 0, 2, 0}};
        QTest::newRow("search text longer than the document")
            << QStringLiteral("ab") << QStringLiteral("abc") << 0 << QList<Press>{{'>', 0, 0, 0}, {'<', 0, 0, 0}};
        QTest::newRow("match across a line break")
            << QStringLiteral("a;\r\nb;\r\n") << QStringLiteral(";\r\n") << 0
            << QList<Press>{{'>', 1, 3, 2}, {'>', 5, 3, 6}, {'>', 5, 3, 6}, {'<', 5, 3, 5}, {'<', 1, 3, 1}};
        QTest::newRow("empty search text walks the caret down and up")
            << QStringLiteral("abc") << QString() << 1
            << QList<Press>{{'>', 1, 0, 2}, {'>', 2, 0, 3}, {'>', 2, 0, 3},
                            {'<', 2, 0, 2}, {'<', 1, 0, 1}, {'<', 0, 0, 0}, {'<', 0, 0, 0}};
        QTest::newRow("empty search text in an empty document")
            << QString() << QString() << 0 << QList<Press>{{'>', 0, 0, 0}, {'<', 0, 0, 0}};
        QTest::newRow("non-ASCII text")
            << QStringLiteral("\u00e9t\u00e9 \u20ac\u00e9t\u00e9") << QStringLiteral("\u00e9t\u00e9") << 1
            << QList<Press>{{'>', 5, 3, 6}, {'<', 5, 3, 5}, {'<', 0, 3, 0}};
        QTest::newRow("astral text")
            << QStringLiteral("x\U0001F600\U0001F600") << QStringLiteral("\U0001F600") << 0
            << QList<Press>{{'>', 1, 2, 2}, {'>', 3, 2, 4}, {'>', 3, 2, 4}, {'<', 3, 2, 3}, {'<', 1, 2, 1}};
    }

    void presses()
    {
        QFETCH(QString, text);
        QFETCH(QString, search);
        QFETCH(int, start);
        QFETCH(QList<Press>, presses);
        Fixture f;
        f.box.setText(text);
        f.txtSearch.setText(search);
        f.state.LastSearchPos = start;
        const int changes = f.box.changeCount;

        for (int i = 0; i < presses.size(); ++i) {
            const Press &want = presses[i];
            f.press(want.button);
            const QString step = QStringLiteral("press %1 (%2)").arg(i + 1).arg(QLatin1Char(want.button));
            QVERIFY2(f.box.selectionStart() == want.selStart,
                     qPrintable(step + QStringLiteral(": selection start %1").arg(f.box.selectionStart())));
            QVERIFY2(f.box.selectionLength() == want.selLength,
                     qPrintable(step + QStringLiteral(": selection length %1").arg(f.box.selectionLength())));
            QVERIFY2(f.state.LastSearchPos == want.lastSearchPos,
                     qPrintable(step + QStringLiteral(": LastSearchPos %1").arg(f.state.LastSearchPos)));
        }
        // A search neither edits nor takes the focus, and never speaks.
        QCOMPARE(f.box.text(), text);
        QCOMPARE(f.box.changeCount, changes);
        QCOMPARE(f.box.focusCount + f.txtSearch.focusCount + f.txtReplace.focusCount, 0);
        QVERIFY(f.messages.calls.isEmpty());
    }

    void resetsOfTheSearchStart_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("typing the search text") << 0;
        QTest::newRow("double-click on Search") << 1;
    }

    // After a reset to 1 the search goes on from the second character, even
    // when the last match lay further down.
    void resetsOfTheSearchStart()
    {
        QFETCH(int, how);
        Fixture f;
        f.box.setText(QStringLiteral("ab xab xab"));
        f.typeSearch(QStringLiteral("ab"));
        f.press('>');
        f.press('>');
        QCOMPARE(f.box.selectionStart(), 8);
        if (how == 0)
            f.typeSearch(QStringLiteral("ab"));
        else
            f.search.lblSearch_DblClick();
        QCOMPARE(f.state.LastSearchPos, 1);
        f.press('>');
        QCOMPARE(f.box.selectionStart(), 4);
    }

    void typingPutsTheStartAtTheCaret()
    {
        Fixture f;
        f.box.setText(QStringLiteral("int a;\r\nint b;\r\nint c;"));
        f.typeSearch(QStringLiteral("int"));
        // Typing at the end of the text: nothing lies below.
        f.box.setSelectionStart(f.box.length());
        f.box.type(QStringLiteral(" "));
        QCOMPARE(f.state.LastSearchPos, f.box.length());
        f.press('>');
        QCOMPARE(f.box.selectionStart(), f.box.length());
        QCOMPARE(f.box.selectionLength(), 0);
        f.press('<');
        QCOMPARE(f.box.selectionStart(), 16);
        // Typing in the middle: ">" examines from just after the caret,
        // "<" from just before it.
        f.box.setSelectionStart(11);
        f.box.type(QStringLiteral("x"));
        QCOMPARE(f.state.LastSearchPos, 12);
        f.press('>');
        QCOMPARE(f.box.selectionStart(), 17);
        f.box.setSelectionStart(11);
        f.box.type(QStringLiteral("y"));
        f.press('<');
        QCOMPARE(f.box.selectionStart(), 8);
    }

    void clicksDoNotMoveTheStart()
    {
        Fixture f;
        f.box.setText(QStringLiteral("one two one two one"));
        f.typeSearch(QStringLiteral("one"));
        f.press('>');
        QCOMPARE(f.box.selectionStart(), 8);
        // The user clicks at the top and at the end; the box reports the clicks.
        f.box.setSelectionStart(0);
        f.status.Text1_MouseDown();
        f.box.setSelectionStart(f.box.length());
        f.status.Text1_MouseDown();
        QCOMPARE(f.state.LastSearchPos, 9);
        f.press('>');
        QCOMPARE(f.box.selectionStart(), 16);
    }

    // Only a selected match is replaced; otherwise "Replace" finds the next
    // match first, or says there is none, and the text stays as it is.
    void replace_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<bool>("told");

        QTest::newRow("the found match") << QStringLiteral("int foo = foo;") << 4 << 3 << QStringLiteral("foo")
                                         << QStringLiteral("bar") << QStringLiteral("int bar = foo;") << 0 << 0 << false;
        QTest::newRow("empty replacement deletes") << QStringLiteral("abcdef") << 2 << 2 << QStringLiteral("cd")
                                                   << QString() << QStringLiteral("abef") << 0 << 0 << false;
        QTest::newRow("line break in the replacement") << QStringLiteral("a;b") << 1 << 1 << QStringLiteral(";")
                                                       << QStringLiteral(";\r\n") << QStringLiteral("a;\r\nb") << 0 << 0
                                                       << false;
        QTest::newRow("non-ASCII") << QStringLiteral("\u00e9\u20acx") << 1 << 1 << QStringLiteral("\u20ac")
                                   << QStringLiteral("\U0001F600") << QStringLiteral("\u00e9\U0001F600x") << 0 << 0 << false;
        QTest::newRow("caret only: finds the next match") << QStringLiteral("ab foo") << 0 << 0 << QStringLiteral("foo")
                                                          << QStringLiteral("Q") << QStringLiteral("ab foo") << 3 << 3
                                                          << false;
        QTest::newRow("selection of other text: finds") << QStringLiteral("abcabc") << 0 << 2 << QStringLiteral("abc")
                                                        << QStringLiteral("Q") << QStringLiteral("abcabc") << 3 << 3
                                                        << false;
        QTest::newRow("no match left: says so") << QStringLiteral("ab") << 1 << 0 << QStringLiteral("xyz")
                                                << QStringLiteral("Q") << QStringLiteral("ab") << 1 << 0 << true;
        QTest::newRow("match cut by the end: says so") << QStringLiteral("hello") << 3 << 0 << QStringLiteral("lo!")
                                                       << QStringLiteral("P") << QStringLiteral("hello") << 3 << 0 << true;
        QTest::newRow("empty search text: says so") << QStringLiteral("ab") << 1 << 0 << QString()
                                                    << QStringLiteral("Q") << QStringLiteral("ab") << 1 << 0 << true;
    }

    void replace()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, selected);
        QFETCH(QString, search);
        QFETCH(QString, replacement);
        QFETCH(QString, result);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(bool, told);
        Fixture f;
        f.box.setText(text);
        f.state.FileSaved = true;
        f.typeSearch(search);
        f.txtReplace.setText(replacement);
        f.tickReplace(true);
        f.box.setSelectionStart(caret);
        f.box.setSelectionLength(selected);

        f.search.cmdReplace_Click();

        QCOMPARE(f.box.text(), result);
        QCOMPARE(f.box.selectionStart(), selStart);
        QCOMPARE(f.box.selectionLength(), selLength);
        QCOMPARE(f.messages.calls.size(), told ? 1 : 0);
        const bool replaced = result != text;
        QCOMPARE(f.state.FileSaved, !replaced);
        if (replaced) {
            QCOMPARE(f.state.LastSearchPos, 0);
            QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2 #"));
        }
    }

    // A file shown read-only takes no replacement, and the user is told why
    // instead of seeing the caret jump to the top with nothing changed.
    void replaceInAReadOnlyFileSaysWhy()
    {
        Fixture f;
        f.box.setText(QStringLiteral("keep x1 keep"));
        f.box.setReadOnly(true);
        f.typeSearch(QStringLiteral("x"));
        f.txtReplace.setText(QStringLiteral("YY"));
        f.tickReplace(true);
        f.box.setSelectionStart(5);
        f.box.setSelectionLength(1);
        f.search.cmdReplace_Click();
        QCOMPARE(f.box.text(), QStringLiteral("keep x1 keep"));
        QCOMPARE(f.box.selectionStart(), 5);
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls.first().title, QStringLiteral("Replace"));
    }

    // Pressing "Replace" again and again replaces every match in turn and
    // never touches other text: the caret at the top after a replace is no
    // match, so the next press finds one first.
    void repeatedReplaceOnlyReplacesMatches()
    {
        Fixture f;
        f.box.setText(QStringLiteral("keep x1 x2 keep"));
        f.typeSearch(QStringLiteral("x"));
        f.txtReplace.setText(QStringLiteral("YY"));
        f.tickReplace(true);
        for (int press = 0; press < 6; ++press)
            f.search.cmdReplace_Click();
        QCOMPARE(f.box.text(), QStringLiteral("keep YY1 YY2 keep"));
        QCOMPARE(f.messages.calls.size(), 2); // nothing further below the top, twice
    }

    // The replace is a change of the text like any other: the status line
    // follows the caret to the top, and ">" starts from there.
    void afterAReplace()
    {
        Fixture f;
        f.box.setText(QStringLiteral("foo\r\nfoo\r\nfoo"));
        f.typeSearch(QStringLiteral("foo"));
        f.txtReplace.setText(QStringLiteral("bar"));
        f.tickReplace(true);
        f.press('>');
        f.press('>');
        QCOMPARE(f.box.selectionStart(), 10);
        f.status.showCaretLine();
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 3 out of 3 line(s)"));

        f.search.cmdReplace_Click();

        QCOMPARE(f.box.text(), QStringLiteral("foo\r\nfoo\r\nbar"));
        QCOMPARE(f.lblLine.caption(), QStringLiteral("Current line: 1 out of 3 line(s)"));
        QCOMPARE(f.lblFilename.background(), Colours::red);
        // The first foo, which no downward search reached after the reset, is now found.
        f.press('>');
        QCOMPARE(f.box.selectionStart(), 0);
        QCOMPARE(f.state.LastSearchPos, 1);
    }

    void replaceNeedsTheBoxTicked()
    {
        Fixture f;
        f.box.setText(QStringLiteral("abc"));
        f.typeSearch(QStringLiteral("b"));
        f.txtReplace.setText(QStringLiteral("Q"));
        f.tickReplace(true);
        f.tickReplace(false);
        f.box.setSelectionStart(1);
        f.state.LastSearchPos = 2;
        const int changes = f.box.changeCount;
        f.search.cmdReplace_Click();
        QCOMPARE(f.box.text(), QStringLiteral("abc"));
        QCOMPARE(f.box.changeCount, changes);
        QCOMPARE(f.box.selectionStart(), 1);
        QCOMPARE(f.state.LastSearchPos, 2);
    }

    void tickEnablesTheReplaceControls_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticked enables") << true;
        QTest::newRow("unticked disables") << false;
    }

    void tickEnablesTheReplaceControls()
    {
        QFETCH(bool, ticked);
        Fixture f;
        f.txtReplace.setEnabled(!ticked);
        f.cmdReplace.setEnabled(!ticked);
        f.tickReplace(ticked);
        QCOMPARE(f.txtReplace.isEnabled(), ticked);
        QCOMPARE(f.cmdReplace.isEnabled(), ticked);
        QVERIFY(f.txtSearch.isEnabled());
    }

    void keysInTheBoxes_data()
    {
        QTest::addColumn<bool>("inReplaceBox");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<bool>("focusToReplace");

        const QString searchHint = QStringLiteral("Please click either (<) Last or Next (>)");
        const QString replaceHint = QStringLiteral("Please click either (<) Last or Next (>) to search for text to be "
                                                   "replaced, and click Replace to do so.");
        QTest::newRow("Enter in search, unticked: hint") << false << false << 13 << searchHint << false;
        QTest::newRow("Enter in search, ticked: on to the replacement") << false << true << 13 << QString() << true;
        QTest::newRow("other key in search") << false << false << int('a') << QString() << false;
        QTest::newRow("line feed in search") << false << false << 10 << QString() << false;
        QTest::newRow("Enter in replacement, ticked: hint") << true << true << 13 << replaceHint << false;
        QTest::newRow("other key in replacement") << true << true << int('a') << QString() << false;
    }

    void keysInTheBoxes()
    {
        QFETCH(bool, inReplaceBox);
        QFETCH(bool, ticked);
        QFETCH(int, key);
        QFETCH(QString, message);
        QFETCH(bool, focusToReplace);
        Fixture f;
        f.box.setText(QStringLiteral("abcabc"));
        f.typeSearch(QStringLiteral("abc"));
        f.tickReplace(ticked);

        if (inReplaceBox)
            f.search.txtReplace_KeyPress(key);
        else
            f.search.txtSearch_KeyPress(key);

        if (message.isEmpty()) {
            QVERIFY(f.messages.calls.isEmpty());
        } else {
            QCOMPARE(f.messages.calls.size(), 1);
            QCOMPARE(f.messages.calls[0].text, message);
            QCOMPARE(f.messages.calls[0].title, QStringLiteral("Please..."));
            QCOMPARE(f.messages.calls[0].buttons, Buttons::Ok);
            QCOMPARE(f.messages.calls[0].icon, Icon::Information);
        }
        QCOMPARE(f.txtReplace.focusCount, focusToReplace ? 1 : 0);
        // A key starts no search and changes nothing.
        QCOMPARE(f.state.LastSearchPos, 1);
        QCOMPARE(f.box.selectionLength(), 0);
        QCOMPARE(f.box.text(), QStringLiteral("abcabc"));
    }

    void menuCommands_data()
    {
        QTest::addColumn<bool>("replace"); // Ctrl+H, else Ctrl+F
        QTest::addColumn<bool>("tickedBefore");
        QTest::addColumn<bool>("tickedAfter");

        QTest::newRow("Ctrl+F leaves the box unticked") << false << false << false;
        QTest::newRow("Ctrl+F leaves the box ticked") << false << true << true;
        QTest::newRow("Ctrl+H ticks the box") << true << false << true;
        QTest::newRow("Ctrl+H keeps a ticked box") << true << true << true;
    }

    void menuCommands()
    {
        QFETCH(bool, replace);
        QFETCH(bool, tickedBefore);
        QFETCH(bool, tickedAfter);
        Fixture f;
        f.tickReplace(tickedBefore);
        if (replace)
            f.search.mnuReplace_Click();
        else
            f.search.mnuSearch_Click();
        QCOMPARE(f.chkReplace.isChecked(), tickedAfter);
        QCOMPARE(f.txtReplace.isEnabled(), tickedAfter);
        QCOMPARE(f.cmdReplace.isEnabled(), tickedAfter);
        QCOMPARE(f.txtSearch.focusCount, 1);
        QCOMPARE(f.txtReplace.focusCount, 0);
        QCOMPARE(f.box.focusCount, 0);
    }
};

QTEST_GUILESS_MAIN(TestTextSearch)
#include "tst_textsearch.moc"
