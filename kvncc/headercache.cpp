#include "kvncc/headercache.h"

#include "kvncc/leadingblock.h"
#include "kvncc/process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/types.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kvncc {

namespace {

const char *const headerName = "block.h";
const char *const stampName = "stamp";
const char *const dependenciesName = "deps";
const char *const manifestName = "manifest";
const char *const failedName = "failed";
const char *const distrustedName = "distrusted";

// The environment that changes where the compiler finds headers.
const char *const includeVariables[] = {"CPATH",         "C_INCLUDE_PATH",  "CPLUS_INCLUDE_PATH",
                                        "OBJC_INCLUDE_PATH", "GCC_EXEC_PREFIX", "COMPILER_PATH"};

std::string precompiledName(bool clang)
{
    return std::string(headerName) + (clang ? ".pch" : ".gch");
}

// Whether this user made it and nobody else may change it.
bool ownedAndClosed(const struct stat &info)
{
    return info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool readWhole(const std::string &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

bool writeWhole(const std::string &path, const std::string &text)
{
    // Written aside under a name of its own and renamed, so that nobody
    // reads half of it and two writers never share the part file.
    std::string part = path + ".XXXXXX";
    const int fd = ::mkstemp(part.data());
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    const bool written = ::close(fd) == 0 && done == text.size();
    if (!written || ::rename(part.c_str(), path.c_str()) != 0) {
        ::unlink(part.c_str());
        return false;
    }
    return true;
}

std::string statText(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "missing";
    return std::to_string(info.st_size) + "/" + std::to_string(info.st_mtim.tv_sec) + "."
           + std::to_string(info.st_mtim.tv_nsec);
}

// Makes path and its missing parents, closed to others as a cache's
// folders should be; only inside a folder of this user's own, or a shared
// one like /tmp whose sticky bit keeps others from renaming what is made
// there. Root given another user's HOME (sudo -E) would otherwise leave a
// cache of root's in that home, which that user could never use.
bool makeFolders(const std::string &path)
{
    std::string existing = path;
    struct stat info {};
    while (::stat(existing.c_str(), &info) != 0) {
        const std::size_t slash = existing.rfind('/');
        if (errno != ENOENT || slash == std::string::npos)
            return false;
        existing.resize(std::max<std::size_t>(slash, 1));
    }
    if (!S_ISDIR(info.st_mode) || (info.st_uid != ::geteuid() && (info.st_mode & S_ISVTX) == 0))
        return false;
    for (std::size_t slash = existing.size(); slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// Whether a failed build may go well another time: the machine was at
// fault (a full disk, no memory, a killed or crashed compiler) or the
// cache's own files were, not the block.
bool mayPassLater(const ProcessResult &result, const std::string &output, const std::string &entry)
{
    if (!result.started || result.signal != 0 || result.exitCode != 1)
        return true;
    static const char *const passing[] = {
        "No space left", "Disk quota", "Cannot allocate memory", "memory exhausted", "out of memory", "Killed",
        "internal compiler error", "Too many open files", "Read-only file system", "Input/output error",
        "Permission denied", "Resource temporarily unavailable", "Stale file handle", "Interrupted system call",
        "can't write", "cannot write", "error writing", "error closing", "unable to execute", "due to signal",
        "crashed", "PLEASE submit"};
    bool diagnosed = false;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        // -v's command lines name the entry's files too; only messages count.
        if (line.find("error: ") == std::string::npos)
            continue;
        diagnosed = true;
        if (line.find(entry + "/") != std::string::npos)
            return true;
        for (const char *text : passing) {
            if (line.find(text) != std::string::npos)
                return true;
        }
    }
    return !diagnosed;
}

// Sets the file-creation mask for as long as it lives: what the compiler
// writes into an entry must be closed to others like the rest.
class MaskGuard
{
public:
    explicit MaskGuard(mode_t mask)
        : m_old(::umask(mask))
    {
    }
    ~MaskGuard() { ::umask(m_old); }

private:
    mode_t m_old;
};

// The earliest time a file changed from now on can be stamped with. The
// kernel stamps files from its coarse clock, up to one tick behind the
// real time (or from the real time, when the file was looked at since its
// last change), so that is a tick before now.
timespec fileClock()
{
    timespec now {};
    timespec tick {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (::clock_getres(CLOCK_REALTIME_COARSE, &tick) != 0 || tick.tv_sec != 0)
        tick = {0, 10'000'000};
    const long lag = tick.tv_nsec + 1'000'000;
    now.tv_nsec -= lag;
    if (now.tv_nsec < 0) {
        now.tv_nsec += 1'000'000'000;
        --now.tv_sec;
    }
    return now;
}

// Holds an exclusive lock on a file while it lives; gives up after a while,
// so that a kvncc that hangs cannot stop the others.
class Lock
{
public:
    explicit Lock(const std::string &path)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0)
            return;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > until) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_held = true;
    }
    ~Lock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

} // namespace

HeaderCache::Services HeaderCache::realServices()
{
    Services services;
    services.run = runCollecting;
    services.now = fileClock;
    services.warn = writeOut;
    services.files = HeaderManifest::realFileSystem();
    services.buildNow = std::getenv("KVNCC_CACHE_NOW") != nullptr;
    return services;
}

HeaderCache::HeaderCache(std::string root, std::uint64_t sizeBound)
    : HeaderCache(std::move(root), sizeBound, realServices())
{
}

HeaderCache::HeaderCache(std::string root, std::uint64_t sizeBound, Services services)
    : m_root(std::move(root))
    , m_sizeBound(sizeBound)
    , m_services(std::move(services))
{
}

std::string HeaderCache::defaultRoot()
{
    if (std::getenv("KVNCC_NO_CACHE"))
        return {};
    if (const char *cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return std::string(cache) + "/kvncc";
    if (const char *home = std::getenv("HOME"); home && *home == '/')
        return std::string(home) + "/.cache/kvncc";
    return {};
}

std::string folderFingerprint(const std::vector<std::string> &folders)
{
    std::vector<std::string> parts;
    for (const std::string &folder : folders) {
        std::error_code problem;
        for (fs::directory_iterator it(folder, problem), end; !problem && it != end; it.increment(problem)) {
            std::string text;
            if (it->is_regular_file(problem) && readWhole(it->path().string(), text))
                parts.push_back(it->path().string() + "\n" + text);
        }
    }
    std::sort(parts.begin(), parts.end());
    return cacheKey(parts);
}

bool HeaderCache::rootUsable()
{
    if (m_rootUsable)
        return *m_rootUsable;
    m_rootUsable = false;
    struct stat info {};
    if (::stat(m_root.c_str(), &info) != 0) {
        // Made here, closed to others; a folder that cannot be made (a
        // read-only home) just means no cache.
        if (errno != ENOENT || !makeFolders(m_root) || ::stat(m_root.c_str(), &info) != 0)
            return false;
    }
    std::string why;
    if (!S_ISDIR(info.st_mode))
        why = "it is not a folder";
    else if (info.st_uid != ::geteuid())
        why = "it belongs to another user";
    else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        why = "others may write to it (chmod go-w " + m_root + ")";
    if (!why.empty()) {
        m_services.warn("kvncc: warning: the header cache " + m_root + " is not used: " + why + "\n");
        return false;
    }
    m_rootUsable = true;
    return true;
}

std::string HeaderCache::headerFor(const std::vector<std::string> &argv, const std::string &source,
                                   const std::string &sourceText, bool clang,
                                   const std::vector<std::string> &environment, const std::string &compatFingerprint)
{
    m_last = Lookup::Off;
    if (m_root.empty() || argv.empty())
        return {};
    const std::string block = leadingBlock(sourceText);
    if (block.empty())
        return {};
    if (!rootUsable()) {
        m_last = Lookup::Unsafe;
        return {};
    }
    // Relative -I folders and sources are found from the working folder.
    std::error_code problem;
    const std::string workingFolder = fs::current_path(problem).string();
    std::vector<std::string> parts = {"kvncc header cache 2", argv[0], statText(argv[0]), workingFolder, source, block,
                                      compatFingerprint};
    for (const char *variable : includeVariables) {
        const std::string prefix = std::string(variable) + "=";
        const auto set = std::find_if(environment.begin(), environment.end(),
                                      [&prefix](const std::string &entry) { return entry.starts_with(prefix); });
        parts.push_back(set == environment.end() ? std::string(variable) : *set);
    }
    // The compile's flags without what names its input and output.
    for (std::size_t i = 1; i < argv.size(); ++i) {
        if (argv[i] == "-o") {
            ++i;
            continue;
        }
        if (argv[i] != source && argv[i] != "-c" && argv[i] != "-S")
            parts.push_back(argv[i]);
    }
    const std::string key = cacheKey(parts);
    const std::string entry = m_root + "/" + key;
    switch (inspect(entry, clang)) {
    case State::Fresh:
        // Used now: the last to go when the cache is pruned.
        ::utime((entry + "/" + stampName).c_str(), nullptr);
        m_last = Lookup::Hit;
        return entry + "/" + headerName;
    case State::Failed:
    case State::Distrusted:
        m_last = Lookup::Uncacheable;
        return {};
    case State::Foreign:
        fs::remove_all(entry, problem);
        if (::access(entry.c_str(), F_OK) == 0) {
            m_last = Lookup::Unsafe;
            return {};
        }
        break;
    case State::Missing:
        break;
    }
    const Pending pending{key, argv, source, block, clang, environment};
    if (!m_services.buildNow) {
        if (!m_pending)
            m_pending = pending;
        m_last = Lookup::Noted;
        return {};
    }
    m_last = buildLocked(pending);
    return m_last == Lookup::Built ? entry + "/" + headerName : std::string();
}

HeaderCache::Lookup HeaderCache::buildLocked(const Pending &pending)
{
    const std::string entry = m_root + "/" + pending.key;
    Lock lock(m_root + "/" + pending.key + ".lock");
    if (!lock.held())
        return Lookup::NotStored;
    // Another kvncc may have built it while this one waited.
    switch (inspect(entry, pending.clang)) {
    case State::Fresh:
        return Lookup::Built;
    case State::Failed:
    case State::Distrusted:
        return Lookup::Uncacheable;
    case State::Foreign:
    case State::Missing:
        break;
    }
    const Lookup built = build(entry, pending.argv, pending.source, pending.block, pending.clang, pending.environment);
    if (built == Lookup::Built)
        prune(pending.key);
    return built;
}

void HeaderCache::finish()
{
    if (!m_pending)
        return;
    // Twice forked, so that the builder belongs to no one: kvncc's caller
    // neither waits for it nor stops it with the compile's process group.
    const pid_t child = ::fork();
    if (child < 0)
        return;
    if (child > 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
        return;
    }
    ::setsid();
    if (::fork() != 0)
        ::_exit(0);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        ::dup2(null, fd);
    buildLocked(*m_pending);
    ::_exit(0);
}

HeaderCache::State HeaderCache::inspect(const std::string &entry, bool clang)
{
    struct stat info {};
    if (::lstat(entry.c_str(), &info) != 0)
        return State::Missing;
    if (!S_ISDIR(info.st_mode) || !ownedAndClosed(info))
        return State::Foreign;
    const std::string precompiled = entry + "/" + precompiledName(clang);
    for (const std::string name : {headerName, stampName, manifestName, failedName, distrustedName}) {
        const std::string path = entry + "/" + name;
        if (::lstat(path.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || !ownedAndClosed(info)))
            return State::Foreign;
    }
    if (::lstat(precompiled.c_str(), &info) == 0 && (!S_ISREG(info.st_mode) || !ownedAndClosed(info)))
        return State::Foreign;
    const timespec now = m_services.now();
    if (::lstat((entry + "/" + failedName).c_str(), &info) == 0)
        return now.tv_sec - info.st_mtim.tv_sec < failedSeconds ? State::Failed : State::Missing;

    std::string stamp;
    if (!readWhole(entry + "/" + stampName, stamp))
        return State::Missing;
    if (::lstat(precompiled.c_str(), &info) != 0 || std::to_string(info.st_size) != stamp)
        return State::Missing; // a file cut short or replaced
    std::string text;
    if (!readWhole(entry + "/" + manifestName, text))
        return State::Missing;
    std::optional<HeaderManifest> manifest = HeaderManifest::parse(text);
    if (!manifest)
        return State::Missing;
    switch (manifest->check(now, m_services.files)) {
    case HeaderManifest::Check::Stale:
        return State::Missing;
    case HeaderManifest::Check::FreshRestamped:
        // Touched but not changed (saved again, unpacked anew): the new
        // times spare reading it next time.
        writeWhole(entry + "/" + manifestName, manifest->text());
        break;
    case HeaderManifest::Check::Fresh:
        break;
    }
    if (::lstat((entry + "/" + distrustedName).c_str(), &info) == 0)
        return State::Distrusted;
    return State::Fresh;
}

HeaderCache::Lookup HeaderCache::build(const std::string &entry, const std::vector<std::string> &argv,
                                       const std::string &source, const std::string &block, bool clang,
                                       const std::vector<std::string> &environment)
{
    const MaskGuard closed(077);
    std::error_code problem;
    fs::remove_all(entry, problem);
    if (::mkdir(entry.c_str(), 0700) != 0)
        return Lookup::NotStored;
    const auto notStored = [&entry] {
        std::error_code ignored;
        fs::remove_all(entry, ignored);
        return Lookup::NotStored;
    };
    const auto uncacheable = [&entry] {
        // Not worth trying on every compile: a block this compiler cannot
        // take alone (a header that is missing, say) stays uncached for a
        // while.
        writeWhole(entry + "/" + failedName, "");
        return Lookup::Uncacheable;
    };
    std::string quoted;
    for (const char c : source) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    const std::string header = entry + "/" + headerName;
    if (!writeWhole(header, "#line 1 \"" + quoted + "\"\n" + block))
        return notStored();
    const std::string precompiled = entry + "/" + precompiledName(clang);
    std::vector<std::string> compile = {argv[0]};
    for (std::size_t i = 1; i < argv.size(); ++i) {
        if (argv[i] == "-o" || argv[i] == "-x") {
            ++i;
            continue;
        }
        if (argv[i] != source && argv[i] != "-c" && argv[i] != "-S")
            compile.push_back(argv[i]);
    }
    const bool cpp = std::find(argv.begin(), argv.end(), "c++") != argv.end();
    compile.insert(compile.begin() + 1, {"-x", cpp ? "c++-header" : "c-header"});
    // -v lists the folders searched, for the names that would shadow a header.
    compile.insert(compile.end(),
                   {header, "-o", precompiled + ".part", "-MD", "-MF", entry + "/" + dependenciesName, "-v"});
    const timespec started = m_services.now();
    std::string output;
    const ProcessResult result = m_services.run(compile, environment,
                                                [&output](std::string_view chunk) { output += chunk; });
    if (!result.succeeded())
        return mayPassLater(result, output, entry) ? notStored() : uncacheable();
    std::string rule;
    if (!readWhole(entry + "/" + dependenciesName, rule))
        return notStored();
    std::vector<std::string> headers;
    const std::vector<std::string> read = ruleDependencies(rule);
    if (read.empty())
        return notStored(); // not a rule: what the block depends on is unknown
    for (const std::string &file : read) {
        if (!file.starts_with(entry + "/"))
            headers.push_back(file);
    }
    HeaderManifest manifest;
    switch (manifest.record(headers, includeSearchOf(output), started, m_services.files)) {
    case HeaderManifest::Recorded::ChangedDuringBuild:
        return notStored();
    case HeaderManifest::Recorded::Unrecordable:
        return uncacheable();
    case HeaderManifest::Recorded::Done:
        break;
    }
    fs::rename(precompiled + ".part", precompiled, problem);
    struct stat info {};
    if (problem || ::stat(precompiled.c_str(), &info) != 0 || !writeWhole(entry + "/" + manifestName, manifest.text()))
        return notStored();
    fs::remove(entry + "/" + dependenciesName, problem);
    // The stamp last: an entry without one is not used.
    if (!writeWhole(entry + "/" + stampName, std::to_string(info.st_size)))
        return notStored();
    return Lookup::Built;
}

void HeaderCache::discard(const std::string &header)
{
    const fs::path entry = fs::path(header).parent_path();
    if (entry.parent_path() != fs::path(m_root))
        return;
    std::error_code problem;
    fs::remove_all(entry, problem);
}

void HeaderCache::distrust(const std::string &header)
{
    const fs::path entry = fs::path(header).parent_path();
    if (entry.parent_path() != fs::path(m_root))
        return;
    const MaskGuard closed(077);
    writeWhole((entry / distrustedName).string(), "");
}

void HeaderCache::prune(const std::string &keep)
{
    struct Entry
    {
        fs::path path;
        fs::file_time_type used;
        std::uintmax_t size = 0;
    };
    std::vector<Entry> entries;
    std::uintmax_t total = 0;
    std::error_code problem;
    for (fs::directory_iterator it(m_root, problem), end; !problem && it != end; it.increment(problem)) {
        std::error_code ignored;
        if (!it->is_directory(ignored) || it->path().filename() == keep)
            continue;
        Entry e{it->path(), fs::last_write_time(it->path() / stampName, ignored), 0};
        for (fs::directory_iterator file(it->path(), ignored), fileEnd; !ignored && file != fileEnd;
             file.increment(ignored))
            e.size += file->is_regular_file(ignored) ? file->file_size(ignored) : 0;
        total += e.size;
        entries.push_back(e);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.used < b.used; });
    for (const Entry &e : entries) {
        if (total <= m_sizeBound)
            break;
        fs::remove_all(e.path, problem);
        fs::remove(e.path.string() + ".lock", problem);
        total -= std::min(total, e.size);
    }
}

} // namespace kvncc
