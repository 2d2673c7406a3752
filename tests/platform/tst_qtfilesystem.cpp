#include "platform/qt/qtfilesystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

    void currentFolderEndsWithASlash()
    {
        QVERIFY(m_fs.currentFolder().endsWith(QLatin1Char('/')));
        QCOMPARE(QDir(m_fs.currentFolder()), QDir::current());
    }
};

QTEST_GUILESS_MAIN(TestQtFileSystem)
#include "tst_qtfilesystem.moc"
