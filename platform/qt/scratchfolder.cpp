#include "scratchfolder.h"

#include "folderentries.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool stillNamed(const QByteArray &name, int fd)
{
    struct stat byName {};
    struct stat byFd {};
    return ::lstat(name.constData(), &byName) == 0 && ::fstat(fd, &byFd) == 0 && byName.st_dev == byFd.st_dev
           && byName.st_ino == byFd.st_ino;
}

// Folders are removed when a termination signal ends the program,
// from the signal handler itself: only calls that are safe there, on the
// descriptor the folder was opened with.
constexpr std::array<int, 3> endingSignals = {SIGTERM, SIGHUP, SIGINT};

struct ScratchSlot
{
    std::atomic<int> fd{-1};
    char path[PATH_MAX] = {};
};
std::array<ScratchSlot, 8> scratchSlots;
std::array<struct sigaction, endingSignals.size()> handlerBefore {};
static_assert(std::atomic<int>::is_always_lock_free);

// Empties the folder open as fd, going at most a few folders down and never
// through a symbolic link.
void emptyFolder(int fd, int depth)
{
    alignas(8) char buffer[4096];
    for (int pass = 0; pass < 16; ++pass) {
        if (::lseek(fd, 0, SEEK_SET) != 0)
            return;
        bool removed = false;
        for (;;) {
            const ssize_t n = ::getdents64(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                const auto *entry = reinterpret_cast<const dirent64 *>(buffer + at);
                at += entry->d_reclen;
                const char *name = entry->d_name;
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                    continue;
                if (::unlinkat(fd, name, 0) == 0) {
                    removed = true;
                } else if ((errno == EISDIR || errno == EPERM) && depth < 4) {
                    const int inner = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                    if (inner >= 0) {
                        emptyFolder(inner, depth + 1);
                        ::close(inner);
                    }
                    removed = ::unlinkat(fd, name, AT_REMOVEDIR) == 0 || removed;
                }
            }
        }
        if (!removed)
            return;
    }
}

extern "C" void removeScratchOnSignal(int signal, siginfo_t *info, void *context)
{
    const int savedErrno = errno;
    size_t which = 0;
    while (which < endingSignals.size() && endingSignals[which] != signal)
        ++which;
    struct sigaction before {};
    if (which < endingSignals.size())
        before = handlerBefore[which];
    for (ScratchSlot &slot : scratchSlots) {
        if (const int fd = slot.fd.exchange(-1); fd >= 0) {
            emptyFolder(fd, 0);
            ::rmdir(slot.path);
        }
    }
    if (before.sa_flags & SA_SIGINFO) {
        before.sa_sigaction(signal, info, context);
    } else if (before.sa_handler == SIG_DFL) {
        // Ends the program as the signal would have; it arrives once this
        // handler returns.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    } else if (before.sa_handler != SIG_IGN) {
        before.sa_handler(signal);
    }
    errno = savedErrno;
}

// Puts the handler above in front of whatever handles the ending signals
// now (the program's own handler, or the default), unless it is there
// already. An ignored signal stays ignored.
void guardScratchFolders()
{
    for (size_t i = 0; i < endingSignals.size(); ++i) {
        struct sigaction now {};
        if (::sigaction(endingSignals[i], nullptr, &now) != 0)
            continue;
        if (((now.sa_flags & SA_SIGINFO) && now.sa_sigaction == removeScratchOnSignal)
            || (!(now.sa_flags & SA_SIGINFO) && now.sa_handler == SIG_IGN))
            continue;
        handlerBefore[i] = now;
        struct sigaction ours {};
        ours.sa_sigaction = removeScratchOnSignal;
        sigemptyset(&ours.sa_mask);
        for (int signal : endingSignals)
            sigaddset(&ours.sa_mask, signal);
        ours.sa_flags = SA_SIGINFO | SA_RESTART;
        ::sigaction(endingSignals[i], &ours, nullptr);
    }
}

