#include "editor/textsearch.h"
#include "platform/fake/fakeclipboard.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/faketextbox.h"
#include "platform/qt/editorwidget.h"
#include "platform/qt/scintillatextbox.h"

#include <QApplication>
#include <QTest>

#include <memory>

// Scintilla searches in UTF-8 bytes, the search bar thinks in QString units:
// the box's findForward/findBackward must give the reference model's answer
// for every starting point, in plain, non-ASCII and astral text alike.
class TestScintillaSearch : public QObject
{
    Q_OBJECT

private:
    EditorWidget *m_editor = nullptr;
    std::unique_ptr<ScintillaTextBox> m_box;

    // Every substring of one to four units that begins and ends on a whole
    // character, so that none holds half a surrogate pair.
    static QStringList piecesOf(const QString &text)
    {
        QStringList pieces;
        for (qsizetype start = 0; start < text.size(); ++start) {
            if (text.at(start).isLowSurrogate())
                continue;
            for (qsizetype length = 1; length <= 4 && start + length <= text.size(); ++length) {
                if (text.at(start + length - 1).isHighSurrogate())
                    continue;
                const QString piece = text.mid(start, length);
                if (!pieces.contains(piece))
                    pieces.append(piece);
            }
        }
        return pieces;
    }

    static QString shown(const QString &s)
    {
        QString out;
        for (const QChar c : s) {
            if (c == QLatin1Char('\r'))
                out += QStringLiteral("\\r");
            else if (c == QLatin1Char('\n'))
                out += QStringLiteral("\\n");
            else if (c.isSurrogate())
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
        return out;
    }

private slots:
    void init()
    {
        m_editor = new EditorWidget;
        m_box = std::make_unique<ScintillaTextBox>(m_editor);
    }

    void cleanup()
    {
        m_box.reset();
        delete m_editor;
    }

    void findsAsTheReference_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("patterns"); // besides every short piece of the text

        QTest::newRow("ascii code") << QStringLiteral("int main(void) { return main(0); }")
                                    << QStringList{QStringLiteral("main"), QStringLiteral("Main"),
                                                   QStringLiteral("main(0); }"), QStringLiteral("int main(void)")};
        QTest::newRow("repeated pattern") << QStringLiteral("abcabcabc")
                                          << QStringList{QStringLiteral("abc"), QStringLiteral("abcabc"),
                                                         QStringLiteral("cab"), QStringLiteral("abcabcabca")};
        QTest::newRow("overlapping pattern") << QStringLiteral("aaaaaa")
                                             << QStringList{QStringLiteral("aaaaa"), QStringLiteral("aaaaaa"),
                                                            QStringLiteral("aaaaaaa")};
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb\r\n\r\nab\r\n")
                               << QStringList{QStringLiteral("\r\n\r\n"), QStringLiteral("b\r\n\r\nab"),
                                              QStringLiteral("\n\r")};
        QTest::newRow("lone CR and LF") << QStringLiteral("x\ry\nz\r\n\n\r")
                                        << QStringList{QStringLiteral("\r\n\n\r"), QStringLiteral("\n\r")};
        QTest::newRow("e acute and euro") << QStringLiteral("caf\u00e9 \u20ac5 \u00e9\u20ac\u00e9\u20ac\r\nna\u00efve")
                                          << QStringList{QStringLiteral("\u00e9\u20ac\u00e9"), QStringLiteral("e"),
                                                         QStringLiteral("\u00c9"), QStringLiteral("\u20ac\r\nna")};
        QTest::newRow("astral") << QStringLiteral("x\U0001F600y\U0001F600\U0001F600z\r\n\U0001F680")
                                << QStringList{QStringLiteral("\U0001F600\U0001F600"), QStringLiteral("y\U0001F600"),
                                               QStringLiteral("\U0001F601"), QStringLiteral("z\r\n\U0001F680")};
        QTest::newRow("astral only") << QStringLiteral("\U0001F600\U0001F600\U0001F600")
                                     << QStringList{QStringLiteral("\U0001F600\U0001F600")};
        QTest::newRow("pattern at the very start and end") << QStringLiteral("needle in hay needle")
                                                           << QStringList{QStringLiteral("needle"),
                                                                          QStringLiteral("needle in hay needle")};
        QTest::newRow("non-ASCII at the very start and end")
            << QStringLiteral("\u20ac1 and 2\u20ac") << QStringList{QStringLiteral("\u20ac1"), QStringLiteral("2\u20ac")};
        QTest::newRow("empty document") << QString() << QStringList{QStringLiteral("a"), QStringLiteral("\r\n")};
    }

