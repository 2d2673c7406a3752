#include "platform/qt/editoraccessible.h"
#include "platform/qt/editorwidget.h"

#include <QAccessible>
#include <QTest>

// What a screen reader reads of the editor box: the text, caret and
// selection in UTF-16 units, whatever the bytes behind them.
class TestEditorAccessible : public QObject
{
    Q_OBJECT

private:
    // Two-byte, three-byte and four-byte characters and CR LF line ends.
    const QString m_text = QStringLiteral("ab\r\n\u00e9\u20ac\U0001F600x\r\nlast");
    std::unique_ptr<EditorWidget> m_editor;
    QAccessibleTextInterface *m_textInterface = nullptr;

private slots:
    void init()
    {
        m_editor = std::make_unique<EditorWidget>();
        m_editor->setText(m_text);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(m_editor.get());
        // The box's own accessible counts the whole text on every caret move.
        QVERIFY(dynamic_cast<EditorAccessible *>(accessible));
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        m_textInterface = accessible->textInterface();
        QVERIFY(m_textInterface);
    }
    void cleanup() { m_editor.reset(); }

    // Each row: a UTF-16 offset (at a character's start), and the text's
    // first characters up to it.
    void caretAndTextInUtf16Units_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("before");
        QTest::newRow("start") << 0 << QString();
        QTest::newRow("before CR LF") << 2 << QStringLiteral("ab");
        QTest::newRow("second line") << 4 << QStringLiteral("ab\r\n");
        QTest::newRow("after two bytes") << 5 << QStringLiteral("ab\r\n\u00e9");
        QTest::newRow("after three bytes") << 6 << QStringLiteral("ab\r\n\u00e9\u20ac");
        QTest::newRow("after a surrogate pair") << 8 << QStringLiteral("ab\r\n\u00e9\u20ac\U0001F600");
        QTest::newRow("last line") << 11 << QStringLiteral("ab\r\n\u00e9\u20ac\U0001F600x\r\n");
        QTest::newRow("end") << 15 << QStringLiteral("ab\r\n\u00e9\u20ac\U0001F600x\r\nlast");
    }
    void caretAndTextInUtf16Units()
    {
        QFETCH(int, offset);
        QFETCH(QString, before);
        QCOMPARE(m_textInterface->characterCount(), 15);
        m_textInterface->setCursorPosition(offset);
        QCOMPARE(m_textInterface->cursorPosition(), offset);
        QCOMPARE(m_textInterface->text(0, offset), before);
        QCOMPARE(m_textInterface->text(offset, 15), m_text.mid(offset));
    }

    void selectionInUtf16Units()
    {
        QCOMPARE(m_textInterface->selectionCount(), 0);
        m_textInterface->setSelection(0, 4, 8);
        QCOMPARE(m_editor->selectedText(), QStringLiteral("\u00e9\u20ac\U0001F600"));
        int start = -1;
        int end = -1;
        m_textInterface->selection(0, &start, &end);
        QCOMPARE(QList<int>({m_textInterface->selectionCount(), start, end}), QList<int>({1, 4, 8}));
        m_textInterface->removeSelection(0);
        QCOMPARE(m_textInterface->selectionCount(), 0);
    }
};

QTEST_MAIN(TestEditorAccessible)
#include "tst_editoraccessible.moc"
