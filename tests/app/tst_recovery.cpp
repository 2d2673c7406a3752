#include "app/recovery.h"
#include "platform/fake/fakestatefiles.h"
#include "platform/qt/qtstatefiles.h"
#include "support/mainformfixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
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
// Its state files are in memory unless real ones are handed in, as two
// running copies share one state folder.
struct Fixture : MainFormFixture
{
    explicit Fixture(const QString &instance = QStringLiteral("1111"), StateFiles *real = nullptr)
        : stateFiles(real ? *real : store)
        , recovery(form.state, Text1, form.caretStatus, form.document,
                   {stateFiles, messages, timer, [this] { return clock; }, files, instance})
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

    FakeStateFiles store;
    StartCountingTimer timer;
    QDateTime clock{QDate(2026, 3, 14), QTime(9, 26)};
    StateFiles &stateFiles;
    Recovery recovery;
};

const QString helloPath = QStringLiteral("/home/user/project/hello.cpp");

QString hashOf(const QString &path)
{
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex());
}

// The one file a path was kept in by the first versions: the SHA-1 of the
// path's UTF-8 bytes.
QString keptName(const QString &path)
{
    return hashOf(path) + QStringLiteral(".recovery");
}

// The file a running copy keeps a path's text in.
QString ownName(const QString &path, const QString &instance = QStringLiteral("1111"))
{
    return (path.isEmpty() ? QStringLiteral("new-document") : hashOf(path)) + QLatin1Char('.') + instance
           + QStringLiteral(".recovery");
}

// A file as the first versions kept it.
QByteArray kept(const QString &path, const QByteArray &text)
{
    return "KVN recovery file\npath: " + path.toUtf8() + "\ndate: 2026-03-14T09:26:00Z\n\n" + text;
}

// A file as this version keeps it; disk is the file the text came from.
QByteArray keptWithDisk(const QString &path, const QByteArray &disk, const QByteArray &text,
                        const QByteArray &date = "2026-03-14T09:26:00Z")
{
    return "KVN recovery file\nversion: 2\npath: " + path.toUtf8() + "\ndate: " + date + "\ndisk: " + disk + "\n\n"
           + text;
}

// The recovery files this copy has marked as its own, without the marks of
// the file it shows.
QStringList recoveryClaims(const FakeStateFiles &store)
{
    return store.claimed.filter(QRegularExpression(QStringLiteral("\\.recovery$")));
}

