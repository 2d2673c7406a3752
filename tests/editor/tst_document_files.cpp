#include "editorfixture.h"

#include "support/compilefixture.h"
#include "editor/document.h"
#include "platform/fake/fakefiledialogs.h"
#include "platform/fake/fakemessages.h"
#include "platform/qt/qtfilesystem.h"
#include "support/filechanges.h"
#include "support/forkedchild.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

// Saving through the real file system: a read-only file is refused and left
// alone, a symbolic link is saved through to its target, permissions stay.
class TestDocumentFiles : public QObject
{
    Q_OBJECT

private:
    struct Fixture : EditorFixture
    {
        QtFileSystem files;
        FakeMessages messages;
        FakeFileDialogs dialogs;
        FakeMenuItem mnuFileSaved{false};
        FakeFileSystem unusedFiles;
        CompileFixture panel{messages, dialogs, unusedFiles};
        Document document{state, controls, ex, {files, messages, dialogs, panel.locations}, mnuFileSaved};

        bool open(const QString &path)
        {
            QString p = path;
            return document.OpenSourceFile(Document::OpenMode::LoadGiven, p, {});
        }
    };

    QTemporaryDir m_dir;

    QString put(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return path;
    }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void readOnlyFileIsNotReplaced()
    {
        const QString path = put(QStringLiteral("ro.cpp"), "int a;\r\n");
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        Fixture f;
        QVERIFY(f.open(path));
        f.box.type(QStringLiteral("x"));
        f.document.mnuSave_Click();
        QCOMPARE(contents(path), QByteArray("int a;\r\n"));
        QVERIFY(!f.state.FileSaved);
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File not saved")});
        QVERIFY(f.messages.calls[0].text.contains(QStringLiteral("read-only")));
        QCOMPARE(QFileInfo(path).permissions() & QFileDevice::WriteOwner, QFileDevice::Permissions());
    }

