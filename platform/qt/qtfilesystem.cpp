#include "qtfilesystem.h"

#include "folderentries.h"
#include "writeall.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <stdio.h> // renameat2

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

QString display(const QByteArray &path)
{
    return QFile::decodeName(path);
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

FileSystem::WriteResult failed(int error)
{
    return {false, reason(error)};
}

// A failure about another file than the one the caller named.
FileSystem::WriteResult failedAt(const QByteArray &path, int error)
{
    return {false, QStringLiteral("%1: %2").arg(display(path), reason(error))};
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// Makes what is written in the folder (a new name, a removed one) outlast a
// crash of the machine, as fsync does for a file's content.
bool syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Follows the symbolic links at the end of path, however many, to the name
// they end at, as realpath does; that name need not exist yet.
std::optional<QByteArray> followLinks(QByteArray path, int &error)
{
    for (int links = 0; links < 40; ++links) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0)
            return path; // the file is made there; a missing folder fails later with its reason
        if (!S_ISLNK(info.st_mode))
            return path;
        QByteArray to(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.constData(), to.data(), size_t(to.size()));
        if (n < 0 || n >= to.size()) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return std::nullopt;
        }
        to.truncate(n);
        path = to.startsWith('/') ? to : folderOf(path) + '/' + to;
    }
    error = ELOOP;
    return std::nullopt;
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

std::optional<QByteArray> readFromStart(int fd, qint64 expected)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return std::nullopt;
    return readFd(fd, expected, FileSystem::noLimit);
}

// Puts exactly bytes into the open file, from its start, and onto the disk.
bool overwrite(int fd, const QByteArray &bytes)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0
           && ::fsync(fd) == 0;
}

// Whether name in folder is still the file open as fd, so that removing it
// removes what this program made and nothing put in its place since.
bool stillNamed(const QByteArray &name, int fd)
{
    struct stat byName {};
    struct stat byFd {};
    return ::lstat(name.constData(), &byName) == 0 && ::fstat(fd, &byFd) == 0 && byName.st_dev == byFd.st_dev
           && byName.st_ino == byFd.st_ino;
}

bool isTemporaryOf(const QByteArray &entry, const QByteArray &name)
{
    const QByteArray prefix = name + ".kvn-";
    if (entry.size() != prefix.size() + 6 || !entry.startsWith(prefix) || entry.endsWith("backup"))
        return false;
    for (qsizetype i = prefix.size(); i < entry.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(entry[i])))
            return false;
    }
    return true;
}

bool isBackupOf(const QByteArray &entry, const QByteArray &name)
{
    const QByteArray backup = name + ".kvn-backup";
    return entry == backup || (entry.size() == backup.size() + 7 && entry.startsWith(backup + '-'));
}

// Temporary files of saves of target that a crash left: each is locked by
// the save writing it, so one that can be locked belongs to no running save.
void removeStaleTemporaries(const QByteArray &target)
{
    const QByteArray folder = folderOf(target);
    const QByteArray name = nameOf(target);
    const QList<QByteArray> stale = folderEntries(folder, [&name](const QByteArray &entry) { return isTemporaryOf(entry, name); });
    for (const QByteArray &entry : stale) {
        const QByteArray path = folder + '/' + entry;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid()
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(path, fd)) {
            ::unlink(path.constData());
        }
        ::close(fd);
    }
}

// Writes bytes into a new file beside target and renames it over target,
// so that a reader sees the old file or the new one, never a part. Whatever
// target is (a file, a symbolic link) is replaced, not followed.
struct Replaced
{
    FileSystem::WriteResult result;
    bool madeTemporary = true; // false when no file could be made beside target
};

// Durability::Scratch skips the syncs: the program's own scratch files (a
// compile's script, its results, the window's place) must never be seen
// half written, but need not outlast a crash of the machine, and a sync
// costs a compile up to tens of milliseconds on a real disk.
enum class Durability { Lasting, Scratch };