QString question(const QString &what)
{
    return what + QStringLiteral("\rNo deletes the kept copy; Cancel keeps it for later.");
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
        QCOMPARE(f.store.files.keys(), QStringList{ownName(path)});
        QCOMPARE(recoveryClaims(f.store), QStringList{ownName(path)});
        // The file on disk the text came from: its size, its version in the
        // fake file system (none written yet) and inode 1.
        QCOMPARE(f.store.files.value(ownName(path)),
                 keptWithDisk(path, QByteArray::number(file.size()) + " 0 1", expected));
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
        QCOMPARE(f.store.files.keys(), QStringList{QStringLiteral("new-document.1111.recovery")});
        const QByteArray bytes = f.store.files.value(QStringLiteral("new-document.1111.recovery"));
        QVERIFY(bytes.startsWith(
            "KVN recovery file\nversion: 2\npath: \ndate: 2026-03-14T09:26:00Z\ndisk: none\n\n// mine\n// This file"));
    }

    void aPathWithALineBreakStaysOnItsLine()
    {
        const QString odd = QStringLiteral("/home/user/project/odd\nname%.c");
        Fixture f;
        f.open(odd, "int a;\n");
        f.Text1.type(QStringLiteral("x"));
        f.timer.tick();
        QVERIFY(f.store.files.value(ownName(odd))
                    .startsWith("KVN recovery file\nversion: 2\npath: /home/user/project/odd%0Aname%25.c\ndate: "));
        Fixture next(QStringLiteral("2222"));
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
        QCOMPARE(f.store.files.value(ownName(helloPath)), keptWithDisk(helloPath, "7 0 1", "abcint a;\n", "2026-03-14T09:26:35Z"));
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
        QVERIFY(f.store.files.contains(ownName(helloPath)));
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
        QCOMPARE(f.store.removals, QStringList{ownName(helloPath)});
        QVERIFY(recoveryClaims(f.store).isEmpty());
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
        QVERIFY(f.store.files.contains(ownName(helloPath)));
    }

    void aSignalKeepsTheTextAtOnce_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QStringList>("keptFiles");
        QTest::newRow("unsaved edit") << true << false << QStringList{ownName(helloPath)};
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
            QCOMPARE(f.store.files.value(keptFiles.first()), keptWithDisk(helloPath, "7 0 1", "xint a;\n"));
        // The program ends quietly.
        QCOMPARE(f.messages.titles(), saved ? QStringList{QStringLiteral("File saved.")} : QStringList{});
    }

    void offeredAtStart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("firstVersion");
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("text");
        const QString fileQuestion = question(QStringLiteral("KVN found unsaved changes to /home/user/project/hello.cpp "
                                                             "from 14 March 2026, 09:26. Recover them?"));
        const QString newQuestion = question(QStringLiteral("KVN found unsaved changes to a new document from "
                                                            "14 March 2026, 09:26. Recover them?"));
        QTest::newRow("file, Yes") << helloPath << false << Reply::Yes << fileQuestion << QStringLiteral("int kept;\r\n");
        QTest::newRow("file, No") << helloPath << false << Reply::No << fileQuestion << QStringLiteral("int a;\r\n");
        QTest::newRow("file, Cancel") << helloPath << false << Reply::Cancel << fileQuestion << QStringLiteral("int a;\r\n");
        QTest::newRow("file, first version's file, Yes")
            << helloPath << true << Reply::Yes << fileQuestion << QStringLiteral("int kept;\r\n");
        QTest::newRow("new document, Yes") << QString() << false << Reply::Yes << newQuestion << QStringLiteral("int kept;\r\n");
        QTest::newRow("new document, first version's file, Yes")
            << QString() << true << Reply::Yes << newQuestion << QStringLiteral("int kept;\r\n");
    }

    void offeredAtStart()
    {
        QFETCH(QString, path);
        QFETCH(bool, firstVersion);
        QFETCH(Reply, reply);
        QFETCH(QString, question);
        QFETCH(QString, text);
        Fixture f;
        // Kept by a copy that ended, under its own name or the one name of
        // the first versions.
        const QString name = firstVersion ? (path.isEmpty() ? QStringLiteral("new-document.recovery") : keptName(path))
                                          : ownName(path, QStringLiteral("99-ended"));
        f.store.files.insert(name, firstVersion ? kept(path, "int kept;\n")
                                                : keptWithDisk(path, path.isEmpty() ? "none" : "7 0 1", "int kept;\n"));
        f.messages.answerNext(reply);
        if (path.isEmpty())
            f.load();
        else
            f.open(path, "int a;\n");
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls.first().text, question);
        QCOMPARE(f.messages.calls.first().buttons, Buttons::YesNoCancel);
        QCOMPARE(f.Text1.text(), text);
        if (reply == Reply::Yes) {
            QCOMPARE(f.form.state.FileSaved, false);
            QCOMPARE(f.form.state.JustNew, false);
            QCOMPARE(f.window.title(), QStringLiteral("Korvane (KVN) 2.2 #"));
            QCOMPARE(f.lblFilename.background(), Colours::red);
            QCOMPARE(f.lblFilename.textColour(), Colours::yellow);
            QCOMPARE(f.form.state.currFilename, path);
            // Kept at once under this copy's own name, marked as its own
            // until the text is saved or given up; the file taken is gone.
            QCOMPARE(f.store.files.keys(), QStringList{ownName(path)});
            QVERIFY(f.store.files.value(ownName(path)).endsWith("\n\nint kept;\n"));
            QCOMPARE(recoveryClaims(f.store), QStringList{ownName(path)});
            f.messages.answerNext(Reply::No);
            f.form.mnuExit_Click();
            QVERIFY(f.store.files.isEmpty());
            QVERIFY(recoveryClaims(f.store).isEmpty());
        } else {
            QCOMPARE(f.form.state.FileSaved, true);
            // No deletes the kept copy, as the question says; Cancel keeps it
            // for later, unmarked, so the next start offers it again.
            QCOMPARE(f.store.files.keys(), reply == Reply::No ? QStringList{} : QStringList{name});
            QVERIFY(recoveryClaims(f.store).isEmpty());
            f.timer.tick();
            QCOMPARE(f.store.files.keys(), reply == Reply::No ? QStringList{} : QStringList{name});
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
        QVERIFY(recoveryClaims(f.store).isEmpty());
    }

    void twoRunningCopiesKeepTheirOwnText_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("firstEnds");
        QTest::addColumn<int>("offered");
        QTest::newRow("new documents, both ended by a signal") << QString() << QStringLiteral("signal") << 2;
        QTest::newRow("one file, both ended by a signal") << helloPath << QStringLiteral("signal") << 2;
        QTest::newRow("one file, the first saves") << helloPath << QStringLiteral("save") << 1;
        QTest::newRow("one file, the first leaves with No") << helloPath << QStringLiteral("exit") << 1;
    }

    void twoRunningCopiesKeepTheirOwnText()
    {
        QFETCH(QString, path);
        QFETCH(QString, firstEnds);
        QFETCH(int, offered);
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        {
            QtStateFiles firstFiles(folder);
            QtStateFiles secondFiles(folder);
            Fixture first(QStringLiteral("1-a"), &firstFiles);
            Fixture second(QStringLiteral("2-b"), &secondFiles);
            for (Fixture *f : {&first, &second}) {
                if (path.isEmpty())
                    f->load();
                else
                    f->open(path, "int a;\n");
                f->Text1.setSelectionStart(0);
            }
            first.Text1.type(QStringLiteral("ALPHA "));
            second.Text1.type(QStringLiteral("BRAVO "));
            QVERIFY(first.timer.tick());
            QVERIFY(second.timer.tick());
            if (firstEnds == QLatin1String("save")) {
                first.form.document.mnuSave_Click();
                first.timer.tick();
            } else if (firstEnds == QLatin1String("exit")) {
                first.messages.answerNext(Reply::No);
                first.form.mnuExit_Click();
            } else {
                first.form.Form_Terminate();
            }
            second.form.Form_Terminate();
        } // both copies have ended: their marks are gone
        QtStateFiles files(folder);
        Fixture next(QStringLiteral("3-c"), &files);
        next.messages.answerNext(Reply::Cancel);
        next.messages.answerNext(Reply::Cancel);
        if (path.isEmpty())
            next.load();
        else
            next.open(path, "int a;\n");
        QCOMPARE(next.messages.calls.size(), offered);
        QStringList texts;
        for (const QString &name : files.names())
            texts.append(QString::fromUtf8(files.read(name, Recovery::largestFileBytes).value_or("(unreadable)")));
        QCOMPARE(texts.size(), offered);
        const auto holds = [&texts](const char *word) {
            return std::count_if(texts.cbegin(), texts.cend(), [word](const QString &t) { return t.contains(QLatin1String(word)); });
        };
        QCOMPARE(holds("BRAVO "), 1);
        QCOMPARE(holds("ALPHA "), offered - 1);
    }

    void offeredWhenOpenedByAnyRoute_data()
    {
        QTest::addColumn<QString>("route");
        QTest::newRow("Open dialog") << QStringLiteral("dialog");
        QTest::newRow("dropped on the editor") << QStringLiteral("drop");
        QTest::newRow("a compiler message's file") << QStringLiteral("message");
    }

    void offeredWhenOpenedByAnyRoute()
    {
        QFETCH(QString, route);
        Fixture f;
        f.files.files.insert(helloPath, "int a;\n");
        f.store.files.insert(ownName(helloPath, QStringLiteral("9-x")), keptWithDisk(helloPath, "7 0 1", "int kept;\n"));
        // Started without a file; the question then is put off.
        f.messages.answerNext(Reply::Cancel);
        f.load();
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls.first().text,
                 question(QStringLiteral("KVN found unsaved changes to /home/user/project/hello.cpp from 14 March 2026, "
                                         "09:26. Open it and recover them?")));
        f.messages.answerNext(Reply::Yes);
        if (route == QLatin1String("dialog")) {
            f.dialogs.pickNext(helloPath);
            f.form.document.mnuOpen_Click();
        } else if (route == QLatin1String("drop")) {
            f.form.document.Text1_OLEDragDrop({helloPath});
        } else {
            QVERIFY(f.form.document.openFile(helloPath, false));
        }
        QCOMPARE(f.messages.calls.size(), 2);
        QCOMPARE(f.messages.calls.last().text,
                 question(QStringLiteral("KVN found unsaved changes to /home/user/project/hello.cpp from 14 March 2026, "
                                         "09:26. Recover them?")));
        QCOMPARE(f.Text1.text(), QStringLiteral("int kept;\r\n"));
        QCOMPARE(f.form.state.FileSaved, false);
        QCOMPARE(f.store.files.keys(), QStringList{ownName(helloPath)});
    }

    void neverOverwrittenBeforeItIsOffered_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("another copy's file") << ownName(helloPath, QStringLiteral("9-x"));
        QTest::newRow("a first version's file") << keptName(helloPath);
    }

    void neverOverwrittenBeforeItIsOffered()
    {
        QFETCH(QString, name);
        Fixture f;
        const QByteArray bytes = kept(helloPath, "int kept;\n");
        f.store.files.insert(name, bytes);
        f.files.files.insert(helloPath, "int a;\n");
        // Put off at the start and again when the file is opened.
        f.messages.answerNext(Reply::Cancel);
        f.messages.answerNext(Reply::Cancel);
        f.load();
        f.dialogs.pickNext(helloPath);
        f.form.document.mnuOpen_Click();
        QCOMPARE(f.messages.calls.size(), 2);
        f.Text1.type(QStringLiteral("x"));
        QVERIFY(f.timer.tick());
        f.form.Form_Terminate();
        QCOMPARE(f.store.files.value(name), bytes);
        QVERIFY(f.store.files.value(ownName(helloPath)).endsWith("\n\nxint a;\n"));
    }

    void offeredAtStartWhateverDocumentIsShown_data()
    {
        QTest::addColumn<QString>("keptPath");
        QTest::addColumn<bool>("keptExists");
        QTest::addColumn<QString>("startOn");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("document");
        const QString other = QStringLiteral("/home/user/project/other.cpp");
        QTest::newRow("moved or deleted file, started without one")
            << other << false << QString()
            << QStringLiteral("KVN found unsaved changes to /home/user/project/other.cpp from 14 March 2026, 09:26, "
                              "but that file is no longer there. Recover them as a new document?")
            << QString();
        QTest::newRow("moved or deleted file, started on another")
            << other << false << helloPath
            << QStringLiteral("KVN found unsaved changes to /home/user/project/other.cpp from 14 March 2026, 09:26, "
                              "but that file is no longer there. Recover them as a new document?")
            << QString();
        QTest::newRow("another file, started on hello.cpp")
            << other << true << helloPath
            << QStringLiteral("KVN found unsaved changes to /home/user/project/other.cpp from 14 March 2026, 09:26. "
                              "Open it and recover them?")
            << other;
        QTest::newRow("new document, started on hello.cpp")
            << QString() << false << helloPath
            << QStringLiteral("KVN found unsaved changes to a new document from 14 March 2026, 09:26. Recover them?")
            << QString();
    }

    void offeredAtStartWhateverDocumentIsShown()
    {
        QFETCH(QString, keptPath);
        QFETCH(bool, keptExists);
        QFETCH(QString, startOn);
        QFETCH(QString, question);
        QFETCH(QString, document);
        Fixture f;
        const QString name = ownName(keptPath, QStringLiteral("9-x"));
        f.store.files.insert(name, keptWithDisk(keptPath, keptPath.isEmpty() ? "none" : "7 0 1", "int kept;\n"));
        if (keptExists)
            f.files.files.insert(keptPath, "int a;\n");
        if (startOn.isEmpty())
            f.load();
        else
            f.open(startOn, "int hello;\n");
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls.first().text, ::question(question));
        QCOMPARE(f.Text1.text(), QStringLiteral("int kept;\r\n"));
        QCOMPARE(f.form.state.currFilename, document);
        QCOMPARE(f.form.state.FileSaved, false);
        QCOMPARE(f.store.files.keys(), QStringList{ownName(document)});
    }

    void severalOfferedOneAfterAnother()
    {
        Fixture f;
        const QString gone = QStringLiteral("/home/user/project/gone.cpp");
        f.store.files.insert(ownName(gone, QStringLiteral("5-e")), keptWithDisk(gone, "9 0 1", "int two;\n"));
        f.store.files.insert(ownName(QString(), QStringLiteral("6-f")), keptWithDisk(QString(), "none", "int one;\n"));
        // Both taken; the first is saved when the second replaces it.
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(Reply::Yes);
        f.dialogs.pickNext(QStringLiteral("/home/user/project/two.cpp"), 1);
        f.load();
        QCOMPARE(f.messages.titles(), (QStringList{QStringLiteral("Unsaved changes found"),
                                                   QStringLiteral("Unsaved changes found"),
                                                   QStringLiteral("Would you like to save your file?"),
                                                   QStringLiteral("File saved.")}));
        QCOMPARE(f.files.files.value(QStringLiteral("/home/user/project/two.cpp")), QByteArray("int two;\n"));
        QCOMPARE(f.Text1.text(), QStringLiteral("int one;\r\n"));
        QCOMPARE(f.form.state.currFilename, QString());
        QCOMPARE(f.store.files.keys(), QStringList{ownName(QString())});
    }

    void aFileChangedOnDiskSinceIsAskedAbout_data()
    {
        QTest::addColumn<QByteArray>("disk");
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("text");
        QTest::newRow("the same file") << QByteArray("7 0 1") << Reply::Yes << false << QStringLiteral("int kept;\r\n");
        QTest::newRow("written since, Yes") << QByteArray("7 5 1") << Reply::Yes << true << QStringLiteral("int kept;\r\n");
        QTest::newRow("written since, No") << QByteArray("7 5 1") << Reply::No << true << QStringLiteral("int a;\r\n");
        QTest::newRow("another size") << QByteArray("8 0 1") << Reply::Yes << true << QStringLiteral("int kept;\r\n");
        QTest::newRow("another file in its place") << QByteArray("7 0 2") << Reply::Yes << true << QStringLiteral("int kept;\r\n");
        QTest::newRow("no file then") << QByteArray("none") << Reply::Yes << true << QStringLiteral("int kept;\r\n");
    }

    void aFileChangedOnDiskSinceIsAskedAbout()
    {
        QFETCH(QByteArray, disk);
        QFETCH(Reply, reply);
        QFETCH(bool, asked);
        QFETCH(QString, text);
        Fixture f;
        const QString name = ownName(helloPath, QStringLiteral("9-x"));
        f.store.files.insert(name, keptWithDisk(helloPath, disk, "int kept;\n"));
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(reply);
        f.open(helloPath, "int a;\n");
        QCOMPARE(f.messages.calls.size(), asked ? 2 : 1);
        if (asked) {
            const FakeMessages::Call &call = f.messages.calls.at(1);
            QCOMPARE(call.text, QStringLiteral("/home/user/project/hello.cpp was changed on disk after KVN kept your "
                                               "unsaved changes to it.\rRecover them anyway? Saving them then replaces "
                                               "the newer file; No keeps the kept copy for later."));
            QCOMPARE(call.title, QStringLiteral("File changed on disk"));
            QCOMPARE(call.buttons, Buttons::YesNo);
        }
        QCOMPARE(f.Text1.text(), text);
        QCOMPARE(f.form.state.FileSaved, reply == Reply::No);
        if (reply == Reply::No) {
            QCOMPARE(f.store.files.keys(), QStringList{name});
            QVERIFY(recoveryClaims(f.store).isEmpty());
        }
    }

    void whetherTheFileOnDiskChanged_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<qint64>("modifiedNs");
        QTest::addColumn<bool>("changed");
        // 2026-03-14T09:26:00Z
        const qint64 keptNs = QDateTime(QDate(2026, 3, 14), QTime(9, 26), Qt::UTC).toMSecsSinceEpoch() * 1000000;
        QTest::newRow("first version, written before") << kept(helloPath, "x") << true << keptNs - 1 << false;
        QTest::newRow("first version, written after") << kept(helloPath, "x") << true << keptNs + 1000000 << true;
        QTest::newRow("first version, file gone") << kept(helloPath, "x") << false << qint64(0) << false;
        QTest::newRow("same stamp") << keptWithDisk(helloPath, "7 5 9", "x") << true << qint64(5) << false;
        QTest::newRow("another time") << keptWithDisk(helloPath, "7 5 9", "x") << true << qint64(6) << true;
        QTest::newRow("file gone") << keptWithDisk(helloPath, "7 5 9", "x") << false << qint64(0) << true;
        QTest::newRow("no file then, none now") << keptWithDisk(helloPath, "none", "x") << false << qint64(0) << false;
    }

    void whetherTheFileOnDiskChanged()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, exists);
        QFETCH(qint64, modifiedNs);
        QFETCH(bool, changed);
        const std::optional<RecoveryFile::Content> content = RecoveryFile::unpack(file);
        QVERIFY(content);
        const std::optional<FileSystem::Stamp> now =
            exists ? std::optional<FileSystem::Stamp>(FileSystem::Stamp{7, modifiedNs, 9, 12345, 0100644}) : std::nullopt;
        QCOMPARE(RecoveryFile::diskChangedSince(*content, now), changed);
    }

    void readsOnlyFilesItKnows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("first version") << kept(helloPath, "int a;\n") << true << helloPath << QByteArray("int a;\n");
        QTest::newRow("this version") << keptWithDisk(helloPath, "1 2 3", "int a;\n") << true << helloPath
                                      << QByteArray("int a;\n");
        QTest::newRow("text with empty lines") << keptWithDisk(QString(), "none", "a\n\n\nb") << true << QString()
                                               << QByteArray("a\n\n\nb");
        QTest::newRow("a field this version does not know")
            << QByteArray("KVN recovery file\nversion: 2\npath: /a.c\ncolour: blue\ndate: 2026-03-14T09:26:00Z\n\nx") << true
            << QStringLiteral("/a.c") << QByteArray("x");
        QTest::newRow("a later version") << QByteArray(keptWithDisk(helloPath, "1 2 3", "x")).replace("version: 2", "version: 3")
                                         << false << QString() << QByteArray();
        QTest::newRow("a disk field out of shape") << keptWithDisk(helloPath, "1 2", "x") << false << QString() << QByteArray();
        QTest::newRow("no date") << QByteArray("KVN recovery file\npath: /a.c\n\nx") << false << QString() << QByteArray();
        QTest::newRow("a field twice") << QByteArray("KVN recovery file\npath: /a.c\npath: /b.c\ndate: 2026-03-14T09:26:00Z\n\nx")
                                       << false << QString() << QByteArray();
        QTest::newRow("not a recovery file") << QByteArray("int a;\n\nint b;\n") << false << QString() << QByteArray();
    }

    void readsOnlyFilesItKnows()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, read);
        QFETCH(QString, path);
        QFETCH(QByteArray, text);
        const std::optional<RecoveryFile::Content> content = RecoveryFile::unpack(file);
        QCOMPARE(content.has_value(), read);
        if (read) {
            QCOMPARE(content->path, path);
            QCOMPARE(content->text, text);
        }
    }

    void namesOfRecoveryFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("recovery");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("instance");
        const QString hash = hashOf(helloPath);
        QTest::newRow("a copy's file") << hash + QStringLiteral(".12-ab.recovery") << true << hash << QStringLiteral("12-ab");
        QTest::newRow("a copy's new document") << QStringLiteral("new-document.12-ab.recovery") << true
                                               << QStringLiteral("new-document") << QStringLiteral("12-ab");
        QTest::newRow("first version's file") << hash + QStringLiteral(".recovery") << true << hash << QString();
        QTest::newRow("first version's new document") << QStringLiteral("new-document.recovery") << true
                                                      << QStringLiteral("new-document") << QString();
        QTest::newRow("a short hash") << QStringLiteral("abc.recovery") << false << QString() << QString();
        QTest::newRow("upper case instance") << hash + QStringLiteral(".AB.recovery") << false << QString() << QString();
        QTest::newRow("settings") << QStringLiteral("kvn.txt") << false << QString() << QString();
    }

    void namesOfRecoveryFiles()
    {
        QFETCH(QString, name);
        QFETCH(bool, recovery);
        QFETCH(QString, key);
        QFETCH(QString, instance);
        const std::optional<RecoveryFile::Name> parsed = RecoveryFile::parseName(name);
        QCOMPARE(parsed.has_value(), recovery);
        if (recovery) {
            QCOMPARE(parsed->key, key);
            QCOMPARE(parsed->instance, instance);
        }
    }

    void anInstanceNameIsAValidPartOfAFileName()
    {
        const QString instance = Recovery::newInstance();
        QVERIFY(instance.startsWith(QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')));
        const std::optional<RecoveryFile::Name> parsed = RecoveryFile::parseName(RecoveryFile::name(helloPath, instance));
        QVERIFY(parsed);
        QCOMPARE(parsed->instance, instance);
        QVERIFY(Recovery::newInstance() != instance);
    }

    void aFileTooLargeIsLeftAloneAndToldOnce_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("offered");
        QTest::newRow("at the limit") << Recovery::largestFileBytes << true;
        QTest::newRow("over the limit") << Recovery::largestFileBytes + 1 << false;
    }

    void aFileTooLargeIsLeftAloneAndToldOnce()
    {
        QFETCH(qint64, size);
        QFETCH(bool, offered);
        QVERIFY(Recovery::largestFileBytes >= Document::largestFileBytes);
        QVERIFY(Recovery::largestFileBytes < 2 * Document::largestFileBytes);
        Fixture f;
        const QString name = ownName(helloPath, QStringLiteral("9-x"));
        f.store.files.insert(name, keptWithDisk(helloPath, "7 0 1", "int kept;\n"));
        f.store.sizes.insert(name, size);
        f.messages.answerNext(Reply::Cancel);
        f.open(helloPath, "int a;\n");
        QCOMPARE(f.messages.calls.size(), 1);
        if (offered) {
            QCOMPARE(f.messages.calls.first().buttons, Buttons::YesNoCancel);
            return;
        }
        QCOMPARE(f.messages.calls.first().text,
                 QStringLiteral("KVN found unsaved changes kept in /home/user/.local/state/kvn/%1, but at 1025 MB they are "
                                "too large to offer.\rThe file has been left as it is.")
                     .arg(name));
        QCOMPARE(f.messages.calls.first().buttons, Buttons::Ok);
        QVERIFY(!f.store.reads.contains(name));
        QVERIFY(f.store.files.contains(name));
        QVERIFY(recoveryClaims(f.store).isEmpty());
        // Opened again, nothing more is said.
        QVERIFY(f.form.document.openFile(helloPath));
        QCOMPARE(f.messages.calls.size(), 1);
    }

    void aFolderThatCannotBeWrittenIsToldOncePerFailure()
    {
        Fixture f;
        f.open(helloPath, "int a;\n");
        f.store.failWrites = QStringLiteral("Permission denied");
        f.Text1.type(QStringLiteral("a"));
        QVERIFY(f.timer.tick()); // the write that fails
        QVERIFY(f.messages.calls.isEmpty());
        QVERIFY(f.timer.tick());
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls.first().text,
                 QStringLiteral("KVN cannot keep a copy of your unsaved text in /home/user/.local/state/kvn:\r"
                                "Permission denied.\rYour text is still here; save it to keep it."));
        QCOMPARE(f.messages.calls.first().title, QStringLiteral("Unsaved text not kept"));
        // Not again on every tick or every failed write.
        for (int i = 0; i < 3; ++i) {
            f.Text1.type(QStringLiteral("b"));
            QVERIFY(f.timer.tick());
        }
        QCOMPARE(f.messages.calls.size(), 1);
        // Once writes work again, a new failure is told again.
        f.store.failWrites.clear();
        f.Text1.type(QStringLiteral("c"));
        QVERIFY(f.timer.tick());
        QVERIFY(f.timer.tick());
        QCOMPARE(f.messages.calls.size(), 1);
        f.store.failWrites = QStringLiteral("No space left on device");
        f.Text1.type(QStringLiteral("d"));
        QVERIFY(f.timer.tick());
        QVERIFY(f.timer.tick());
        QCOMPARE(f.messages.calls.size(), 2);
        QVERIFY(f.messages.calls.last().text.contains(QStringLiteral("No space left on device.")));
    }

    void aRealFolderThatCannotBeMadeIsTold()
    {
        QTemporaryDir home;
        QFile blocker(home.filePath(QStringLiteral("state")));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder's parent should be
        blocker.close();
        QtStateFiles files(home.filePath(QStringLiteral("state/kvn")));
        Fixture f(QStringLiteral("1111"), &files);
        f.open(helloPath, "int a;\n");
        f.Text1.type(QStringLiteral("a"));
        QVERIFY(f.timer.tick());
        files.finish();
        QVERIFY(f.timer.tick());
        QVERIFY(f.timer.tick());
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls.first().text,
                 QStringLiteral("KVN cannot keep a copy of your unsaved text in %1:\rNot a directory.\r"
                                "Your text is still here; save it to keep it.")
                     .arg(files.folder()));
    }

    void leftoversOfCutWritesAreClearedAtStart()
    {
        Fixture f;
        f.load();
        QCOMPARE(f.store.leftoverSweeps, 1);
        // Opening a file later does not sweep again.
        f.files.files.insert(helloPath, "int a;\n");
        QVERIFY(f.form.document.openFile(helloPath));
        QCOMPARE(f.store.leftoverSweeps, 1);
    }

    void theFileShownIsMarkedForOtherCopies()
    {
        Fixture f;
        f.open(helloPath, "int a;\n");
        const QString mark = hashOf(helloPath) + QStringLiteral(".1111.shown");
        QCOMPARE(f.store.claimed, QStringList{mark});
        f.form.document.mnuNew_Click();
        f.Text1.type(QStringLiteral("x"));
        QVERIFY(f.timer.tick());
        QCOMPARE(f.store.claimed, QStringList{ownName(QString())});
    }

    void aFileARunningCopyShowsIsNotOfferedAtStart_data()
    {
        QTest::addColumn<bool>("stillShown");
        QTest::newRow("shown by a running copy") << true;
        QTest::newRow("that copy has ended") << false;
    }

    void aFileARunningCopyShowsIsNotOfferedAtStart()
    {
        QFETCH(bool, stillShown);
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("kvn"));
        const QString other = QStringLiteral("/home/user/project/other.cpp");
        const QString name = ownName(other, QStringLiteral("9-x"));
        auto showingFiles = std::make_unique<QtStateFiles>(folder);
        auto showing = std::make_unique<Fixture>(QStringLiteral("1-a"), showingFiles.get());
        showing->open(other, "int a;\n");
        showingFiles->write(name, [other] { return keptWithDisk(other, "7 0 1", "int kept;\n"); });
        showingFiles->finish();
        if (!stillShown) {
            showing.reset();
            showingFiles.reset();
        }
        QtStateFiles files(folder);
        Fixture next(QStringLiteral("2-b"), &files);
        next.files.files.insert(other, "int a;\n");
        next.load();
        QCOMPARE(next.messages.calls.size(), stillShown ? 0 : 1);
        // Opened here as well, it is offered all the same.
        if (stillShown) {
            next.messages.answerNext(Reply::Cancel);
            QVERIFY(next.form.document.openFile(other));
            QCOMPARE(next.messages.calls.size(), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
