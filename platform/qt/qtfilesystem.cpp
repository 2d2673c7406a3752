#include "qtfilesystem.h"

#include "writeall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

FileSystem::WriteResult failed(int error)
{
    return {false, reason(error)};
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes bytes into a new file beside target and renames it over target,
// so that a reader sees the old file or the new one, never a part. Whatever
// target is (a file, a symbolic link) is replaced, not followed.
FileSystem::WriteResult replaceAtomically(const QByteArray &target, const QByteArray &bytes, mode_t mode, gid_t group)
{
    QByteArray temporary = target + ".kvn-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    const bool written = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    // Best effort: a group the user is not in stays the folder's.
    if (group != gid_t(-1) && ::fchown(fd, uid_t(-1), group) != 0)
        errno = writeError;
    if (::close(fd) != 0 || !written) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.constData());
        return failed(error);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failed(error);
    }
    return {};
}

std::optional<QByteArray> readFd(int fd, qint64 expected, qint64 limit)
{
    QByteArray bytes;
    if (expected > 0)
        bytes.reserve(limit >= 0 ? qMin(expected, limit + 1) : expected);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
        // A size reported as 0 (or wrongly) is no bound; this is.
        if (limit >= 0 && bytes.size() > limit)
            return std::nullopt;
    }
}

// Rewrites target in place, keeping its inode, its other names and its
// owner. The old content waits in a copy beside it until the new content
// reads back whole.
FileSystem::WriteResult rewriteInPlace(const QByteArray &target, const QByteArray &bytes, const struct stat &info)
{
    const int in = ::open(target.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return failed(errno);
    const std::optional<QByteArray> old = readFd(in, info.st_size, FileSystem::noLimit);
    ::close(in);
    if (!old)
        return failed(EIO);
    const QByteArray backup = target + ".kvn-backup";
    if (const FileSystem::WriteResult kept = replaceAtomically(backup, *old, info.st_mode & 07777, gid_t(-1)); !kept.ok)
        return kept;
    const auto writeOver = [&target](const QByteArray &content) -> int {
        const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0)
            return errno;
        const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
        const int error = errno;
        ::close(fd);
        return written ? 0 : error;
    };
    int error = writeOver(bytes);
    if (error == 0) {
        const int check = ::open(target.constData(), O_RDONLY | O_CLOEXEC);
        const std::optional<QByteArray> back = check >= 0 ? readFd(check, bytes.size(), FileSystem::noLimit) : std::nullopt;
        if (check >= 0)
            ::close(check);
        if (back && *back == bytes) {
            ::unlink(backup.constData());
            return {};
        }
        error = EIO;
    }
    // The old content goes back; should that fail too, the copy stays.
    if (writeOver(*old) == 0) {
        ::unlink(backup.constData());
        return failed(error);
    }
    return {false, reason(error) + QStringLiteral("; the old content is kept in ") + QFile::decodeName(backup)};
}

} // namespace

QtFileSystem::~QtFileSystem()
{
    if (!m_scratch.isEmpty())
        QDir(m_scratch).removeRecursively();
}

QString QtFileSystem::currentFolder() const
{
    QString folder = QDir::currentPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool QtFileSystem::exists(const QString &path) const
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool QtFileSystem::remove(const QString &path)
{
    return QFile::remove(path);
}

bool QtFileSystem::isExecutable(const QString &path) const
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

std::optional<qint64> QtFileSystem::size(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return std::nullopt;
    return info.size();
}

QString QtFileSystem::whyNotAFile(const QString &path) const
{
    struct stat info {};
    if (::stat(native(path).constData(), &info) != 0)
        return errno == ENOENT ? QStringLiteral("there is no such file") : reason(errno);
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is not a regular file but a pipe, a device or a socket");
    return {};
}

QString QtFileSystem::whyNotYoursAlone(const QString &path) const
{
    struct stat info {};
    if (::stat(native(path).constData(), &info) != 0)
        return reason(errno);
    if (info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("other users may change it");
    return {};
}

std::optional<QByteArray> QtFileSystem::read(const QString &path, qint64 limit) const
{
    // Opened without waiting, so that a pipe with no writer cannot hang the
    // program; only a regular file is read.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = readFd(fd, info.st_size, limit);
    ::close(fd);
    return bytes;
}

std::optional<FileSystem::Stamp> QtFileSystem::stamp(const QString &path) const
{
    struct stat info {};
    if (::stat(native(path).constData(), &info) != 0)
        return std::nullopt;
    return Stamp{info.st_size, qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, quint64(info.st_ino)};
}

FileSystem::WriteResult QtFileSystem::write(const QString &path, const QByteArray &bytes)
{
    // Write through a symbolic link to the file it names, so the link stays.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    // Replacing goes through the folder, so a read-only file would be
    // replaced without complaint; it must refuse as a write to it would.
    // A file with no write permission for anyone counts as read-only even
    // for an administrator, who could otherwise write it regardless.
    const QFileInfo targetInfo(target);
    const QFileDevice::Permissions anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (targetInfo.exists() && (!targetInfo.isWritable() || !(targetInfo.permissions() & anyWrite)))
        return {false, QStringLiteral("The file is read-only")};
    struct stat existing {};
    const QByteArray nativeTarget = native(target);
    if (::stat(nativeTarget.constData(), &existing) != 0)
        return replaceAtomically(nativeTarget, bytes, newFileMode(), gid_t(-1));
    if (S_ISDIR(existing.st_mode))
        return {false, QStringLiteral("It is a folder")};
    // A new file would drop the other names of a hard-linked file, and
    // would belong to whoever saves it.
    if (existing.st_nlink > 1 || existing.st_uid != ::geteuid())
        return rewriteInPlace(nativeTarget, bytes, existing);
    return replaceAtomically(nativeTarget, bytes, existing.st_mode & 07777, existing.st_gid);
}

FileSystem::WriteResult QtFileSystem::replace(const QString &path, const QByteArray &bytes)
{
    return replaceAtomically(native(path), bytes, newFileMode() & 0644, gid_t(-1));
}

QString QtFileSystem::scratchFolder()
{
    if (!m_scratch.isEmpty())
        return m_scratch;
    // The user's runtime folder is private already; /tmp is not, but the
    // folder made there is the user's alone (mode 0700).
    QByteArray base = qgetenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (base.isEmpty() || ::stat(base.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        base = "/tmp";
    QByteArray folder = base + "/kvn-XXXXXX";
    if (!::mkdtemp(folder.data()))
        return {};
    m_scratch = QFile::decodeName(folder) + QLatin1Char('/');
    return m_scratch;
}
