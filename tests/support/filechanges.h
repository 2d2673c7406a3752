#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Changes to files as another program would make them, for the tests of what
// tells one state of a file from another.
namespace FileChanges {

inline qint64 changedNs(const struct stat &info)
{
    return qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
}

// The change time follows a coarse clock: waits, a few milliseconds at most,
// until a change made now gets a later change time than since.
inline void waitForTheChangeClock(const QString &folder, qint64 since)
{
    const QByteArray probe = QFile::encodeName(folder + QStringLiteral("/clock-probe"));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    QDeadlineTimer deadline(2000);
    struct stat info {};
    do {
        QCOMPARE(::fchmod(fd, 0600), 0);
        QCOMPARE(::fstat(fd, &info), 0);
    } while (changedNs(info) <= since && !deadline.hasExpired());
    ::close(fd);
    ::unlink(probe.constData());
    QVERIFY(!deadline.hasExpired());
}

// Writes bytes over the start of the file, keeping its inode, and sets its
// modification time back, so that with bytes of the file's size its size,
// time and inode are as before.
inline void rewriteKeepingTheTime(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    QCOMPARE(::stat(name.constData(), &before), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
    file.close();
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
}

} // namespace FileChanges
