#include "qtstatefiles.h"

#include "writeall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtGlobal>

#include <cerrno>
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
    for (const int fd : std::as_const(m_claims))
        ::close(fd);
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
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
        if (!writeNow(name, produce()))
            qWarning("KVN could not write %s in %s", qPrintable(name), qPrintable(m_folder));
    });
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

std::optional<QByteArray> QtStateFiles::read(const QString &name)
{
    finish();
    const Descriptor folder(openFolder(false));
    if (folder.fd < 0)
        return std::nullopt;
    const Descriptor file(::openat(folder.fd, QFile::encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info;
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
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
        bytes.append(buffer, got);
    }
}

int QtStateFiles::openFolder(bool create) const
{
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
    if (fd < 0)
        return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool QtStateFiles::writeNow(const QString &name, const QByteArray &bytes) const
{
    const Descriptor folder(openFolder(true));
    if (folder.fd < 0)
        return false;
    const QByteArray target = QFile::encodeName(name);
    // The process id keeps two copies of the program from sharing a
    // temporary file; a leftover of this one, from a run that was killed
    // mid-write, is cleared first.
    const QByteArray temporary = '.' + target + '.' + QByteArray::number(::getpid()) + ".tmp";
    ::unlinkat(folder.fd, temporary.constData(), 0);
    const int fd = ::openat(folder.fd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    // The rename puts a new file in the name's place; a link there is
    // replaced, not followed.
    if (ok)
        ok = ::renameat(folder.fd, temporary.constData(), folder.fd, target.constData()) == 0;
    if (!ok) {
        ::unlinkat(folder.fd, temporary.constData(), 0);
        return false;
    }
    ::fsync(folder.fd);
    return true;
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
    if (m_claims.contains(name))
        return true;
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
    m_claims.insert(name, fd);
    return true;
}

void QtStateFiles::release(const QString &name)
{
    const auto it = m_claims.constFind(name);
    if (it == m_claims.cend())
        return;
    // Removed while still locked: a copy that looks after this makes a new
    // lock file of its own.
    const Descriptor folder(openFolder(false));
    if (folder.fd >= 0)
        ::unlinkat(folder.fd, claimName(name).constData(), 0);
    ::close(it.value());
    m_claims.erase(it);
}
