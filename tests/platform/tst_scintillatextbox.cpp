#include "platform/fake/faketextbox.h"
#include "platform/qt/editorwidget.h"
#include "platform/qt/scintillatextbox.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

// The Scintilla box must answer every line query exactly as the reference
// model does, for plain, non-ASCII and astral text alike.
class TestScintillaTextBox : public QObject
{
    Q_OBJECT

private:
    EditorWidget *m_editor = nullptr;
    std::unique_ptr<ScintillaTextBox> m_box;

    void compareAll(const QString &text)
    {
        FakeTextBox model;
        model.setText(text);
        m_box->setText(text);
        QCOMPARE(m_box->text(), text);
        QCOMPARE(m_box->length(), model.length());
        QCOMPARE(m_box->lineCount(), model.lineCount());
        for (int line = 0; line < model.lineCount(); ++line) {
            QCOMPARE(m_box->lineStart(line), model.lineStart(line));
            QCOMPARE(m_box->lineText(line), model.lineText(line));
        }
        for (int pos = 0; pos <= model.length() + 2; ++pos) {
            // Scintilla keeps the caret off the middle of a surrogate pair or a CR LF.
            const bool insideUnit = pos > 0 && pos < model.length()
                                    && (text.at(pos).isLowSurrogate()
                                        || (text.at(pos - 1) == QLatin1Char('\r') && text.at(pos) == QLatin1Char('\n')));
            QCOMPARE(m_box->lineFromPosition(pos), model.lineFromPosition(pos));
            QCOMPARE(m_box->lineLengthAt(pos), model.lineLengthAt(pos));
            if (!insideUnit && pos <= model.length()) {
                m_box->setSelectionStart(pos);
                QCOMPARE(m_box->selectionStart(), pos);
                QCOMPARE(m_box->lineFromPosition(-1), model.lineFromPosition(pos));
            }
        }
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

    void answersAsTheLineModel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("one line") << QStringLiteral("hello");
        QTest::newRow("ends with a line break") << QStringLiteral("a\r\nbc\r\n");
        QTest::newRow("empty lines") << QStringLiteral("\r\n\r\n\r\n");
        QTest::newRow("latin-1 and euro") << QStringLiteral("caf\u00e9\r\n\u20ac 5\r\nna\u00efve");
        QTest::newRow("astral") << QStringLiteral("x\U0001F600y\r\n\U0001F680\r\nz");
        QTest::newRow("tabs") << QStringLiteral("\tint main(void) {\r\n\t\r\n}");
        QTest::newRow("NUL bytes") << QString::fromUtf8("a\0b\r\n\0\r\nc\0", 9);
    }

    void answersAsTheLineModel()
    {
        QFETCH(QString, text);
        compareAll(text);
    }

    void replaceAndSelection()
    {
        m_box->setText(QStringLiteral("\u00e9t\u00e9\r\nabc\r\nxyz"));
        m_box->replace(5, 3, QString());
        QCOMPARE(m_box->text(), QStringLiteral("\u00e9t\u00e9\r\n\r\nxyz"));
        QCOMPARE(m_box->lineCount(), 3);
        QVERIFY(m_box->canUndo());
        m_box->undo();
        QCOMPARE(m_box->text(), QStringLiteral("\u00e9t\u00e9\r\nabc\r\nxyz"));

        m_box->setSelectionStart(1);
        m_box->setSelectionLength(4);
        QCOMPARE(m_box->selectionStart(), 1);
        QCOMPARE(m_box->selectionLength(), 4);
        m_box->setSelectionStart(2);
        QCOMPARE(m_box->selectionLength(), 0);
    }

    void setTextStartsAFreshHistory()
    {
        m_box->setText(QStringLiteral("abc"));
        QVERIFY(!m_box->canUndo());
        m_box->setModified(false);
        QVERIFY(!m_box->isModified());
        m_box->replace(0, 0, QStringLiteral("x"));
        QVERIFY(m_box->isModified());
        m_box->setModified(false);
        QVERIFY(!m_box->isModified());
        m_box->setModified(true);
        QVERIFY(m_box->isModified());
    }

