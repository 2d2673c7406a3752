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
const char *const failedName = "failed";

std::string precompiledName(bool clang)
{
    return std::string(headerName) + (clang ? ".pch" : ".gch");
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
    // Written aside and renamed, so that nobody reads half of it.
    const std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    std::error_code problem;
    fs::rename(part, path, problem);
    return !problem;
}

std::string statText(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "missing";
    return std::to_string(info.st_size) + "/" + std::to_string(info.st_mtim.tv_sec) + "."
           + std::to_string(info.st_mtim.tv_nsec);
}

// Holds an exclusive lock on a file while it lives; gives up after a while,
// so that a kvncc that hangs cannot stop the others.
class Lock
{
public:
    explicit Lock(const std::string &path)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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

HeaderCache::HeaderCache(std::string root, std::uint64_t sizeBound)
    : m_root(std::move(root))
    , m_sizeBound(sizeBound)
    , m_now(std::getenv("KVNCC_CACHE_NOW") != nullptr)
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

std::string HeaderCache::headerFor(const std::vector<std::string> &argv, const std::string &source,
                                   const std::string &sourceText, bool clang,
                                   const std::vector<std::string> &environment, const std::string &compatFingerprint)
{
    if (m_root.empty() || argv.empty())
        return {};
    const std::string block = leadingBlock(sourceText);
    if (block.empty())
        return {};
    // The compile's flags without what names its input and output.
    std::vector<std::string> parts = {"kvncc header cache 1", argv[0], statText(argv[0]), source, block,
                                      compatFingerprint};
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
    std::error_code problem;
    if (fs::exists(entry + "/" + failedName, problem))
        return {};
    if (!valid(entry, clang)) {
        const Pending pending{key, argv, source, block, clang, environment};
        if (!m_now) {
            if (!m_pending)
                m_pending = pending;
            return {};
        }
        if (!buildLocked(pending))
            return {};
    }
    // Used now: the last to go when the cache is pruned.
    ::utime((entry + "/" + stampName).c_str(), nullptr);
    return entry + "/" + headerName;
}

bool HeaderCache::buildLocked(const Pending &pending)
{
    const std::string entry = m_root + "/" + pending.key;
    std::error_code problem;
    fs::create_directories(m_root, problem);
    Lock lock(m_root + "/" + pending.key + ".lock");
    if (!lock.held())
        return false;
    // Another kvncc may have built it while this one waited.
    if (valid(entry, pending.clang))
        return true;
    if (!build(entry, pending.argv, pending.source, pending.block, pending.clang, pending.environment))
        return false;
    prune(pending.key);
    return true;
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

bool HeaderCache::valid(const std::string &entry, bool clang) const
{
    std::string stamp;
    if (!readWhole(entry + "/" + stampName, stamp))
        return false;
    const std::string precompiled = entry + "/" + precompiledName(clang);
    struct stat info {};
    if (::stat(precompiled.c_str(), &info) != 0 || std::to_string(info.st_size) != stamp)
        return false; // a file cut short or replaced
    std::string rule;
    if (!readWhole(entry + "/" + dependenciesName, rule))
        return false;
    for (const std::string &file : ruleDependencies(rule)) {
        struct stat header {};
        if (::stat(file.c_str(), &header) != 0 || header.st_mtim.tv_sec > info.st_mtim.tv_sec)
            return false; // a header changed since: a system update, an edit of an old header
    }
    return true;
}

bool HeaderCache::build(const std::string &entry, const std::vector<std::string> &argv, const std::string &source,
                        const std::string &block, bool clang, const std::vector<std::string> &environment)
{
    std::error_code problem;
    fs::remove_all(entry, problem);
    fs::create_directories(entry, problem);
    if (problem)
        return false;
    std::string quoted;
    for (const char c : source) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    const std::string header = entry + "/" + headerName;
    if (!writeWhole(header, "#line 1 \"" + quoted + "\"\n" + block))
        return false;
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
    compile.insert(compile.end(), {header, "-o", precompiled + ".part", "-MD", "-MF", entry + "/" + dependenciesName});
    const ProcessResult result = runCollecting(compile, environment, [](std::string_view) {});
    if (!result.succeeded()) {
        // Not worth trying on every compile: a block this compiler cannot
        // take alone (a header that is missing, say) stays uncached.
        writeWhole(entry + "/" + failedName, "");
        return false;
    }
    fs::rename(precompiled + ".part", precompiled, problem);
    struct stat info {};
    if (problem || ::stat(precompiled.c_str(), &info) != 0)
        return false;
    return writeWhole(entry + "/" + stampName, std::to_string(info.st_size));
}

void HeaderCache::discard(const std::string &header)
{
    std::error_code problem;
    fs::remove_all(fs::path(header).parent_path(), problem);
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