Replaced replaceAtomically(const QByteArray &target, const QByteArray &bytes, mode_t mode, gid_t group,
                           const std::function<void(QtFileSystem::SaveStep)> &step,
                           Durability durability = Durability::Lasting)
{
    const bool lasting = durability == Durability::Lasting;
    removeStaleTemporaries(target);
    // mkostemp makes the file 0600, exclusively: never through a name
    // that exists, a planted link included.
    QByteArray temporary = target + ".kvn-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return {failed(errno), false};
    ::flock(fd, LOCK_EX); // tells a later save that this file is being written
    bool written = writeAll(fd, bytes) && (!lasting || ::fsync(fd) == 0);
    int error = errno;
    // Best effort: a group the user is not in stays the folder's. The mode
    // comes after the group, which would drop set-ID bits.
    if (written && group != gid_t(-1)) {
        [[maybe_unused]] const int grouped = ::fchown(fd, uid_t(-1), group);
    }
    if (written && (::fchmod(fd, mode) != 0 || (lasting && ::fsync(fd) != 0))) {
        written = false;
        error = errno;
    }
    if (written && step)
        step(QtFileSystem::SaveStep::TemporaryWritten);
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.constData());
        return {failed(error)};
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        error = errno;
        ::unlink(temporary.constData());
        return {failed(error)};
    }
    // The new name is only lasting once the folder is on disk too.
    if (lasting && !syncFolder(folderOf(target)))
        return {failedAt(folderOf(target), errno)};
    return {};
}

// The user's own folder for backups of files whose folder takes no new
// file: $XDG_STATE_HOME/kvn/backups, or ~/.local/state/kvn/backups. Made on
// first use, 0700; empty when it cannot be made or is not the user's alone.
QByteArray backupFolderElsewhere()
{
    QByteArray state = qgetenv("XDG_STATE_HOME");
    if (!state.startsWith('/'))
        state = native(QDir::homePath()) + "/.local/state";
    const QByteArray folder = state + "/kvn/backups";
    for (const QByteArray &level : {state, state + "/kvn", folder}) {
        if (::mkdir(level.constData(), 0700) != 0 && errno != EEXIST)
            return {};
    }
    struct stat info {};
    if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()
        || (info.st_mode & 077) != 0)
        return {};
    return folder;
}

// The name, in the folder above, of the backup of target: unique to the
// whole path, readable for the user.
QByteArray backupNameElsewhere(const QByteArray &target)
{
    const QByteArray absolute = native(QDir::cleanPath(QDir::current().absoluteFilePath(display(target))));
    const QByteArray hash = QCryptographicHash::hash(absolute, QCryptographicHash::Sha256).toHex().left(16);
    return hash + '-' + nameOf(absolute).left(100);
}

struct Backup
{
    QByteArray path;
    int fd = -1;
    int error = 0;
    bool made = false; // a file was made, but its content could not be written
};

// Gives the whole file at temporary the name wanted, or another name beside
// it when that one is taken: never replacing a file that holds a name.
bool publishWithoutReplacing(const QByteArray &temporary, const QByteArray &wanted, QByteArray &named)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        named = wanted;
        if (attempt > 0) {
            static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
            named += '-';
            for (int i = 0; i < 6; ++i)
                named += letters[QRandomGenerator::system()->bounded(int(sizeof letters - 1))];
        }
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, named.constData(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno == EINVAL || errno == ENOSYS) {
            // A file system without the exclusive rename: a new link is
            // exclusive too.
            if (::link(temporary.constData(), named.constData()) == 0) {
                ::unlink(temporary.constData());
                return true;
            }
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

// Makes the backup of target, holding content: 0600, exclusively, never
// through a name that exists. It is written under a temporary name (locked,
// as a save's temporary is, so that a later save clears it when a kill cut
// it short) and takes the backup's name only once it is whole and on disk:
// a backup found later is always a whole copy. A backup left by an earlier
// save keeps its name; this one takes a fresh name beside it.
Backup makeBackup(const QByteArray &folder, const QByteArray &name, const QByteArray &content,
                  const std::function<void(QtFileSystem::SaveStep)> &step)
{
    Backup backup;
    backup.path = folder + '/' + name + ".kvn-backup";
    removeStaleTemporaries(folder + '/' + name);
    QByteArray temporary = folder + '/' + name + ".kvn-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        backup.error = errno;
        return backup;
    }
    backup.made = true;
    ::flock(fd, LOCK_EX);
    // Read back through its own descriptor: what it holds is what KVN
    // wrote, whoever can rename files in its folder.
    bool whole = overwrite(fd, content);
    int error = errno;
    if (whole && readFromStart(fd, content.size()) != content) {
        whole = false;
        error = EIO;
    }
    if (whole && step)
        step(QtFileSystem::SaveStep::BackupWritten);
    QByteArray named;
    if (whole && !publishWithoutReplacing(temporary, backup.path, named)) {
        whole = false;
        error = errno;
    }
    if (!whole) {
        ::unlink(temporary.constData());
        ::close(fd);
        backup.error = error;
        return backup;
    }
    backup.path = named;
    backup.fd = fd;
    return backup;
}