    void findsAsTheReference()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, patterns);
        FakeTextBox reference;
        reference.setText(text);
        m_box->setText(text);
        QCOMPARE(m_box->text(), text);

        QStringList all = piecesOf(text);
        for (const QString &p : patterns) {
            if (!all.contains(p))
                all.append(p);
        }
        all.append(QStringLiteral("absent"));

        // Scintilla leaves the caret before a whole character: the search
        // must not move it or the selection.
        const int caret = text.isEmpty() ? 0 : 1 + int(text.at(0).isHighSurrogate());
        m_box->setSelectionStart(caret);
        m_box->setSelectionLength(1);
        const int selectionStart = m_box->selectionStart();
        const int selectionLength = m_box->selectionLength();

        QStringList wrong;
        int compared = 0;
        for (const QString &pattern : all) {
            for (int from = -3; from <= int(text.size()) + 3; ++from) {
                const int forward = m_box->findForward(pattern, from);
                const int wantForward = reference.findForward(pattern, from);
                ++compared;
                if (forward != wantForward)
                    wrong.append(QStringLiteral("findForward(\"%1\", %2) = %3, expected %4")
                                     .arg(shown(pattern)).arg(from).arg(forward).arg(wantForward));
                // Upwards from beyond the end is checked against the contract below.
                if (from > text.size())
                    continue;
                const int backward = m_box->findBackward(pattern, from);
                const int wantBackward = reference.findBackward(pattern, from);
                ++compared;
                if (backward != wantBackward)
                    wrong.append(QStringLiteral("findBackward(\"%1\", %2) = %3, expected %4")
                                     .arg(shown(pattern)).arg(from).arg(backward).arg(wantBackward));
            }
        }
        QVERIFY(compared > 0);
        QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("%1 of %2 answers differ:\n  ")
                                                 .arg(wrong.size())
                                                 .arg(compared)
                                             + wrong.mid(0, 12).join(QStringLiteral("\n  "))));
        QCOMPARE(m_box->selectionStart(), selectionStart);
        QCOMPARE(m_box->selectionLength(), selectionLength);
        QCOMPARE(selectionStart, reference.length() ? caret : 0);
    }

    // Both boxes against the interface's own words, where the two could
    // disagree: a match starting exactly at from counts both ways, a start
    // beyond the end finds the last occurrence upwards, and a start inside
    // an astral character (where a downward match of one leaves the search)
    // goes on after it, never back to the top of the document.
    void bothKeepTheContract_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("forward");
        QTest::addColumn<int>("backward");

        QTest::newRow("match at from") << QStringLiteral("xabx") << QStringLiteral("ab") << 1 << 1 << 1;
        QTest::newRow("between two matches") << QStringLiteral("ab ab") << QStringLiteral("ab") << 2 << 3 << 0;
        QTest::newRow("from at the end") << QStringLiteral("ab ab") << QStringLiteral("ab") << 5 << -1 << 3;
        QTest::newRow("one unit from beyond the end") << QStringLiteral("ab ab") << QStringLiteral("b") << 9 << -1 << 4;
        QTest::newRow("from beyond the end") << QStringLiteral("ab ab") << QStringLiteral("ab") << 9 << -1 << 3;
        QTest::newRow("from one past the end, non-ASCII")
            << QStringLiteral("\u20ac\u00e9 \u20ac\u00e9") << QStringLiteral("\u20ac\u00e9") << 6 << -1 << 3;
        QTest::newRow("negative from") << QStringLiteral("ab ab") << QStringLiteral("ab") << -1 << 0 << -1;
        QTest::newRow("from inside a surrogate pair")
            << QStringLiteral("\U0001F600\U0001F600") << QStringLiteral("\U0001F600") << 1 << 2 << 0;
        QTest::newRow("from inside a surrogate pair on a later line")
            << QStringLiteral("ab\r\n\U0001F600ab") << QStringLiteral("ab") << 5 << 6 << 0;
    }

    void bothKeepTheContract()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(int, from);
        QFETCH(int, forward);
        QFETCH(int, backward);
        FakeTextBox reference;
        reference.setText(text);
        QCOMPARE(reference.findForward(pattern, from), forward);
        QCOMPARE(reference.findBackward(pattern, from), backward);
        m_box->setText(text);
        QCOMPARE(m_box->findForward(pattern, from), forward);
        QCOMPARE(m_box->findBackward(pattern, from), backward);
    }

    // ">" over the real box walks from one match to the next and never
    // returns to the top, also when each match begins with an astral
    // character (LastSearchPos then points into its surrogate pair).
    void searchBarWalksDown_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QList<int>>("starts");

        QTest::newRow("ASCII") << QStringLiteral("ab\r\nab ab") << QStringLiteral("ab") << QList<int>{0, 4, 7};
        QTest::newRow("e acute") << QStringLiteral("\u00e9t\u00e9 \u00e9t\u00e9\r\n\u00e9t\u00e9")
                                 << QStringLiteral("\u00e9t\u00e9") << QList<int>{0, 4, 9};
        QTest::newRow("astral") << QStringLiteral("a\U0001F600b\U0001F600\r\n\U0001F600") << QStringLiteral("\U0001F600")
                                << QList<int>{1, 4, 8};
    }

    void searchBarWalksDown()
    {
        QFETCH(QString, text);
        QFETCH(QString, search);
        QFETCH(QList<int>, starts);
        EditorState state;
        FakeFormWindow window;
        FakeLabel lblFilename;
        FakeLabel lblLine;
        FakeEntry txtGotoLine;
        FakeClipboard clipboard;
        CTextBoxEx textBoxEx(clipboard);
        textBoxEx.setTextBox(m_box.get());
        CaretStatus caretStatus(state, {window, *m_box, lblFilename, lblLine, txtGotoLine}, textBoxEx);
        FakeEntry txtSearch;
        FakeEntry txtReplace;
        FakeCheckBox chkReplace;
        FakeButton cmdReplace;
        FakeMessages messages;
        TextSearch bar(state, {*m_box, txtSearch, txtReplace, chkReplace, cmdReplace}, caretStatus, messages);

        m_box->setText(text);
        txtSearch.setText(search);
        state.LastSearchPos = 0;
        QList<int> found;
        for (int press = 0; press < starts.size() + 1; ++press) {
            bar.cmdNext_Click();
            found.append(m_box->selectionStart());
            QCOMPARE(m_box->selectionLength(), int(search.size()));
        }
        // The last press finds nothing and leaves the last match selected.
        QCOMPARE(found, starts + QList<int>{starts.last()});
    }

    // The box answers from its current text, after edits as after a load.
    void findsAfterAnEdit()
    {
        m_box->setText(QStringLiteral("\u00e9\u00e9 ab\r\nab"));
        m_box->replace(0, 2, QStringLiteral("\U0001F600"));
        FakeTextBox reference;
        reference.setText(m_box->text());
        for (int from = 0; from <= reference.length(); ++from) {
            QCOMPARE(m_box->findForward(QStringLiteral("ab"), from), reference.findForward(QStringLiteral("ab"), from));
            QCOMPARE(m_box->findBackward(QStringLiteral("ab"), from), reference.findBackward(QStringLiteral("ab"), from));
        }
    }
};

QTEST_MAIN(TestScintillaSearch)
#include "tst_scintillasearch.moc"
