#include "app/widgets/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <Qsci/qsciscintilla.h>

// Several real main windows in one process, each with its own state files
// on one state folder, as several running copies of KVN have.
namespace {

// Answers each message box as it appears, with the buttons scripted in
// order (Enter once the script runs out), and records its text.
class Answerer
{
public:
    explicit Answerer(QList<QMessageBox::StandardButton> script = {})
        : m_script(std::move(script))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box == m_last)
                return;
            m_last = box;
            texts.append(box->text());
            const QMessageBox::StandardButton next = m_script.isEmpty() ? QMessageBox::NoButton : m_script.takeFirst();
            if (QAbstractButton *button = next == QMessageBox::NoButton ? nullptr : box->button(next))
                button->click();
            else
                QTest::keyClick(box, Qt::Key_Return);
        });
        m_timer.start(10);
    }

    QStringList texts;

private:
    QList<QMessageBox::StandardButton> m_script;
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

QsciScintilla *editorOf(MainWindow &window)
{
    return window.findChild<QsciScintilla *>(QStringLiteral("Text1"));
}

bool show(MainWindow &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowExposed(&window);
}

// The files in the folder that hold text.
QStringList keptWith(const QString &folder, const QByteArray &text)
{
    QStringList found;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text))
            found.append(name);
    }
    return found;
}

} // namespace

class TestRecoveryWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_home.isValid());
        m_state = m_home.filePath(QStringLiteral("state"));
        m_kvn = m_state + QStringLiteral("/kvn");
        QDir(m_kvn).removeRecursively();
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_state));
        m_source = m_home.filePath(QStringLiteral("prog.cpp"));
        QFile file(m_source);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("int main() {}\n");
    }

    void twoNewDocumentsKeepTheirOwnText()
    {
        {
            MainWindow alpha{QString()};
            MainWindow bravo{QString()};
            QVERIFY(show(alpha) && show(bravo));
            QTest::keyClicks(editorOf(alpha), QStringLiteral("ALPHA"));
            QTest::keyClicks(editorOf(bravo), QStringLiteral("BRAVO"));
            alpha.form().Form_Terminate();
            bravo.form().Form_Terminate();
        }
        QCOMPARE(keptWith(m_kvn, "ALPHA").size(), 1);
        QCOMPARE(keptWith(m_kvn, "BRAVO").size(), 1);
        // The next start offers both, one after the other; Cancel keeps each.
        Answerer answerer({QMessageBox::Cancel, QMessageBox::Cancel});
        MainWindow next{QString()};
        QCOMPARE(answerer.texts.size(), 2);
        for (const QString &text : std::as_const(answerer.texts))
            QVERIFY2(text.startsWith(QStringLiteral("KVN found unsaved changes to a new document from ")), qPrintable(text));
    }

    void oneWindowsExitLeavesTheOthersText()
    {
        {
            MainWindow first(m_source);
            MainWindow second(m_source);
            QVERIFY(show(first) && show(second));
            QTest::keyClicks(editorOf(first), QStringLiteral("first "));
            first.form().Form_Terminate();
            QTest::keyClicks(editorOf(second), QStringLiteral("second "));
            second.form().Form_Terminate();
            // The second leaves, answering No to the save question.
            Answerer answerer({QMessageBox::No});
            QVERIFY(second.form().closeRequested(true));
            QCOMPARE(answerer.texts, QStringList{QStringLiteral("Would you like to save your file?")});
        }
        QCOMPARE(keptWith(m_kvn, "\n\nfirst int main() {}\n").size(), 1);
        QVERIFY(keptWith(m_kvn, "\n\nsecond int main() {}\n").isEmpty());
    }

    void offeredWhenOpenedFromTheMenu()
    {
        keepTyping("hello ");
        // The question at the start is put off for later.
        Answerer answerer({QMessageBox::Cancel, QMessageBox::Yes});
        MainWindow next{QString()};
        QVERIFY(show(next));
        QVERIFY(next.form().document.openFile(m_source));
        QCOMPARE(answerer.texts.size(), 2);
        QVERIFY2(answerer.texts.at(1).startsWith(QStringLiteral("KVN found unsaved changes to %1 from ").arg(m_source)),
                 qPrintable(answerer.texts.at(1)));
        QCOMPARE(editorOf(next)->text(), QStringLiteral("hello int main() {}\r\n"));
        QVERIFY(!next.form().state.FileSaved);
    }

    void notOverwrittenBeforeItIsOffered()
    {
        keepTyping("hello ");
        // Started without a file (its question, if any, put off), then the
        // file opened and its question put off too, then typing kept.
        Answerer answerer({QMessageBox::Cancel, QMessageBox::Cancel});
        MainWindow next{QString()};
        QVERIFY(show(next));
        QVERIFY(next.form().document.openFile(m_source));
        QTest::keyClicks(editorOf(next), QStringLiteral("other "));
        next.form().Form_Terminate();
        QCOMPARE(keptWith(m_kvn, "\n\nhello int main() {}\n").size(), 1);
        QCOMPARE(keptWith(m_kvn, "\n\nother int main() {}\n").size(), 1);
    }

    void aMovedFileIsOfferedAsANewDocument()
    {
        keepTyping("hello ");
        const QString moved = m_home.filePath(QStringLiteral("moved.cpp"));
        QVERIFY(QFile::rename(m_source, moved));
        Answerer answerer({QMessageBox::Yes});
        MainWindow next{QString()};
        QCOMPARE(answerer.texts.size(), 1);
        QVERIFY2(answerer.texts.first().contains(m_source) && answerer.texts.first().contains(QStringLiteral("no longer there")),
                 qPrintable(answerer.texts.first()));
        QCOMPARE(editorOf(next)->text(), QStringLiteral("hello int main() {}\r\n"));
        QVERIFY(next.form().state.currFilename.isEmpty());
        QVERIFY(!next.form().state.FileSaved);
    }

    void aFileChangedOnDiskSinceIsAskedAbout_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QString>("text");
        QTest::newRow("Yes: the kept text") << QMessageBox::Yes << QStringLiteral("hello int main() {}\r\n");
        QTest::newRow("No: the file on disk") << QMessageBox::No << QStringLiteral("int changed(void);\r\n");
    }

    void aFileChangedOnDiskSinceIsAskedAbout()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QString, text);
        keepTyping("hello ");
        {
            QFile file(m_source);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("int changed(void);\n");
        }
        Answerer answerer({QMessageBox::Yes, answer});
        MainWindow next(m_source);
        QCOMPARE(answerer.texts.size(), 2);
        QVERIFY2(answerer.texts.at(1).contains(QStringLiteral("changed on disk")), qPrintable(answerer.texts.at(1)));
        QCOMPARE(editorOf(next)->text(), text);
        // Declined, the kept text stays for later.
        QCOMPARE(keptWith(m_kvn, "\n\nhello int main() {}\n").size(), 1);
    }

private:
    // A copy of KVN on the source file, with text typed, ended by a signal.
    void keepTyping(const char *typed)
    {
        MainWindow window(m_source);
        QVERIFY(show(window));
        QTest::keyClicks(editorOf(window), QString::fromLatin1(typed));
        window.form().Form_Terminate();
    }

    QTemporaryDir m_home;
    QString m_state;
    QString m_kvn;
    QString m_source;
};

QTEST_MAIN(TestRecoveryWindows)
#include "tst_recoverywindows.moc"