bool isFolderRefusal(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Rewrites target in place, keeping its inode, its other names and its
// owner. The old content waits in a private backup copy, on disk before the
// file is touched, until the new content reads back whole.
FileSystem::WriteResult rewriteInPlace(const QByteArray &target, const QByteArray &requested, const QByteArray &bytes,
                                       const std::function<void(QtFileSystem::SaveStep)> &step)
{
    const auto aboutTarget = [&](int error) { return target == requested ? failed(error) : failedAt(target, error); };
    const int fd = ::open(target.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return aboutTarget(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return aboutTarget(EINVAL);
    }
    // The old content is what this descriptor reads, whatever is renamed
    // into the file's place meanwhile.
    const std::optional<QByteArray> old = readFromStart(fd, info.st_size);
    if (!old) {
        const int error = errno;
        ::close(fd);
        return aboutTarget(error);
    }
    Backup backup = makeBackup(folderOf(target), nameOf(target), *old, step);
    if (backup.fd < 0 && !backup.made && isFolderRefusal(backup.error)) {
        if (const QByteArray elsewhere = backupFolderElsewhere(); !elsewhere.isEmpty())
            backup = makeBackup(elsewhere, backupNameElsewhere(target), *old, step);
    }
    if (backup.fd < 0) {
        ::close(fd);
        return {false, QStringLiteral("its backup copy %1 cannot be %2: %3")
                           .arg(display(backup.path), backup.made ? QStringLiteral("written") : QStringLiteral("made"),
                                reason(backup.error))};
    }
    if (!syncFolder(folderOf(backup.path))) {
        const int error = errno;
        ::unlink(backup.path.constData());
        ::close(backup.fd);
        ::close(fd);
        return {false, QStringLiteral("its backup copy %1 cannot be written: %2").arg(display(backup.path), reason(error))};
    }
    if (step)
        step(QtFileSystem::SaveStep::BackupKept);

    const auto finish = [&](FileSystem::WriteResult result) {
        if (stillNamed(backup.path, backup.fd))
            ::unlink(backup.path.constData());
        ::close(backup.fd);
        ::close(fd);
        return result;
    };
    int error = 0;
    const qsizetype half = bytes.size() / 2;
    if (::lseek(fd, 0, SEEK_SET) != 0 || !writeAll(fd, QByteArray::fromRawData(bytes.constData(), half))) {
        error = errno;
    } else {
        if (step)
            step(QtFileSystem::SaveStep::FileHalfWritten);
        if (!writeAll(fd, QByteArray::fromRawData(bytes.constData() + half, bytes.size() - half)) || ::ftruncate(fd, off_t(bytes.size())) != 0 || ::fsync(fd) != 0)
            error = errno;
        else if (readFromStart(fd, bytes.size()) != bytes)
            error = EIO;
    }
    if (error == 0) {
        if (step)
            step(QtFileSystem::SaveStep::FileRewritten);
        return finish({});
    }
    // The old content goes back; should that fail too, the backup stays.
    if (overwrite(fd, *old))
        return finish(aboutTarget(error));
    ::close(backup.fd);
    ::close(fd);
    FileSystem::WriteResult result = aboutTarget(error);
    result.error += QStringLiteral("; its old content is kept in %1").arg(display(backup.path));
    result.fileUnchanged = false;
    return result;
}

} // namespace

QtFileSystem::QtFileSystem()
{
    ScratchFolder::removeStale();
}

QtFileSystem::~QtFileSystem() = default;

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
    return Stamp{info.st_size, qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, quint64(info.st_ino),
                 qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec, quint32(info.st_mode)};
}

