#include "qtstatefiles.h"

#include "writeall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QtGlobal>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A descriptor closed when it goes out of scope.
struct Descriptor
{
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

QtStateFiles::QtStateFiles(QString folder)
    : m_folder(std::move(folder))
{
}

QtStateFiles::~QtStateFiles()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    // The claims hold until the last write is done.
    for (const Claim &claim : std::as_const(m_claims))
        ::close(claim.fd);
}

QString QtStateFiles::defaultFolder(const QProcessEnvironment &environment)
{
    QString state = environment.value(QStringLiteral("XDG_STATE_HOME"));
    if (!QDir::isAbsolutePath(state))
        state = environment.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/kvn"));
}

void QtStateFiles::post(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (!m_worker.joinable())
            m_worker = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void QtStateFiles::run()
{
    // The worker gives way to the window's thread when both want the CPU:
    // typing matters more than a file that is only a safety net.
    ::setpriority(PRIO_PROCESS, pid_t(::gettid()), 10);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        // Jobs still queued when the program ends are done first: they are
        // the user's text.
        if (m_jobs.empty())
            return;
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        job();
        lock.lock();
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

void QtStateFiles::write(const QString &name, std::function<QByteArray()> produce)
{
    post([this, name, produce = std::move(produce)] {
        const QString error = writeNow(name, produce());
        if (!error.isEmpty())
            qWarning("KVN could not write %s in %s: %s", qPrintable(name), qPrintable(m_folder), qPrintable(error));
        std::lock_guard lock(m_mutex);
        m_writeError = error.isEmpty() ? std::nullopt : std::optional<QString>(error);
    });
}

std::optional<QString> QtStateFiles::writeError()
{
    std::lock_guard lock(m_mutex);
    return m_writeError;
}

void QtStateFiles::remove(const QString &name)
{
    post([this, name] { removeNow(name); });
}

void QtStateFiles::finish()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

std::optional<qint64> QtStateFiles::size(const QString &name)
{
    finish();
    const Descriptor folder(openFolder(false));
    struct stat info;
    if (folder.fd < 0 || ::fstatat(folder.fd, QFile::encodeName(name).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
        || !S_ISREG(info.st_mode))
        return std::nullopt;
    return qint64(info.st_size);
}

std::optional<QByteArray> QtStateFiles::read(const QString &name, qint64 limit)
{
    finish();
    const Descriptor folder(openFolder(false));
    if (folder.fd < 0)
        return std::nullopt;
    const Descriptor file(::openat(folder.fd, QFile::encodeName(name).constData(),
                                   O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat info;
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > limit)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(qsizetype(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return bytes;
        // A file that grows while it is read is still held to the limit.
        if (bytes.size() + got > limit)
            return std::nullopt;
        bytes.append(buffer, got);
    }
}

QStringList QtStateFiles::names()
{
    finish();
    QStringList result;
    const int fd = openFolder(false);
    if (fd < 0)
        return result;
    DIR *dir = ::fdopendir(fd); // takes the descriptor
    if (!dir) {
        ::close(fd);
        return result;
    }
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        struct stat info;
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            result.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
    result.sort();
    return result;
}

void QtStateFiles::removeLeftovers()
{
    post([this] { removeLeftoversNow(); });
}

void QtStateFiles::removeLeftoversNow() const
{
    const int fd = openFolder(false);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    QList<QByteArray> leftovers;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith('.'))
            continue;
        struct stat target;
        // A mark for a name that is no file is a leftover of a copy that
        // ended without letting go of it.
        if (name.endsWith(".tmp")
            || (name.endsWith(".claim")
                && ::fstatat(::dirfd(dir), name.mid(1).chopped(6).constData(), &target, AT_SYMLINK_NOFOLLOW) != 0))
            leftovers.append(name);
    }
    for (const QByteArray &name : std::as_const(leftovers)) {
        const Descriptor file(::openat(::dirfd(dir), name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        struct stat opened;
        struct stat named;
        // The writer holds its lock from the file's making to its rename,
        // a copy its mark until it lets go; one this copy can lock has
        // nobody. The name must still be the file locked: a writer may
        // have put a new one there meanwhile.
        if (file.fd < 0 || ::fstat(file.fd, &opened) != 0 || !S_ISREG(opened.st_mode)
            || ::flock(file.fd, LOCK_EX | LOCK_NB) != 0
            || ::fstatat(::dirfd(dir), name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0
            || named.st_ino != opened.st_ino || named.st_dev != opened.st_dev)
            continue;
        ::unlinkat(::dirfd(dir), name.constData(), 0);
    }
    ::closedir(dir);
}

int QtStateFiles::openFolder(bool create, QString *why) const
{
    const auto fail = [why](const QString &reason) {
        if (why)
            *why = reason;
        return -1;
    };
    const QByteArray path = QFile::encodeName(m_folder);
    if (create && ::mkdir(path.constData(), 0700) != 0 && errno == ENOENT) {
        // Folders missing on the way (~/.local/state on a new account) are
        // made private too, as the base directory rules ask; folders that
        // exist keep their modes.
        QStringList missing;
        for (QString up = QFileInfo(m_folder).path(); !QFileInfo::exists(up); up = QFileInfo(up).path())
            missing.prepend(up);
        for (const QString &folder : std::as_const(missing))
            ::mkdir(QFile::encodeName(folder).constData(), 0700);
        ::mkdir(path.constData(), 0700);
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        struct stat link;
        if (::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            return fail(QStringLiteral("it is a symbolic link"));
        return fail(reason);
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
        ::close(fd);
        return fail(QStringLiteral("the folder belongs to another user"));
    }
    if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return fail(reason);
    }
    return fd;
}

QString QtStateFiles::writeNow(const QString &name, const QByteArray &bytes) const
{
    QString why;
    const Descriptor folder(openFolder(true, &why));
    if (folder.fd < 0)
        return why;
    const QByteArray target = QFile::encodeName(name);
    // The process id keeps two copies of the program from sharing a
    // temporary file; a leftover of this one, from a run that was killed
    // mid-write, is cleared first.
    const QByteArray temporary = '.' + target + '.' + QByteArray::number(::getpid()) + ".tmp";
    const auto systemError = [] { return QString::fromLocal8Bit(std::strerror(errno)); };
    int fd = -1;
    // Another copy clearing leftovers may take the file between its making
    // and its lock; it is then made again.
    for (int attempt = 0; attempt < 3 && fd < 0; ++attempt) {
        ::unlinkat(folder.fd, temporary.constData(), 0);
        fd = ::openat(folder.fd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return systemError();
        struct stat info;
        if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &info) != 0 || info.st_nlink == 0) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0)
        return QStringLiteral("its temporary file was taken away");
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    QString error = ok ? QString() : systemError();
    // The rename puts a new file in the name's place; a link there is
    // replaced, not followed. The lock goes with the descriptor, after it.
    if (ok && ::renameat(folder.fd, temporary.constData(), folder.fd, target.constData()) != 0) {
        ok = false;
        error = systemError();
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = systemError();
    }
    if (!ok) {
        ::unlinkat(folder.fd, temporary.constData(), 0);
        return error;
    }
    ::fsync(folder.fd);
    return {};
}

void QtStateFiles::removeNow(const QString &name) const
{
    const Descriptor folder(openFolder(false));
    if (folder.fd < 0)
        return;
    if (::unlinkat(folder.fd, QFile::encodeName(name).constData(), 0) == 0)
        ::fsync(folder.fd);
}

namespace {

QByteArray claimName(const QString &name)
{
    return '.' + QFile::encodeName(name) + ".claim";
}

} // namespace

bool QtStateFiles::claim(const QString &name)
{
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_claims.find(name);
        if (it != m_claims.end()) {
            it->releasing = false;
            return true;
        }
    }
    const Descriptor folder(openFolder(true));
    if (folder.fd < 0)
        return false;
    const int fd = ::openat(folder.fd, claimName(name).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_claims.insert(name, Claim{fd, false});
    return true;
}

bool QtStateFiles::claimedByAnother(const QString &prefix)
{
    const int fd = openFolder(false);
    if (fd < 0)
        return false;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    QList<QByteArray> marks;
    const QByteArray start = '.' + QFile::encodeName(prefix);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith(start) && name.endsWith(".claim"))
            marks.append(name);
    }
    QSet<QByteArray> own;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_claims.cbegin(); it != m_claims.cend(); ++it)
            own.insert(claimName(it.key()));
    }
    bool found = false;
    for (const QByteArray &name : std::as_const(marks)) {
        if (own.contains(name))
            continue;
        const Descriptor mark(::openat(::dirfd(dir), name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        if (mark.fd >= 0 && ::flock(mark.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

void QtStateFiles::release(const QString &name)
{
    bool idle = false;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_claims.find(name);
        if (it == m_claims.end())
            return;
        it->releasing = true;
        idle = m_jobs.empty() && !m_busy;
    }
    // Only this thread adds jobs, so an idle worker stays idle meanwhile.
    if (idle)
        releaseNow(name);
    else
        post([this, name] { releaseNow(name); });
}

void QtStateFiles::releaseNow(const QString &name)
{
    // All under the lock, so that a claim() made meanwhile either keeps the
    // mark or finds it wholly gone, never half let go.
    std::lock_guard lock(m_mutex);
    const auto it = m_claims.find(name);
    if (it == m_claims.end() || !it->releasing)
        return;
    // Removed while still locked: a copy that looks after this makes a new
    // lock file of its own.
    const Descriptor folder(openFolder(false));
    if (folder.fd >= 0)
        ::unlinkat(folder.fd, claimName(name).constData(), 0);
    ::close(it->fd);
    m_claims.erase(it);
}
