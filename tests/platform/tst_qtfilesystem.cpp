#include "platform/qt/qtfilesystem.h"
#include "support/filechanges.h"
#include "support/forkedchild.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QByteArray nat(const QString &path)
{
    return QFile::encodeName(path);
}

struct Lstat
{
    bool found = false;
    struct stat info {};
};

Lstat lstatOf(const QString &path)
{
    Lstat result;
    result.found = ::lstat(nat(path).constData(), &result.info) == 0;
    return result;
}

using Child = ForkedChild;

Child inChild(const std::function<void(int out)> &body)
{
    return ForkedChild::run(body);
}

void say(int out, const QString &text)
{
    ForkedChild::say(out, nat(text));
}

} // namespace

class TestQtFileSystem : public QObject
{
    Q_OBJECT

private:
    QtFileSystem m_fs;
    QTemporaryDir m_runtime; // the user's runtime folder, for the scratch folders made here

    static void put(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", nat(m_runtime.path()));
    }

    void writeReadRemove()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral(".hidden"));
        QVERIFY(!m_fs.exists(path));
        QVERIFY(m_fs.write(path, QByteArray("a\r\nb\0c", 6)).ok);
        QVERIFY(m_fs.exists(path));
        QCOMPARE(m_fs.read(path), std::optional<QByteArray>(QByteArray("a\r\nb\0c", 6)));
        QVERIFY(m_fs.remove(path));
        QVERIFY(!m_fs.exists(path));
        QVERIFY(!m_fs.remove(path));
        QCOMPARE(m_fs.read(path), std::nullopt);
        // A folder is not a file.
        QVERIFY(!m_fs.exists(dir.path()));
    }

    // A file in a folder that takes no new file is rewritten in place, its
    // backup kept in the user's own folder; when that folder cannot be made
    // either, the save fails, names the backup and leaves the file alone.
    void readOnlyFolder_data()
    {
        QTest::addColumn<bool>("stateFolderUsable");
        QTest::newRow("saved in place") << true;
        QTest::newRow("no place for a backup") << false;
    }

    void readOnlyFolder()
    {
        QFETCH(bool, stateFolderUsable);
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QTemporaryDir dir;
        QTemporaryDir state;
        const QString path = dir.filePath(QStringLiteral("kvn.txt"));
        put(path, "old");
        const QString blocker = state.filePath(QStringLiteral("not-a-folder"));
        put(blocker, "");
        const QByteArray stateHome = nat(stateFolderUsable ? state.path() : blocker);
        const QByteArray savedState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", stateHome);
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const FileSystem::WriteResult result = m_fs.write(path, "new");
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_STATE_HOME", savedState);
        QCOMPARE(result.ok, stateFolderUsable);
        QCOMPARE(m_fs.read(path), std::optional<QByteArray>(stateFolderUsable ? "new" : "old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kvn.txt")});
        if (stateFolderUsable) {
            QVERIFY(m_fs.leftoverBackups(path).isEmpty());
        } else {
            QVERIFY2(result.error.contains(QStringLiteral("kvn.txt.kvn-backup")), qPrintable(result.error));
        }
    }

    void missingFolderFails()
    {
        QTemporaryDir dir;
        const FileSystem::WriteResult result = m_fs.write(dir.filePath(QStringLiteral("no/such/kvn.txt")), "x");
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
    }

    // A failure names the file it is about when that is not the file saved:
    // the folder it goes in, or the file a link leads to.
    void failuresNameTheirFile_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("named"); // empty: the error names no other file
        QTest::addColumn<QString>("why");
        QTest::newRow("missing folder") << "no/such/a.c" << "no/such" << "No such file or directory";
        QTest::newRow("link to a folder") << "to-folder" << "folder" << "It is a folder";
        QTest::newRow("link to a pipe") << "to-pipe" << "pipe" << "It is not a regular file";
        QTest::newRow("a folder itself") << "folder" << "" << "It is a folder";
    }

    void failuresNameTheirFile()
    {
        QFETCH(QString, saved);
        QFETCH(QString, named);
        QFETCH(QString, why);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        QCOMPARE(::mkfifo(nat(dir.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("folder")), dir.filePath(QStringLiteral("to-folder"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("pipe")), dir.filePath(QStringLiteral("to-pipe"))));

        const FileSystem::WriteResult result = m_fs.write(dir.filePath(saved), "x");

        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(why), qPrintable(result.error));
        if (named.isEmpty())
            QVERIFY2(!result.error.contains(dir.path()), qPrintable(result.error));
        else
            QVERIFY2(result.error.startsWith(dir.filePath(named) + QStringLiteral(": ")), qPrintable(result.error));
    }

    void writesThroughALinkAndKeepsPermissions()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("real.cpp"));
        const QString link = dir.filePath(QStringLiteral("link.cpp"));
        put(target, "old");
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        QVERIFY(QFile::link(target, link));

        QVERIFY(m_fs.write(link, "new").ok);

        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(m_fs.read(target), std::optional<QByteArray>("new"));
        QVERIFY(QFileInfo(target).permissions().testFlag(QFileDevice::ExeOwner));
    }

    // Only regular files are read: a pipe with no writer or a device would
    // hang the program or fill its memory.
    void readsRegularFilesOnly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("pipe") << "fifo" << "it is not a regular file but a pipe, a device or a socket";
        QTest::newRow("endless device") << "/dev/zero" << "it is not a regular file but a pipe, a device or a socket";
        QTest::newRow("folder") << "folder" << "it is a folder";
        QTest::newRow("nothing") << "missing" << "there is no such file";
    }

    void readsRegularFilesOnly()
    {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        QTemporaryDir dir;
        QString path = kind.startsWith(u'/') ? kind : dir.filePath(kind);
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(kind));
        QCOMPARE(m_fs.whyNotAFile(path), why);
        QCOMPARE(m_fs.read(path, 1 << 20), std::nullopt);
    }

    void readIsBoundedWhateverTheSize()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a"));
        put(path, QByteArray(100, 'x'));
        QCOMPARE(m_fs.read(path, 99), std::nullopt);
        QCOMPARE(m_fs.read(path, 100)->size(), 100);
        QVERIFY(m_fs.whyNotAFile(path).isEmpty());
    }

    // A scratch file is never written through a link someone planted.
    void replaceTakesTheNamesPlaceWithoutFollowingALink()
    {
        QTemporaryDir dir;
        const QString victim = dir.filePath(QStringLiteral("victim.cpp"));
        const QString planted = dir.filePath(QStringLiteral("results.txt"));
        put(victim, "precious");
        QVERIFY(QFile::link(victim, planted));
        QVERIFY(m_fs.replace(planted, "output").ok);
        QCOMPARE(m_fs.read(victim), std::optional<QByteArray>("precious"));
        QVERIFY(!QFileInfo(planted).isSymLink());
        QCOMPARE(m_fs.read(planted), std::optional<QByteArray>("output"));
    }

    // A saved file keeps its other names and its owner; each is a reason of
    // its own to rewrite the file in place.
    void writeKeepsHardLinksAndTheOwner_data()
    {
        QTest::addColumn<bool>("hardLinked");
        QTest::addColumn<bool>("othersFile");
        QTest::newRow("hard link") << true << false;
        QTest::newRow("another owner") << false << true;
    }

    void writeKeepsHardLinksAndTheOwner()
    {
        QFETCH(bool, hardLinked);
        QFETCH(bool, othersFile);
        if (othersFile && ::geteuid() != 0)
            QSKIP("only root can save another user's file");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.cpp"));
        const QString other = dir.filePath(QStringLiteral("b.cpp"));
        put(path, "old text");
        if (hardLinked)
            QCOMPARE(::link(nat(path).constData(), nat(other).constData()), 0);
        if (othersFile)
            QCOMPARE(::chown(nat(path).constData(), 65534, 65534), 0);
        const std::optional<FileSystem::Stamp> before = m_fs.stamp(path);
        QVERIFY(m_fs.write(path, "new text").ok);
        if (hardLinked)
            QCOMPARE(m_fs.read(other), std::optional<QByteArray>("new text"));
        QCOMPARE(m_fs.read(path), std::optional<QByteArray>("new text"));
        QCOMPARE(m_fs.stamp(path)->inode, before->inode);
        QVERIFY(m_fs.leftoverBackups(path).isEmpty());
        QCOMPARE(QFileInfo(path).ownerId(), othersFile ? 65534u : uint(::geteuid()));
    }

    // The backup of an in-place save is the saver's alone and can run as
    // nothing, whatever the file's mode (set-user-ID included).
    void backupIsPrivate_data() { writeKeepsHardLinksAndTheOwner_data(); }

    void backupIsPrivate()
    {
        QFETCH(bool, hardLinked);
        QFETCH(bool, othersFile);
        if (othersFile && ::geteuid() != 0)
            QSKIP("only root can save another user's file");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tool"));
        put(path, "#!/bin/sh\necho old\n");
        QCOMPARE(::chmod(nat(path).constData(), hardLinked ? 0755 : 04755), 0);
        if (hardLinked)
            QCOMPARE(::link(nat(path).constData(), nat(dir.filePath(QStringLiteral("tool2"))).constData()), 0);
        if (othersFile)
            QCOMPARE(::chown(nat(path).constData(), 65534, 65534), 0);
        QtFileSystem fs;
        QStringList backups;
        Lstat backup;
        fs.onSaveStep([&](QtFileSystem::SaveStep step) {
            if (step != QtFileSystem::SaveStep::BackupKept)
                return;
            backups = fs.leftoverBackups(path);
            if (backups.size() == 1)
                backup = lstatOf(backups.first());
        });
        QVERIFY(fs.write(path, "#!/bin/sh\necho new\n").ok);
        QCOMPARE(backups, QStringList{path + QStringLiteral(".kvn-backup")});
        QVERIFY(backup.found);
        QVERIFY(S_ISREG(backup.info.st_mode));
        QCOMPARE(backup.info.st_mode & 07777, mode_t(0600));
        QCOMPARE(backup.info.st_uid, ::geteuid());
        QVERIFY(!QFileInfo::exists(backups.first()));
    }

    // Whatever is found at the backup's name (a backup an earlier save
    // left, a folder, a link, another user's file) is left as it was, and
    // the save still goes through.
    void backupLeftBehindIsKept_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("earlier backup") << "file";
        QTest::newRow("folder") << "folder";
        QTest::newRow("link to another file") << "link";
        QTest::newRow("another user's file") << "others";
    }

    void backupLeftBehindIsKept()
    {
        QFETCH(QString, kind);
        if (kind == QLatin1String("others") && ::geteuid() != 0)
            QSKIP("only root can make another user's file");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.c"));
        const QString backup = path + QStringLiteral(".kvn-backup");
        const QString victim = dir.filePath(QStringLiteral("victim"));
        put(path, "new text of a crashed save, half");
        QCOMPARE(::link(nat(path).constData(), nat(dir.filePath(QStringLiteral("b.c"))).constData()), 0);
        put(victim, "victim");
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("a.c.kvn-backup")));
        } else if (kind == QLatin1String("link")) {
            QVERIFY(QFile::link(victim, backup));
        } else {
            put(backup, "the only whole old text");
            if (kind == QLatin1String("others"))
                QCOMPARE(::chown(nat(backup).constData(), 65534, 65534), 0);
        }
        const Lstat before = lstatOf(backup);

        const FileSystem::WriteResult result = m_fs.write(path, "newer text");

        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(m_fs.read(path), std::optional<QByteArray>("newer text"));
        const Lstat after = lstatOf(backup);
        QVERIFY(after.found);
        QCOMPARE(after.info.st_ino, before.info.st_ino);
        QCOMPARE(after.info.st_mode, before.info.st_mode);
        QCOMPARE(m_fs.read(victim), std::optional<QByteArray>("victim"));
        if (kind == QLatin1String("file") || kind == QLatin1String("others"))
            QCOMPARE(m_fs.read(backup), std::optional<QByteArray>("the only whole old text"));
        QCOMPARE(m_fs.leftoverBackups(path), QStringList{backup});
    }

    // A save killed at any moment leaves the file whole, old or new, or
    // its old content whole in a backup that the next open is told of;
    // the next save leaves that backup alone.
    void killedSaveLeavesAWholeCopy_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("fileAfter"); // empty: a part of the new content
        QTest::newRow("backup written, not yet named")
            << int(QtFileSystem::SaveStep::BackupWritten) << QByteArray("old text, long enough");
        QTest::newRow("backup kept") << int(QtFileSystem::SaveStep::BackupKept) << QByteArray("old text, long enough");
        QTest::newRow("half written") << int(QtFileSystem::SaveStep::FileHalfWritten) << QByteArray();
        QTest::newRow("rewritten") << int(QtFileSystem::SaveStep::FileRewritten) << QByteArray("new text");
    }

    void killedSaveLeavesAWholeCopy()
    {
        QFETCH(int, step);
        QFETCH(QByteArray, fileAfter);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.c"));
        put(path, "old text, long enough");
        QCOMPARE(::link(nat(path).constData(), nat(dir.filePath(QStringLiteral("b.c"))).constData()), 0);

        const Child child = inChild([&](int) {
            QtFileSystem fs;
            fs.onSaveStep([step](QtFileSystem::SaveStep now) {
                if (int(now) == step)
                    ::kill(::getpid(), SIGKILL);
            });
            fs.write(path, "new text");
        });

        QVERIFY(WIFSIGNALED(child.status));
        QCOMPARE(WTERMSIG(child.status), SIGKILL);
        const QByteArray now = m_fs.read(path).value_or("unreadable");
        if (fileAfter.isEmpty())
            QVERIFY2(now != "old text, long enough" && now != "new text", now.constData());
        else
            QCOMPARE(now, fileAfter);
        // A backup cut short never takes the backup's name: one that is
        // found is whole.
        const QString backup = path + QStringLiteral(".kvn-backup");
        const bool named = step != int(QtFileSystem::SaveStep::BackupWritten);
        QCOMPARE(m_fs.leftoverBackups(path), named ? QStringList{backup} : QStringList{});
        if (named)
            QCOMPARE(m_fs.read(backup), std::optional<QByteArray>("old text, long enough"));

        QVERIFY(m_fs.write(path, "newer text").ok);
        QCOMPARE(m_fs.read(path), std::optional<QByteArray>("newer text"));
        QCOMPARE(m_fs.leftoverBackups(path), named ? QStringList{backup} : QStringList{});
        if (named)
            QCOMPARE(m_fs.read(backup), std::optional<QByteArray>("old text, long enough"));
        // Nothing else of the killed save is left beside the file.
        QStringList expected{QStringLiteral("a.c"), QStringLiteral("b.c")};
        if (named)
            expected.insert(1, QStringLiteral("a.c.kvn-backup"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }

    // The backup of a file in a read-only folder, kept in the user's own
    // folder, is found again after a kill, and only for that file.
    void backupKeptElsewhereIsFoundAfterAKill()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QTemporaryDir dir;
        QTemporaryDir state;
        const QString path = dir.filePath(QStringLiteral("a.c"));
        put(path, "old text");
        put(dir.filePath(QStringLiteral("b.c")), "other");
        const QByteArray savedState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", nat(state.path()));
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const Child child = inChild([&](int) {
            QtFileSystem fs;
            fs.onSaveStep([](QtFileSystem::SaveStep now) {
                if (now == QtFileSystem::SaveStep::FileHalfWritten)
                    ::kill(::getpid(), SIGKILL);
            });
            fs.write(path, "new text, longer than the old");
        });
        const QStringList found = m_fs.leftoverBackups(path);
        const QStringList forOther = m_fs.leftoverBackups(dir.filePath(QStringLiteral("b.c")));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_STATE_HOME", savedState);
        QVERIFY(WIFSIGNALED(child.status));
        QCOMPARE(found.size(), 1);
        QVERIFY2(found.first().startsWith(state.filePath(QStringLiteral("kvn/backups/"))), qPrintable(found.first()));
        QVERIFY(found.first().endsWith(QStringLiteral("-a.c.kvn-backup")));
        QCOMPARE(m_fs.read(found.first()), std::optional<QByteArray>("old text"));
        QCOMPARE(lstatOf(found.first()).info.st_mode & 07777, mode_t(0600));
        QVERIFY(forOther.isEmpty());
    }

    // The temporary file of a save killed before its rename is removed by
    // the next save of the file; a temporary that a running save holds, or
    // that only looks like one, is not.
    void temporaryOfAKilledSaveIsRemoved()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.c"));
        put(path, "old");
        const Child child = inChild([&](int out) {
            QtFileSystem fs;
            fs.onSaveStep([out](QtFileSystem::SaveStep now) {
                if (now == QtFileSystem::SaveStep::TemporaryWritten) {
                    say(out, QStringLiteral("written"));
                    ::kill(::getpid(), SIGKILL);
                }
            });
            fs.write(path, "new");
        });
        QCOMPARE(child.output, QByteArray("written"));
        QCOMPARE(m_fs.read(path), std::optional<QByteArray>("old"));
        const QStringList left = QDir(dir.path()).entryList({QStringLiteral("a.c.kvn-*")}, QDir::Files | QDir::Hidden);
        QCOMPARE(left.size(), 1);
        const QString alike = dir.filePath(QStringLiteral("a.c.kvn-notmp"));
        put(alike, "mine");
        QCOMPARE(::chmod(nat(alike).constData(), 0600), 0);
        // Held by a save that is still running.
        const QString running = dir.filePath(QStringLiteral("a.c.kvn-Run123"));
        put(running, "");
        const int held = ::open(nat(running).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX), 0);

        QVERIFY(m_fs.write(path, "newer").ok);

        // "notmp" has the temporary's form; only the lock tells the two apart.
        QVERIFY(!QFileInfo::exists(dir.filePath(left.first())));
        QVERIFY(QFileInfo::exists(running));
        ::close(held);
        QCOMPARE(m_fs.read(path), std::optional<QByteArray>("newer"));
    }

    // Links are followed to their end, as many as there are.
    void linkChainsAreFollowed_data()
    {
        QTest::addColumn<QStringList>("links"); // each "name>target"; the first is saved
        QTest::addColumn<QString>("written");   // the file that gets the text; empty: the save fails
        QTest::newRow("one link") << QStringList{"a.c>c.txt"} << "c.txt";
        QTest::newRow("chain of two") << QStringList{"a.c>b.txt", "b.txt>c.txt"} << "c.txt";
        QTest::newRow("through a folder") << QStringList{"a.c>sub/b.txt", "sub/b.txt>../c.txt"} << "c.txt";
        QTest::newRow("dangling chain") << QStringList{"a.c>b.txt", "b.txt>new.c"} << "new.c";
        QTest::newRow("loop") << QStringList{"a.c>b.txt", "b.txt>a.c"} << "";
    }

    void linkChainsAreFollowed()
    {
        QFETCH(QStringList, links);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        put(dir.filePath(QStringLiteral("c.txt")), "old");
        for (const QString &link : links) {
            const QStringList parts = link.split(QLatin1Char('>'));
            QCOMPARE(::symlink(nat(parts[1]).constData(), nat(dir.filePath(parts[0])).constData()), 0);
        }

        const FileSystem::WriteResult result = m_fs.write(dir.filePath(QStringLiteral("a.c")), "new");

        QCOMPARE(result.ok, !written.isEmpty());
        for (const QString &link : links)
            QVERIFY2(QFileInfo(dir.filePath(link.section(QLatin1Char('>'), 0, 0))).isSymLink(), qPrintable(link));
        if (written.isEmpty()) {
            QVERIFY(result.error.contains(QStringLiteral("link")));
            QCOMPARE(m_fs.read(dir.filePath(QStringLiteral("c.txt"))), std::optional<QByteArray>("old"));
        } else {
            QCOMPARE(m_fs.read(dir.filePath(written)), std::optional<QByteArray>("new"));
        }
    }

    // A file swapped in place for one of the same size and modification
    // time does not pass for the one read; nor does a change of its mode.
    void stampTellsAnyChange_data()
    {
        QTest::addColumn<bool>("rewrite");
        QTest::addColumn<bool>("chmod");
        QTest::newRow("same size and time") << true << false;
        QTest::newRow("mode only") << false << true;
    }

    void stampTellsAnyChange()
    {
        QFETCH(bool, rewrite);
        QFETCH(bool, chmod);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.c"));
        put(path, "int a;");
        const std::optional<FileSystem::Stamp> before = m_fs.stamp(path);
        QVERIFY(before);
        FileChanges::waitForTheChangeClock(dir.path(), before->changedNs);
        if (rewrite)
            FileChanges::rewriteKeepingTheTime(path, "int b;");
        if (chmod)
            QCOMPARE(::chmod(nat(path).constData(), 04755), 0);
        const std::optional<FileSystem::Stamp> after = m_fs.stamp(path);
        QCOMPARE(after->size, before->size);
        QCOMPARE(after->modifiedNs, before->modifiedNs);
        QCOMPARE(after->inode, before->inode);
        QVERIFY(*after != *before);
    }

    void scratchFoldersArePrivateAndGoWithTheProgram()
    {
        QString first;
        {
            QtFileSystem a;
            QtFileSystem b;
            first = a.scratchFolder();
            QVERIFY(!first.isEmpty());
            QCOMPARE(a.scratchFolder(), first);
            QVERIFY(b.scratchFolder() != first);
            QCOMPARE(QFileInfo(first).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
                     QFileDevice::Permissions());
        }
        QVERIFY(!QFileInfo::exists(first));
    }

    // The scratch folder is made in the user's runtime folder only when
    // that is the user's own and no one else may write in it.
    void scratchFolderIsMadeInAPrivatePlace_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("inRuntimeFolder");
        QTest::newRow("private") << 0700 << true;
        QTest::newRow("readable by others") << 0755 << true;
        QTest::newRow("writable by everyone") << 0777 << false;
        QTest::newRow("writable by the group") << 0770 << false;
    }

    void scratchFolderIsMadeInAPrivatePlace()
    {
        QFETCH(int, mode);
        QFETCH(bool, inRuntimeFolder);
        QTemporaryDir runtime;
        QCOMPARE(::chmod(nat(runtime.path()).constData(), mode_t(mode)), 0);
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", nat(runtime.path()));
        QString folder;
        {
            QtFileSystem fs;
            folder = fs.scratchFolder();
        }
        qputenv("XDG_RUNTIME_DIR", saved);
        QVERIFY(!folder.isEmpty());
        QCOMPARE(folder.startsWith(runtime.path() + QStringLiteral("/kvn-")), inRuntimeFolder);
        if (!inRuntimeFolder)
            QVERIFY(folder.startsWith(QStringLiteral("/tmp/kvn-")));
        QVERIFY(!QFileInfo::exists(folder));
    }

    // A termination signal removes the scratch folder, then has the effect
    // it had before: the program's own handler runs, or the program ends.
    void scratchFolderGoesWithATerminationSignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("ownHandler");
        QTest::addColumn<bool>("handlerLater"); // installed after the folder was made
        QTest::newRow("SIGTERM") << int(SIGTERM) << false << false;
        QTest::newRow("SIGHUP") << int(SIGHUP) << false << false;
        QTest::newRow("SIGINT") << int(SIGINT) << false << false;
        QTest::newRow("SIGTERM, the program's handler") << int(SIGTERM) << true << false;
        QTest::newRow("SIGTERM, the program's handler installed later") << int(SIGTERM) << true << true;
    }

    void scratchFolderGoesWithATerminationSignal()
    {
        QFETCH(int, signal);
        QFETCH(bool, ownHandler);
        QFETCH(bool, handlerLater);
        const Child child = inChild([&](int out) {
            static int reportTo = -1;
            reportTo = out;
            // The test runner's own crash handler is not the program's.
            std::signal(signal, SIG_DFL);
            const auto installHandler = [signal] {
                std::signal(signal, [](int) {
                    say(reportTo, QStringLiteral("|handled"));
                    ::_exit(7);
                });
            };
            if (ownHandler && !handlerLater)
                installHandler();
            QtFileSystem fs;
            QString folder = fs.scratchFolder();
            if (handlerLater) {
                installHandler();
                folder = fs.scratchFolder(); // as the next compile asks for it
            }
            put(folder + QStringLiteral("Run.bat"), "echo");
            QVERIFY(QDir(folder).mkdir(QStringLiteral("inner")));
            put(folder + QStringLiteral("inner/x"), "x");
            say(out, folder);
            ::raise(signal);
            ::_exit(3);
        });
        const QString folder = QFile::decodeName(child.output.split('|').value(0));
        QVERIFY(folder.startsWith(m_runtime.path()));
        QVERIFY(!QFileInfo::exists(folder));
        if (ownHandler) {
            QVERIFY(WIFEXITED(child.status));
            QCOMPARE(WEXITSTATUS(child.status), 7);
            QCOMPARE(child.output.split('|').value(1), QByteArray("handled"));
        } else {
            QVERIFY(WIFSIGNALED(child.status));
            QCOMPARE(WTERMSIG(child.status), signal);
        }
    }

    // The scratch folder of a copy killed outright is removed when the next
    // starts; that of a running copy is not, nor a folder of the same form
    // that is a link, nor another user's.
    void scratchFolderOfAKilledCopyGoesAtTheNextStart()
    {
        const Child child = inChild([](int out) {
            QtFileSystem fs;
            const QString folder = fs.scratchFolder();
            put(folder + QStringLiteral("output.txt"), "out");
            say(out, folder);
            ::kill(::getpid(), SIGKILL);
        });
        const QString killed = QFile::decodeName(child.output);
        QVERIFY(killed.startsWith(m_runtime.path()));
        QVERIFY(QFileInfo::exists(killed + QStringLiteral("output.txt")));
        QtFileSystem running;
        const QString live = running.scratchFolder();
        QTemporaryDir elsewhere;
        put(elsewhere.filePath(QStringLiteral("keep")), "keep");
        const QString link = m_runtime.filePath(QStringLiteral("kvn-Link00"));
        QVERIFY(QFile::link(elsewhere.path(), link));
        const QString others = m_runtime.filePath(QStringLiteral("kvn-Other0"));
        if (::geteuid() == 0) {
            QVERIFY(QDir(m_runtime.path()).mkdir(QStringLiteral("kvn-Other0")));
            QCOMPARE(::chown(nat(others).constData(), 65534, 65534), 0);
        }

        QtFileSystem next;

        QVERIFY(!QFileInfo::exists(killed));
        QVERIFY(QFileInfo::exists(live));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo::exists(elsewhere.filePath(QStringLiteral("keep"))));
        if (::geteuid() == 0)
            QVERIFY(QFileInfo::exists(others));
        QFile::remove(link);
        QDir().rmdir(others);
    }

    void currentFolderEndsWithASlash()
    {
        QVERIFY(m_fs.currentFolder().endsWith(QLatin1Char('/')));
        QCOMPARE(QDir(m_fs.currentFolder()), QDir::current());
    }
};

QTEST_GUILESS_MAIN(TestQtFileSystem)
#include "tst_qtfilesystem.moc"
