#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kvncc {

// What stat(2) says of a file, as far as freshness goes.
struct FileStatus
{
    std::uint64_t size = 0;
    timespec modified{};
    timespec changed{}; // st_ctim: set by the kernel on every change, never by a program
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// The folders a compiler looks in for headers, as its -v output lists them:
// those it searches in order, and those it skipped because they were missing.
struct IncludeSearch
{
    std::vector<std::string> folders;
    std::vector<std::string> missingFolders;
};
IncludeSearch includeSearchOf(const std::string &verboseOutput);

// What a precompiled header was built from, so that it is used only while
// the compile without it would read the same: every header it read, with
// size and a digest of its content (the times only spare reading a file
// that was not touched), and every path that would have won over one of
// those headers had it existed (a header put into an earlier -I folder).
class HeaderManifest
{
public:
    // The file system as the manifest sees it; tests hand in their own.
    struct FileSystem
    {
        // stat(2), following links; empty when there is nothing there.
        std::function<std::optional<FileStatus>(const std::string &path)> status;
        // A digest of the file's bytes; empty when it cannot be read.
        std::function<std::optional<std::string>(const std::string &path)> digest;
    };
    static FileSystem realFileSystem();

    enum class Recorded {
        Done,
        ChangedDuringBuild, // a header changed or went at or after buildStart: what the compiler read is not known
        Unrecordable,       // a header that cannot be read, or whose name the manifest cannot hold
    };
    // Records headers (the compiler's dependency list) found through search.
    // buildStart: the file-system clock just before the compiler started.
    Recorded record(const std::vector<std::string> &headers, const IncludeSearch &search, timespec buildStart,
                    const FileSystem &files);

    enum class Check {
        Fresh,
        FreshRestamped, // same content under new times: text() now holds the new ones
        Stale,
    };
    // now: the file-system clock before the check; a header touched in the
    // same tick is read but its new times are not kept, since a change later
    // in that tick would get the same times.
    Check check(timespec now, const FileSystem &files);

    std::string text() const;
    // Empty when text is not a manifest of this version.
    static std::optional<HeaderManifest> parse(const std::string &text);

    std::size_t headerCount() const { return m_headers.size(); }
    const std::vector<std::string> &absentPaths() const { return m_absent; }

private:
    struct Header
    {
        std::string path;
        FileStatus status;
        std::string digest;
    };
    std::vector<Header> m_headers;
    std::vector<std::string> m_absent; // paths that must stay missing
};

} // namespace kvncc