FileSystem::WriteResult QtFileSystem::write(const QString &path, const QByteArray &bytes)
{
    const QByteArray requested = native(path);
    int linkError = 0;
    const std::optional<QByteArray> followed = followLinks(requested, linkError);
    if (!followed)
        return {false, QStringLiteral("the symbolic link cannot be followed to a file: %1").arg(reason(linkError))};
    const QByteArray &target = *followed;
    const auto aboutTarget = [&](const QString &why) {
        return WriteResult{false, target == requested ? why : QStringLiteral("%1: %2").arg(display(target), why)};
    };
    struct stat existing {};
    if (::stat(target.constData(), &existing) != 0) {
        Replaced made = replaceAtomically(target, bytes, newFileMode(), gid_t(-1), m_saveStep);
        // No file could be made in the folder: the folder is what to name.
        if (!made.madeTemporary)
            made.result.error = QStringLiteral("%1: %2").arg(display(folderOf(target)), made.result.error);
        else if (!made.result.ok && target != requested)
            made.result.error = QStringLiteral("%1: %2").arg(display(target), made.result.error);
        return made.result;
    }
    if (S_ISDIR(existing.st_mode))
        return aboutTarget(QStringLiteral("It is a folder"));
    if (!S_ISREG(existing.st_mode))
        return aboutTarget(QStringLiteral("It is not a regular file but a pipe, a device or a socket"));
    // Replacing goes through the folder, so a read-only file would be
    // replaced without complaint; it must refuse as a write to it would.
    // A file with no write permission for anyone counts as read-only even
    // for an administrator, who could otherwise write it regardless.
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0 || !(existing.st_mode & 0222))
        return aboutTarget(QStringLiteral("The file is read-only"));
    // A new file would drop the other names of a hard-linked file, and
    // would belong to whoever saves it.
    if (existing.st_nlink > 1 || existing.st_uid != ::geteuid())
        return rewriteInPlace(target, requested, bytes, m_saveStep);
    Replaced replaced = replaceAtomically(target, bytes, existing.st_mode & 07777, existing.st_gid, m_saveStep);
    // A file the user may write in a folder that takes no new file is
    // rewritten where it is instead.
    if (!replaced.madeTemporary)
        return rewriteInPlace(target, requested, bytes, m_saveStep);
    if (!replaced.result.ok && target != requested)
        replaced.result.error = QStringLiteral("%1: %2").arg(display(target), replaced.result.error);
    return replaced.result;
}

QStringList QtFileSystem::leftoverBackups(const QString &path) const
{
    int error = 0;
    const std::optional<QByteArray> target = followLinks(native(path), error);
    if (!target)
        return {};
    QStringList found;
    const QByteArray folder = folderOf(*target);
    const QByteArray name = nameOf(*target);
    for (const QByteArray &entry : folderEntries(folder, [&name](const QByteArray &e) { return isBackupOf(e, name); }))
        found.append(display(folder + '/' + entry));
    // Only looked into, not made, when it is not there.
    QByteArray state = qgetenv("XDG_STATE_HOME");
    if (!state.startsWith('/'))
        state = native(QDir::homePath()) + "/.local/state";
    const QByteArray elsewhere = state + "/kvn/backups";
    const QByteArray elsewhereName = backupNameElsewhere(*target);
    for (const QByteArray &entry :
         folderEntries(elsewhere, [&elsewhereName](const QByteArray &e) { return isBackupOf(e, elsewhereName); })) {
        found.append(display(elsewhere + '/' + entry));
    }
    return found;
}

FileSystem::WriteResult QtFileSystem::replace(const QString &path, const QByteArray &bytes)
{
    return replaceAtomically(native(path), bytes, newFileMode() & 0644, gid_t(-1), {}, Durability::Scratch).result;
}

QString QtFileSystem::scratchFolder()
{
    return m_scratch.path();
}
