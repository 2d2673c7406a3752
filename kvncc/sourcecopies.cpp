#include "kvncc/sourcecopies.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kvncc {

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int folderDepth = 4; // a folder of copies holds a folder per copy

// The folders of copies that a signal handler removes, absolute paths. They
// are written only while the handled signals are blocked.
constexpr int slotCount = 4;
char liveFolders[slotCount][PATH_MAX];

// Blocks the handled signals while it lives, so that the handler never sees
// a folder half made or half registered.
class SignalsBlocked
{
public:
    SignalsBlocked()
    {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (const int number : handledSignals)
            sigaddset(&blocked, number);
        ::sigprocmask(SIG_BLOCK, &blocked, &m_before);
    }
    ~SignalsBlocked() { ::sigprocmask(SIG_SETMASK, &m_before, nullptr); }
    SignalsBlocked(const SignalsBlocked &) = delete;
    SignalsBlocked &operator=(const SignalsBlocked &) = delete;

private:
    sigset_t m_before;
};

bool removeTree(int parent, const char *name, int depth);

// Removes what the folder open at folder holds, down to depth levels of
// folders. Only system calls and the stack, so that a signal handler may
// call it; entries are unlinked where they are, links never followed.
void removeContents(int folder, int depth)
{
    alignas(struct dirent64) char buffer[8192];
    // Entries removed while reading may make the reading skip others: read
    // again until nothing is left or nothing more goes.
    for (int pass = 0; pass < 64; ++pass) {
        if (::lseek(folder, 0, SEEK_SET) != 0)
            return;
        bool left = false;
        bool removed = false;
        for (;;) {
            const ssize_t size = ::getdents64(folder, buffer, sizeof buffer);
            if (size <= 0)
                break;
            for (ssize_t at = 0; at < size;) {
                unsigned short length = 0;
                std::memcpy(&length, buffer + at + offsetof(struct dirent64, d_reclen), sizeof length);
                const char *name = buffer + at + offsetof(struct dirent64, d_name);
                at += length;
                if (length == 0)
                    return;
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                    continue;
                left = true;
                if (::unlinkat(folder, name, 0) == 0 || (errno == EISDIR && depth > 0 && removeTree(folder, name, depth - 1)))
                    removed = true;
            }
        }
        if (!left || !removed)
            return;
    }
}

// Removes the folder name in parent with all it holds; false when it is
// not a folder (a link, say) or could not be removed.
bool removeTree(int parent, const char *name, int depth)
{
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return false;
    removeContents(folder, depth);
    ::close(folder);
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

void removeCopiesAndEnd(int number)
{
    for (const char *folder : liveFolders) {
        if (folder[0] == '/')
            removeTree(AT_FDCWD, folder, folderDepth);
    }
    // Ended by the signal itself, as the one who sent it expects: it is
    // delivered again once this handler returns.
    ::signal(number, SIG_DFL);
    ::raise(number);
}

void handleSignals()
{
    static bool handled = false;
    if (handled)
        return;
    handled = true;
    struct sigaction action {};
    action.sa_handler = removeCopiesAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int number : handledSignals)
        sigaddset(&action.sa_mask, number);
    for (const int number : handledSignals) {
        struct sigaction before {};
        // A kvncc started with a signal ignored (nohup) keeps ignoring it.
        if (::sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        ::sigaction(number, &action, nullptr);
    }
}

// The process id in a folder name "kvncc-<id>-XXXXXX"; 0 when the name is
// not of that form.
pid_t ownerOf(const std::string &name)
{
    const std::string prefix = "kvncc-";
    if (!name.starts_with(prefix))
        return 0;
    const std::size_t dash = name.find('-', prefix.size());
    if (dash == std::string::npos || dash == prefix.size() || dash - prefix.size() > 9 || name.size() != dash + 7)
        return 0;
    pid_t owner = 0;
    for (std::size_t i = prefix.size(); i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        owner = owner * 10 + (name[i] - '0');
    }
    return owner;
}

std::string baseName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

SourceCopies::SourceCopies()
{
    removeStaleCopies(temporaryFolder());
}

SourceCopies::~SourceCopies()
{
    if (m_folder.empty())
        return;
    const SignalsBlocked blocked;
    removeTree(AT_FDCWD, m_folder.c_str(), folderDepth);
    if (m_slot >= 0)
        liveFolders[m_slot][0] = '\0';
}

std::string SourceCopies::temporaryFolder()
{
    const char *variable = std::getenv("TMPDIR");
    if (variable && *variable) {
        std::error_code problem;
        std::filesystem::path folder(variable);
        if (folder.is_relative())
            folder = std::filesystem::current_path(problem) / folder;
        folder = folder.lexically_normal();
        std::string path = folder.string();
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        struct stat info {};
        if (!problem && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)
            && ::access(path.c_str(), W_OK | X_OK) == 0)
            return path;
    }
    return "/tmp";
}

void SourceCopies::removeStaleCopies(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    std::vector<std::string> stale;
    while (const struct dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const pid_t owner = ownerOf(name);
        if (owner <= 0 || owner == ::getpid())
            continue;
        struct stat info {};
        if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode)
            || info.st_uid != ::geteuid())
            continue;
        // A process that may not be signalled runs as someone else: it is
        // alive all the same.
        if (::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        stale.push_back(name);
    }
    for (const std::string &name : stale)
        removeTree(fd, name.c_str(), folderDepth);
    ::closedir(dir);
}

std::string SourceCopies::copyFor(const BuildStep &step, bool cpp, const std::string &text, std::string &problem)
{
    if (m_folder.empty()) {
        const SignalsBlocked blocked;
        const std::string root = temporaryFolder();
        const std::string name = "/kvncc-" + std::to_string(::getpid()) + "-XXXXXX";
        std::string pattern = root + name;
        if (!::mkdtemp(pattern.data())) {
            const int error = errno;
            // A TMPDIR that takes no folder (full, say) leaves /tmp.
            pattern = "/tmp" + name;
            if (root == "/tmp" || !::mkdtemp(pattern.data())) {
                problem = std::string("cannot make a folder for a copy of the source in ") + root + ": "
                          + std::strerror(error);
                return {};
            }
        }
        m_folder = pattern;
        for (int slot = 0; slot < slotCount && m_slot < 0; ++slot) {
            if (liveFolders[slot][0] == '\0' && m_folder.size() < sizeof liveFolders[slot]) {
                std::memcpy(liveFolders[slot], m_folder.c_str(), m_folder.size() + 1);
                m_slot = slot;
            }
        }
        handleSignals();
    }
    // Under the source's own name, which the object file keeps and the
    // linker's messages show.
    const std::string folder = m_folder + "/" + std::to_string(++m_count);
    std::error_code made;
    std::filesystem::create_directory(folder, made);
    const std::string copy = folder + "/" + baseName(step.input);
    std::ofstream out(copy, std::ios::binary);
    out << rewrittenSource(text, step.traits, step.input, cpp);
    out.close();
    if (!out) {
        problem = "cannot write " + copy + ": " + std::strerror(errno);
        return {};
    }
    return copy;
}

} // namespace kvncc
