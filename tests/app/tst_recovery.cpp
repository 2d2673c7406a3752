#include "app/recovery.h"
#include "platform/fake/fakestatefiles.h"
#include "support/mainformfixture.h"

#include <QCryptographicHash>
#include <QTest>

#include <cstdlib>
#include <ctime>

namespace {

// Counts the starts, each of which puts the next tick a full interval off.
struct StartCountingTimer : FakeTimer
{
    int starts = 0;
    void setEnabled(bool enabled) override
    {
        starts += enabled ? 1 : 0;
        FakeTimer::setEnabled(enabled);
    }
};

// The main window of fakes with its recovery wired as the window wires it.
struct Fixture : MainFormFixture
{
    FakeStateFiles store;
    StartCountingTimer timer;
    QDateTime clock{QDate(2026, 3, 14), QTime(9, 26)};
    Recovery recovery{form.state, Text1, form.caretStatus, form.document, {store, messages, timer, [this] { return clock; }}};

    Fixture()
    {
        form.setRecovery(&recovery);
        Text1.onChange = [this] {
            form.caretStatus.Text1_Change();
            recovery.edited();
        };
    }

    void open(const QString &path, const QByteArray &bytes)
    {
        files.files.insert(path, bytes);
        load(path);
    }
};

const QString helloPath = QStringLiteral("/home/user/project/hello.cpp");

// The file a path is kept in: the SHA-1 of the path's UTF-8 bytes.
QString keptName(const QString &path)
{
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex())
           + QStringLiteral(".recovery");
}

