#include "kvncc/headermanifest.h"

#include "kvncc/leadingblock.h"

#include <fstream>
#include <set>
#include <sstream>

#include <sys/stat.h>

namespace kvncc {

namespace {

const char *const manifestVersion = "kvncc header manifest 1";

bool earlier(const timespec &a, const timespec &b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool sameTime(const timespec &a, const timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether nothing about the file changed: then neither did its content.
bool untouched(const FileStatus &a, const FileStatus &b)
{
    return a.size == b.size && sameTime(a.modified, b.modified) && sameTime(a.changed, b.changed)
           && a.device == b.device && a.inode == b.inode;
}

std::string withoutTrailingSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

IncludeSearch includeSearchOf(const std::string &verboseOutput)
{
    IncludeSearch search;
    std::istringstream lines(verboseOutput);
    bool inList = false;
    static const std::string skipped = "ignoring nonexistent directory \"";
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.starts_with(skipped) && line.size() > skipped.size() + 1 && line.back() == '"') {
            search.missingFolders.push_back(line.substr(skipped.size(), line.size() - skipped.size() - 1));
        } else if (line.starts_with("#include \"...\" search starts here:")
                   || line.starts_with("#include <...> search starts here:")) {
            inList = true;
        } else if (line.starts_with("End of search list.")) {
            inList = false;
        } else if (inList && line.starts_with(" ")) {
            std::string folder = line.substr(1);
            const std::string framework = " (framework directory)";
            if (folder.ends_with(framework))
                folder.erase(folder.size() - framework.size());
            search.folders.push_back(withoutTrailingSlash(folder));
        }
    }
    return search;
}

HeaderManifest::FileSystem HeaderManifest::realFileSystem()
{
    FileSystem files;
    files.status = [](const std::string &path) -> std::optional<FileStatus> {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return std::nullopt;
        return FileStatus{std::uint64_t(info.st_size), info.st_mtim, info.st_ctim, std::uint64_t(info.st_dev),
                          std::uint64_t(info.st_ino)};
    };
    files.digest = [](const std::string &path) -> std::optional<std::string> {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::ostringstream content;
        content << in.rdbuf();
        if (in.bad())
            return std::nullopt;
        return cacheKey({content.str()});
    };
    return files;
}

HeaderManifest::Recorded HeaderManifest::record(const std::vector<std::string> &headers, const IncludeSearch &search,
                                                timespec buildStart, const FileSystem &files)
{
    m_headers.clear();
    m_absent.clear();
    const std::set<std::string> read(headers.begin(), headers.end());
    for (const std::string &path : read) {
        if (path.empty() || path.find('\n') != std::string::npos)
            return Recorded::Unrecordable;
        const std::optional<FileStatus> before = files.status(path);
        if (!before)
            return Recorded::ChangedDuringBuild; // removed since the compiler read it
        // Changed while the compiler ran (or in the very tick it started):
        // the digest taken now may not be of what it read.
        if (!earlier(before->changed, buildStart))
            return Recorded::ChangedDuringBuild;
        const std::optional<std::string> digest = files.digest(path);
        const std::optional<FileStatus> after = files.status(path);
        if (!digest && after)
            return Recorded::Unrecordable;
        if (!after || !untouched(*before, *after))
            return Recorded::ChangedDuringBuild;
        m_headers.push_back({path, *before, *digest});
    }

    // A header found in a later folder is shadowed by one put under the same
    // name into an earlier folder; those names must stay free. Names that
    // exist already and were not read (an #include_next's first stop, a
    // header found beside the one including it) are left out: they did not
    // win at the build, and one that is there cannot newly appear.
    std::vector<std::string> folders;
    for (const std::string &folder : search.folders)
        folders.push_back(withoutTrailingSlash(folder));
    std::set<std::string> absent;
    const auto mustStayAbsent = [&](const std::string &path) {
        if (!read.contains(path) && !absent.contains(path) && !files.status(path))
            absent.insert(path);
    };
    for (const std::string &path : read) {
        for (std::size_t found = 0; found < folders.size(); ++found) {
            const std::string &folder = folders[found];
            const std::string prefix = folder == "/" ? folder : folder + "/";
            if (path.size() <= prefix.size() || !path.starts_with(prefix))
                continue;
            const std::string name = path.substr(prefix.size());
            for (std::size_t before = 0; before < found; ++before)
                mustStayAbsent((folders[before] == "/" ? "" : folders[before]) + "/" + name);
        }
    }
    // A folder of the search that did not exist is not in the list at all;
    // once made, it could hold any header.
    for (const std::string &folder : search.missingFolders) {
        if (folder.find('\n') == std::string::npos)
            mustStayAbsent(withoutTrailingSlash(folder));
    }
    m_absent.assign(absent.begin(), absent.end());
    return Recorded::Done;
}

HeaderManifest::Check HeaderManifest::check(timespec now, const FileSystem &files)
{
    bool restamped = false;
    for (Header &header : m_headers) {
        const std::optional<FileStatus> status = files.status(header.path);
        if (!status || status->size != header.status.size)
            return Check::Stale;
        if (untouched(*status, header.status))
            continue;
        const std::optional<std::string> digest = files.digest(header.path);
        if (!digest || *digest != header.digest)
            return Check::Stale;
        if (earlier(status->changed, now)) {
            header.status = *status;
            restamped = true;
        }
    }
    for (const std::string &path : m_absent) {
        if (files.status(path))
            return Check::Stale;
    }
    return restamped ? Check::FreshRestamped : Check::Fresh;
}

std::string HeaderManifest::text() const
{
    std::ostringstream out;
    out << manifestVersion << "\n";
    for (const Header &h : m_headers) {
        out << "h " << h.status.size << ' ' << h.status.modified.tv_sec << ' ' << h.status.modified.tv_nsec << ' '
            << h.status.changed.tv_sec << ' ' << h.status.changed.tv_nsec << ' ' << h.status.device << ' '
            << h.status.inode << ' ' << h.digest << ' ' << h.path << "\n";
    }
    for (const std::string &path : m_absent)
        out << "a " << path << "\n";
    return out.str();
}

std::optional<HeaderManifest> HeaderManifest::parse(const std::string &text)
{
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != manifestVersion)
        return std::nullopt;
    HeaderManifest manifest;
    while (std::getline(lines, line)) {
        if (line.starts_with("a ") && line.size() > 2) {
            manifest.m_absent.push_back(line.substr(2));
            continue;
        }
        if (!line.starts_with("h "))
            return std::nullopt;
        std::istringstream fields(line.substr(2));
        Header h;
        fields >> h.status.size >> h.status.modified.tv_sec >> h.status.modified.tv_nsec >> h.status.changed.tv_sec
            >> h.status.changed.tv_nsec >> h.status.device >> h.status.inode >> h.digest;
        if (!fields || fields.get() != ' ')
            return std::nullopt;
        std::getline(fields, h.path);
        if (h.path.empty() || h.digest.empty())
            return std::nullopt;
        manifest.m_headers.push_back(std::move(h));
    }
    return manifest;
}

} // namespace kvncc