    void fontSizeLimits()
    {
        QVERIFY(m_box->setFontSize(12));
        QCOMPARE(m_box->fontSize(), 12.0);
        QVERIFY(!m_box->setFontSize(0));
        QVERIFY(!m_box->setFontSize(-3));
        QVERIFY(!m_box->setFontSize(1e9));
        QCOMPARE(m_box->fontSize(), 12.0);
    }

    // Every edit is reported at once, so the text never passes for saved,
    // and again once its event is over, with the caret where the edit left
    // it: the change handler reads the caret.
    void everyEditIsReportedWithTheCaretAfterIt()
    {
        QList<int> carets;
        connect(m_editor, &EditorWidget::edited, this, [&] { carets.append(m_box->selectionStart()); });
        m_box->setText(QStringLiteral("abc"));
        QCOMPARE(carets, QList<int>{0}); // a whole new text is one change
        QVERIFY(!m_box->isModified());

        m_box->setSelectionStart(3);
        for (const char key : {'x', 'y'}) {
            carets.clear();
            QTest::keyClick(m_editor, key);
            QVERIFY(m_box->isModified());
            QCOMPARE(carets.last(), m_box->selectionStart());
        }
        QCOMPARE(m_box->text(), QStringLiteral("abcxy"));
        QCOMPARE(m_box->selectionStart(), 5);

        // A save point, then an undo: a change, and the text differs.
        m_box->setModified(false);
        carets.clear();
        m_box->undo();
        QVERIFY(!carets.isEmpty());
        QVERIFY(m_box->isModified());
        QCoreApplication::processEvents();

        // Two edits by the program in one turn after a save: reported at
        // once, and settled with the caret after both.
        m_box->setModified(false);
        carets.clear();
        m_box->replace(0, 0, QStringLiteral("a"));
        m_box->replace(0, 0, QStringLiteral("bb"));
        QVERIFY(!carets.isEmpty());
        QVERIFY(m_box->isModified());
        carets.clear();
        QCoreApplication::processEvents();
        QCOMPARE(carets, QList<int>{2});
        // The next edit, in a later turn, is seen again.
        m_box->replace(0, 0, QStringLiteral("c"));
        QVERIFY(!carets.isEmpty());
        QCOMPARE(m_box->text(), QStringLiteral("cbbaabcx"));
    }

    // A key whose press went to another box does not reach the handlers
    // with its release.
    void releaseWithoutPressIsNotReported()
    {
        QSignalSpy ups(m_editor, &EditorWidget::keyUp);
        QTest::keyRelease(m_editor, Qt::Key_Return);
        QCOMPARE(ups.size(), 0);
        QTest::keyClick(m_editor, Qt::Key_Return);
        QCOMPARE(ups.size(), 1);
    }

    // Scintilla takes any caret position; between a CR and its LF the next
    // key would split the line break.
    void caretNeverSplitsALineBreak()
    {
        m_box->setText(QStringLiteral("ab\r\ncd"));
        m_box->setSelectionStart(3);
        QCOMPARE(m_box->selectionStart(), 2);
        QTest::keyClick(m_editor, 'x');
        QCOMPARE(m_box->text(), QStringLiteral("abx\r\ncd"));
    }

    void typedEnterMakesCrLf()
    {
        m_box->setText(QStringLiteral("ab"));
        m_box->setSelectionStart(1);
        QTest::keyClick(m_editor, Qt::Key_Return);
        QCOMPARE(m_box->text(), QStringLiteral("a\r\nb"));
        QCOMPARE(m_box->lineCount(), 2);
    }
};

QTEST_MAIN(TestScintillaTextBox)
#include "tst_scintillatextbox.moc"