// Gives the ending signals back to the handlers they had, once no scratch
// folder is left to remove.
void unguardScratchFolders()
{
    for (const ScratchSlot &slot : scratchSlots) {
        if (slot.fd.load() >= 0)
            return;
    }
    for (size_t i = 0; i < endingSignals.size(); ++i) {
        struct sigaction now {};
        if (::sigaction(endingSignals[i], nullptr, &now) == 0 && (now.sa_flags & SA_SIGINFO)
            && now.sa_sigaction == removeScratchOnSignal) {
            ::sigaction(endingSignals[i], &handlerBefore[i], nullptr);
        }
    }
}

// The folder scratch folders are made in: the user's runtime folder when it
// is the user's own and no one else may write in it, otherwise /tmp.
QByteArray scratchBase()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime.startsWith('/') && ::lstat(runtime.constData(), &info) == 0 && S_ISDIR(info.st_mode)
        && info.st_uid == ::geteuid() && (info.st_mode & 022) == 0) {
        return runtime;
    }
    return "/tmp";
}

bool isScratchName(const QByteArray &entry)
{
    if (entry.size() != 10 || !entry.startsWith("kvn-"))
        return false;
    return std::all_of(entry.begin() + 4, entry.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Removes the scratch folders of this user that no running copy holds: a
// copy holds the lock on its folder for as long as it runs.
void removeStaleScratchFolders(const QByteArray &base)
{
    const QList<QByteArray> names = folderEntries(base, isScratchName);
    for (const QByteArray &name : names) {
        const QByteArray path = base + '/' + name;
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        if (::fstat(fd, &opened) == 0 && opened.st_ino == info.st_ino && opened.st_uid == ::geteuid()
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            emptyFolder(fd, 0);
            ::rmdir(path.constData());
        }
        ::close(fd);
    }
}

} // namespace

ScratchFolder::~ScratchFolder()
{
    remove();
}

void ScratchFolder::removeStale()
{
    removeStaleScratchFolders(scratchBase());
}

void ScratchFolder::remove()
{
    if (m_fd < 0)
        return;
    // Unless a signal's handler has removed it already.
    int ours = m_fd;
    if (scratchSlots[size_t(m_slot)].fd.compare_exchange_strong(ours, -1)) {
        emptyFolder(m_fd, 0);
        ::rmdir(QFile::encodeName(m_path).constData());
    }
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
    unguardScratchFolders();
}

QString ScratchFolder::path()
{
    // A termination signal's handler may have removed it; the program
    // then goes on with a new one. A handler installed since the folder
    // was made gets the removal put in front of it.
    if (m_fd >= 0 && scratchSlots[size_t(m_slot)].fd.load() == m_fd) {
        guardScratchFolders();
        return m_path;
    }
    remove();
    size_t slot = 0;
    while (slot < scratchSlots.size() && scratchSlots[slot].fd.load() >= 0)
        ++slot;
    const QByteArray base = scratchBase();
    if (slot == scratchSlots.size() || base.size() + 11 >= PATH_MAX)
        return {};
    for (int attempt = 0; attempt < 3; ++attempt) {
        QByteArray folder = base + "/kvn-XXXXXX";
        if (!::mkdtemp(folder.data()))
            return {};
        // The lock tells a later start that this program still runs; should
        // a start have removed the folder before it was locked, make another.
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat info {};
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &info) == 0 && info.st_nlink > 0
            && stillNamed(folder, fd)) {
            std::memcpy(scratchSlots[slot].path, folder.constData(), size_t(folder.size()) + 1);
            scratchSlots[slot].fd.store(fd);
            m_fd = fd;
            m_slot = int(slot);
            m_path = QFile::decodeName(folder) + QLatin1Char('/');
            guardScratchFolders();
            return m_path;
        }
        if (fd >= 0)
            ::close(fd);
        ::rmdir(folder.constData());
    }
    return {};
}