    void linkIsSavedThroughAndPermissionsStay()
    {
        const QString target = put(QStringLiteral("real.c"), "int b;\n");
        const QString link = m_dir.filePath(QStringLiteral("link.c"));
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QVERIFY(QFile::link(target, link));
        Fixture f;
        QVERIFY(f.open(link));
        f.box.type(QStringLiteral("/* x */ "));
        f.document.mnuSave_Click();
        QVERIFY(f.state.FileSaved);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contents(target), QByteArray("/* x */ int b;\n"));
        QVERIFY(QFileInfo(target).permissions().testFlag(QFileDevice::ExeOwner));
        // No temporary file is left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2 + 1); // real.c, link.c, ro.cpp
    }

    // KVN killed while it saves a hard-linked file in place, at each moment
    // that leaves something behind: the file is whole or its old content is
    // whole in the backup, which the next open tells of. Keeping the file
    // keeps the backup through the next save; taking the backup's text and
    // saving it brings the old content back and then removes the backup.
    void killedSaveIsToldOfOnTheNextOpen_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("fileAfter"); // empty: neither old nor new
        QTest::addColumn<int>("answer");
        const QByteArray old = "int old_text_of_the_file;\n";
        const QByteArray fresh = "long new;\n";
        for (const auto &[name, answer] : {std::pair{"keep the file", Reply::No}, std::pair{"take the backup", Reply::Yes}}) {
            QTest::addRow("backup kept, %s", name) << int(QtFileSystem::SaveStep::BackupKept) << old << int(answer);
            QTest::addRow("half written, %s", name) << int(QtFileSystem::SaveStep::FileHalfWritten) << QByteArray() << int(answer);
            QTest::addRow("rewritten, %s", name) << int(QtFileSystem::SaveStep::FileRewritten) << fresh << int(answer);
        }
    }

    void killedSaveIsToldOfOnTheNextOpen()
    {
        QFETCH(int, step);
        QFETCH(QByteArray, fileAfter);
        QFETCH(int, answer);
        const QByteArray old = "int old_text_of_the_file;\n";
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.c"));
        const QString backup = path + QStringLiteral(".kvn-backup");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(dir.filePath(QStringLiteral("b.c"))).constData()), 0);

        const ForkedChild child = ForkedChild::run([&](int) {
            QtFileSystem files;
            files.onSaveStep([step](QtFileSystem::SaveStep now) {
                if (int(now) == step)
                    ::kill(::getpid(), SIGKILL);
            });
            files.write(path, "long new;\n");
        });
        QVERIFY(WIFSIGNALED(child.status) && WTERMSIG(child.status) == SIGKILL);
        const QByteArray onDisk = contents(path);
        if (fileAfter.isEmpty())
            QVERIFY2(onDisk != old && onDisk != "long new;\n", onDisk.constData());
        else
            QCOMPARE(onDisk, fileAfter);
        QCOMPARE(contents(backup), old);

        Fixture f;
        f.messages.answerNext(Reply(answer));
        QVERIFY(f.open(path));
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("Backup found")});
        QVERIFY(f.messages.calls[0].text.contains(backup));
        const bool taken = Reply(answer) == Reply::Yes;
        QCOMPARE(f.state.FileSaved, !taken);
        QCOMPARE(contents(path), onDisk);

        f.box.setSelectionStart(0);
        f.box.type(QStringLiteral("// kept\r\n"));
        f.document.mnuSave_Click();
        QVERIFY(f.state.FileSaved);
        QCOMPARE(contents(path), "// kept\n" + (taken ? old : onDisk));
        QCOMPARE(QFileInfo::exists(backup), !taken);
        if (!taken)
            QCOMPARE(contents(backup), old);
        // The save made a backup of its own beside the one kept, and
        // removed only its own.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), taken ? 2 : 3);
    }

    // The owner of a file that root edits swaps its content in place for
    // content of the same size, sets its time back or makes it set-user-ID:
    // the save asks before overwriting, and the backup made when the user
    // goes on is root's own, 0600, and runs as nothing.
    void ownersSwapIsNoticed_data()
    {
        QTest::addColumn<bool>("swap");
        QTest::addColumn<bool>("setUid");
        QTest::newRow("same size and time") << true << false;
        QTest::newRow("made set-user-ID") << false << true;
    }

    void ownersSwapIsNoticed()
    {
        QFETCH(bool, swap);
        QFETCH(bool, setUid);
        if (::geteuid() != 0)
            QSKIP("only root can edit another user's file");
        const QString path = put(QStringLiteral("tool.c"), "int a;\n");
        const QByteArray name = QFile::encodeName(path);
        QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
        QCOMPARE(::chmod(name.constData(), 0755), 0);
        Fixture f;
        QVERIFY(f.open(path));
        FileChanges::waitForTheChangeClock(m_dir.path(), f.files.stamp(path)->changedNs);
        if (swap)
            FileChanges::rewriteKeepingTheTime(path, "int b;\n");
        if (setUid)
            QCOMPARE(::chmod(name.constData(), 04755), 0);
        f.box.type(QStringLiteral("x"));

        f.messages.answerNext(Reply::No);
        f.document.mnuSave_Click();
        QCOMPARE(f.messages.titles(), QStringList{QStringLiteral("File changed on disk")});
        QVERIFY(!f.state.FileSaved);
        QCOMPARE(contents(path), swap ? QByteArray("int b;\n") : QByteArray("int a;\n"));

        struct stat backup {};
        bool seen = false;
        f.files.onSaveStep([&](QtFileSystem::SaveStep step) {
            if (step == QtFileSystem::SaveStep::BackupKept)
                seen = ::lstat(QFile::encodeName(path + QStringLiteral(".kvn-backup")).constData(), &backup) == 0;
        });
        f.messages.answerNext(Reply::Yes);
        f.document.mnuSave_Click();
        QVERIFY(f.state.FileSaved);
        QVERIFY(seen);
        QCOMPARE(backup.st_mode & 07777, mode_t(0600));
        QCOMPARE(backup.st_uid, uid_t(0));
        QCOMPARE(QFileInfo(path).ownerId(), 65534u);
        QVERIFY(!QFileInfo::exists(path + QStringLiteral(".kvn-backup")));
    }
};

QTEST_GUILESS_MAIN(TestDocumentFiles)
#include "tst_document_files.moc"
