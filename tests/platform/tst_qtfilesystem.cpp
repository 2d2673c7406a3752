#include "platform/qt/qtfilesystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestQtFileSystem : public QObject
{
    Q_OBJECT

private:
    QtFileSystem m_fs;

    static void put(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
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

    void failedWriteKeepsTheOldFile()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kvn.txt"));
        put(path, "old");
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const FileSystem::WriteResult result = m_fs.write(path, "new");
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(m_fs.read(path), std::optional<QByteArray>("old"));
    }

    void missingFolderFails()
    {
        QTemporaryDir dir;
        const FileSystem::WriteResult result = m_fs.write(dir.filePath(QStringLiteral("no/such/kvn.txt")), "x");
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
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

    // A saved file keeps its other names and its owner.
    void writeKeepsHardLinksAndTheOwner()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.cpp"));
        const QString other = dir.filePath(QStringLiteral("b.cpp"));
        put(path, "old text");
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        const std::optional<FileSystem::Stamp> before = m_fs.stamp(path);
        QVERIFY(m_fs.write(path, "new text").ok);
        QCOMPARE(m_fs.read(other), std::optional<QByteArray>("new text"));
        QCOMPARE(m_fs.stamp(path)->inode, before->inode);
        QVERIFY(!QFile::exists(path + QStringLiteral(".kvn-backup")));
        if (root)
            QCOMPARE(QFileInfo(path).ownerId(), 65534u);
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

    void currentFolderEndsWithASlash()
    {
        QVERIFY(m_fs.currentFolder().endsWith(QLatin1Char('/')));
        QCOMPARE(QDir(m_fs.currentFolder()), QDir::current());
    }
};

QTEST_GUILESS_MAIN(TestQtFileSystem)
#include "tst_qtfilesystem.moc"