QByteArray kept(const QString &path, const QByteArray &text)
{
    return "KVN recovery file\npath: " + path.toUtf8() + "\ndate: 2026-03-14T09:26:00Z\n\n" + text;
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The dates below are those of a clock in UTC.
        qputenv("TZ", "UTC");
        tzset();
    }

    void keptAFewSecondsAfterAnEdit_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("LF") << helloPath << QByteArray("int a;\nint b;\n") << QByteArray("xint a;\nint b;\n");
        QTest::newRow("CR LF") << QStringLiteral("/home/user/project/dos.c") << QByteArray("int a;\r\nint b;\r\n")
                               << QByteArray("xint a;\r\nint b;\r\n");
        QTest::newRow("no last line end") << QStringLiteral("/home/user/project/end.c") << QByteArray("int a;")
                                          << QByteArray("xint a;");
        QTest::newRow("Latin-1 file, kept as UTF-8") << QStringLiteral("/home/user/project/caf\u00e9.c")
                                                     << QByteArray("char c = '\xe9';\n")
                                                     << QByteArray("xchar c = '\xc3\xa9';\n");
    }

    void keptAFewSecondsAfterAnEdit()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, expected);
        Fixture f;
        f.open(path, file);
        f.Text1.type(QStringLiteral("x"));
        QVERIFY(f.store.writes.isEmpty());
        QVERIFY(f.timer.isEnabled());
        QVERIFY(f.timer.interval() >= 2000 && f.timer.interval() <= 5000);
        QVERIFY(f.timer.tick());
        QCOMPARE(f.store.files.keys(), QStringList{keptName(path)});
        QCOMPARE(f.store.claimed, QStringList{keptName(path)});
        QCOMPARE(f.store.files.value(keptName(path)), kept(path, expected));
        // The file already holds the text: no more writes without edits.
        f.timer.tick();
        QCOMPARE(f.store.writes.size(), 1);
    }

    void newDocumentKeptUnderItsOwnName()
    {
        Fixture f;
        f.load();
        f.Text1.setSelectionStart(0);
        f.Text1.type(QStringLiteral("// mine\r\n"));
        f.timer.tick();
        QCOMPARE(f.store.files.keys(), QStringList{QStringLiteral("new-document.recovery")});
        const QByteArray bytes = f.store.files.value(QStringLiteral("new-document.recovery"));
        QVERIFY(bytes.startsWith("KVN recovery file\npath: \ndate: 2026-03-14T09:26:00Z\n\n// mine\n// This file"));
    }

    void aPathWithALineBreakStaysOnItsLine()
    {
        const QString odd = QStringLiteral("/home/user/project/odd\nname%.c");
        Fixture f;
        f.open(odd, "int a;\n");
        f.Text1.type(QStringLiteral("x"));
        f.timer.tick();
        QVERIFY(f.store.files.value(keptName(odd)).startsWith("KVN recovery file\npath: /home/user/project/odd%0Aname%25.c\ndate: "));
        Fixture next;
        next.store.files = f.store.files;
        next.open(odd, "int a;\n");
        QCOMPARE(next.messages.calls.size(), 1);
        QCOMPARE(next.Text1.text(), QStringLiteral("xint a;\r\n"));
    }

    void typingPutsTheWriteBackButNotForEver()
    {
        Fixture f;
        f.open(helloPath, "int a;\n");
        f.timer.tick(); // the change of the open, which was nothing unsaved
        const int starts = f.timer.starts;
        f.Text1.type(QStringLiteral("a"));
        f.clock = f.clock.addSecs(10);
        f.Text1.type(QStringLiteral("b"));
        QCOMPARE(f.timer.starts, starts + 2);
        f.clock = f.clock.addSecs(25); // unbroken typing for over half a minute
        f.Text1.type(QStringLiteral("c"));
        QCOMPARE(f.timer.starts, starts + 2);
        QVERIFY(f.timer.tick());
        QCOMPARE(f.store.files.value(keptName(helloPath)), kept(helloPath, "abcint a;\n").replace("09:26:00", "09:26:35"));
    }

    void notWrittenWhileSaved()
    {
        Fixture f;
        f.open(helloPath, "int a;\n");
        // Opening the file changed the box, but nothing unsaved came of it.
        f.timer.tick();
        QVERIFY(f.store.writes.isEmpty());
        f.Text1.type(QStringLiteral("x"));
        f.form.document.mnuSave_Click();
        f.timer.tick();
        QVERIFY(f.store.writes.isEmpty());
        QVERIFY(!f.timer.isEnabled());
    }

    void removedWhenTheDocumentIsSavedOrReplaced_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save") << QStringLiteral("save");
        QTest::newRow("Save As") << QStringLiteral("save as");
        QTest::newRow("New, changes discarded") << QStringLiteral("new");
        QTest::newRow("Open, changes discarded") << QStringLiteral("open");
        QTest::newRow("Exit, changes discarded") << QStringLiteral("exit");
    }

    void removedWhenTheDocumentIsSavedOrReplaced()
    {
        QFETCH(QString, command);
        Fixture f;
        f.open(helloPath, "int a;\n");
        f.files.files.insert(QStringLiteral("/home/user/project/other.cpp"), "int b;\n");
        f.Text1.type(QStringLiteral("x"));
        f.timer.tick();
        QVERIFY(f.store.files.contains(keptName(helloPath)));
        if (command == QLatin1String("save")) {
            f.form.document.mnuSave_Click();
        } else if (command == QLatin1String("save as")) {
            f.dialogs.pickNext(QStringLiteral("/home/user/project/copy.cpp"), 1);
            f.form.document.mnuSaveAs_Click();
        } else if (command == QLatin1String("new")) {
            f.messages.answerNext(Reply::No);
            f.form.document.mnuNew_Click();
        } else if (command == QLatin1String("open")) {
            f.messages.answerNext(Reply::No);
            f.dialogs.pickNext(QStringLiteral("/home/user/project/other.cpp"));
            f.form.document.mnuOpen_Click();
        } else {
            f.messages.answerNext(Reply::No);
            f.form.mnuExit_Click();
        }
        if (command != QLatin1String("exit")) {
            QCOMPARE(f.form.state.FileSaved, true);
            QVERIFY(f.timer.tick());
        }
        QVERIFY(f.store.files.isEmpty());
        QCOMPARE(f.store.removals, QStringList{keptName(helloPath)});
        QVERIFY(f.store.claimed.isEmpty());
        QVERIFY(!f.timer.isEnabled());
    }

    void cancelledExitKeepsIt()
    {
        Fixture f;
        f.open(helloPath, "int a;\n");
        f.Text1.type(QStringLiteral("x"));
        f.timer.tick();
        f.messages.answerNext(Reply::Cancel);
        f.form.mnuExit_Click();
        QVERIFY(f.store.files.contains(keptName(helloPath)));
    }

    void aSignalKeepsTheTextAtOnce_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QStringList>("keptFiles");
        QTest::newRow("unsaved edit") << true << false << QStringList{keptName(helloPath)};
        QTest::newRow("edit saved") << true << true << QStringList{};
        QTest::newRow("no edit") << false << false << QStringList{};
    }

    void aSignalKeepsTheTextAtOnce()
    {
        QFETCH(bool, edited);
        QFETCH(bool, saved);
        QFETCH(QStringList, keptFiles);
        Fixture f;
        f.store.holdBack = true; // as a worker still busy would
        f.open(helloPath, "int a;\n");
        if (edited)
            f.Text1.type(QStringLiteral("x"));
        if (saved)
            f.form.document.mnuSave_Click();
        f.form.Form_Terminate();
        QCOMPARE(f.store.files.keys(), keptFiles);
        if (!keptFiles.isEmpty())
            QCOMPARE(f.store.files.value(keptFiles.first()), kept(helloPath, "xint a;\n"));
        // The program ends quietly.
        QCOMPARE(f.messages.titles(), saved ? QStringList{QStringLiteral("File saved.")} : QStringList{});
    }

    void offeredAtStart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("text");
        QTest::newRow("file, Yes") << helloPath << Reply::Yes
                                   << QStringLiteral("KVN found unsaved changes to /home/user/project/hello.cpp from "
                                                     "14 March 2026, 09:26. Recover them?")
                                   << QStringLiteral("int kept;\r\n");
        QTest::newRow("file, No") << helloPath << Reply::No
                                  << QStringLiteral("KVN found unsaved changes to /home/user/project/hello.cpp from "
                                                    "14 March 2026, 09:26. Recover them?")
                                  << QStringLiteral("int a;\r\n");
        QTest::newRow("new document, Yes") << QString() << Reply::Yes
                                           << QStringLiteral("KVN found unsaved changes to a new document from "
                                                             "14 March 2026, 09:26. Recover them?")
                                           << QStringLiteral("int kept;\r\n");
    }

    void offeredAtStart()
    {
        QFETCH(QString, path);
        QFETCH(Reply, reply);
        QFETCH(QString, question);
        QFETCH(QString, text);
        Fixture f;
        const QString name = path.isEmpty() ? QStringLiteral("new-document.recovery") : keptName(path);
        f.store.files.insert(name, kept(path, "int kept;\n"));
        f.messages.answerNext(reply);
        if (path.isEmpty())
            f.load();
        else
            f.open(path, "int a;\n");
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls.first().text, question);
        QCOMPARE(f.messages.calls.first().buttons, Buttons::YesNo);
        if (reply == Reply::Yes) {
            QCOMPARE(f.Text1.text(), text);
            QCOMPARE(f.form.state.FileSaved, false);
            QCOMPARE(f.form.state.JustNew, false);
            QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2 #"));
            QCOMPARE(f.lblFilename.background(), Colours::red);
            QCOMPARE(f.lblFilename.textColour(), Colours::yellow);
            QCOMPARE(f.form.state.currFilename, path);
            // Kept, and marked as this copy's, until the text is saved or given up.
            QVERIFY(f.store.files.contains(name));
            QCOMPARE(f.store.claimed, QStringList{name});
            f.messages.answerNext(Reply::No);
            f.form.mnuExit_Click();
            QVERIFY(f.store.files.isEmpty());
            QVERIFY(f.store.claimed.isEmpty());
        } else {
            QCOMPARE(f.Text1.text(), text);
            QCOMPARE(f.form.state.FileSaved, true);
            QVERIFY(f.store.files.isEmpty());
        }
    }

    void recoveredTextSavedWithTheFilesLineEnds()
    {
        Fixture f;
        f.store.files.insert(keptName(helloPath), kept(helloPath, "int kept;\nint more;\n"));
        f.open(helloPath, "int a;\n");
        f.form.document.mnuSave_Click();
        QCOMPARE(f.files.files.value(helloPath), QByteArray("int kept;\nint more;\n"));
        f.timer.tick();
        QVERIFY(f.store.files.isEmpty());
    }

    void nothingAskedWhenThereIsNothingToRecover_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<bool>("ownedByARunningCopy");
        QTest::newRow("text as saved") << kept(helloPath, "int a;\n") << true << false;
        QTest::newRow("kept by a copy still running") << kept(helloPath, "int b;\n") << false << true;
        QTest::newRow("another path with the same name") << kept(QStringLiteral("/elsewhere.cpp"), "x") << false << false;
        QTest::newRow("path with a line break, not this one")
            << kept(QStringLiteral("/home/user/project/hello.cpp%0A"), "x") << false << false;
        QTest::newRow("not a recovery file") << QByteArray("int a;\n") << false << false;
    }

    void nothingAskedWhenThereIsNothingToRecover()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, removed);
        QFETCH(bool, ownedByARunningCopy);
        Fixture f;
        f.store.files.insert(keptName(helloPath), file);
        if (ownedByARunningCopy)
            f.store.claimedElsewhere.append(keptName(helloPath));
        f.open(helloPath, "int a;\n");
        QVERIFY(f.messages.calls.isEmpty());
        QCOMPARE(f.store.files.isEmpty(), removed);
        QCOMPARE(f.form.state.FileSaved, true);
        QVERIFY(f.store.claimed.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
