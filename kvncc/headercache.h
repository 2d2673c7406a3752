#pragma once

#include "kvncc/headermanifest.h"
#include "kvncc/process.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvncc {

// Precompiled headers of sources' leading blocks (leadingBlock), so that a
// compile after an edit does not parse <iostream> again. An entry is named
// by a hash of everything that could change its meaning: the compiler and
// its file, every flag of the compile, the working folder, the include
// paths of the environment (CPATH, ...), the source's name (the header
// carries "#line 1" of it, so messages read as without the cache), the
// block's text and the compatibility headers. Its manifest (HeaderManifest)
// holds every header the compiler read, by size and content, and the
// names that would have shadowed one; an entry is used only while all of
// them still hold, and is not kept when a header changed while it was
// built. Entries are built under a lock, so two kvncc runs at once never
// read half an entry, and the oldest go when the cache outgrows its bound.
// Only a folder and entries of this user that nobody else may write to are
// used: another user's precompiled header would run their code in this
// user's programs. Any failure leaves the compile to go on without the
// cache.
//
// A missing entry is built after the compile that needed it, in the
// background, so that the first compile takes no longer than without the
// cache and the next one finds it; KVNCC_CACHE_NOW builds it at once,
// before that compile.
class HeaderCache
{
public:
    using Runner = std::function<ProcessResult(const std::vector<std::string> &argv,
                                               const std::vector<std::string> &environment,
                                               const std::function<void(std::string_view)> &onOutput)>;
    // What the cache works with; the defaults are the real ones, tests
    // hand in a compiler that fails or a header edited mid-build.
    struct Services
    {
        Runner run;                                 // runs the compiler that builds an entry
        std::function<timespec()> now;              // the earliest stamp of a file changed from now on
        std::function<void(std::string_view)> warn; // a line for the user
        HeaderManifest::FileSystem files;           // how headers are looked at
        bool buildNow = false;                      // build a missing entry before the compile, not after it
    };
    static Services realServices();

    // What the last headerFor did, so that tests count hits and misses.
    enum class Lookup {
        Off,         // no cache, or no leading block
        Hit,         // a fresh entry is used
        Noted,       // missing or stale: noted for finish()
        Built,       // missing or stale: built now and used
        NotStored,   // built, but a header changed meanwhile, or the build failed for now
        Uncacheable, // the block does not compile alone, or its entry misled a compile
        Unsafe,      // the folder cannot be made, is another user's or others may write to it
    };

    // root: the folder of the cache; empty: no cache.
    HeaderCache(std::string root, std::uint64_t sizeBound);
    HeaderCache(std::string root, std::uint64_t sizeBound, Services services);

    // $XDG_CACHE_HOME/kvncc, or ~/.cache/kvncc; empty when KVNCC_NO_CACHE
    // is set or neither is known.
    static std::string defaultRoot();
    static constexpr std::uint64_t defaultSizeBound = 512ull * 1024 * 1024;

    // The header to -include into the compile argv (whose source is
    // source, with sourceText); empty when the source has no leading block
    // or the cache cannot serve it (yet: a missing entry is noted for
    // finish()).
    std::string headerFor(const std::vector<std::string> &argv, const std::string &source,
                          const std::string &sourceText, bool clang, const std::vector<std::string> &environment,
                          const std::string &compatFingerprint);
    Lookup lastLookup() const { return m_last; }

    // The compile through header went wrong in a way that names the entry
    // (a damaged file, an internal error): it goes, to be built again.
    void discard(const std::string &header);
    // The compile through header failed where the one without it built:
    // the entry stays unused while the headers it read are unchanged (a
    // header without include guards breaks on its second inclusion).
    void distrust(const std::string &header);

    // Builds the entry noted as missing, in a process of its own that
    // outlives kvncc and is nobody's to wait for.
    void finish();

    // How long a block that did not compile alone stays uncached before it
    // is tried again (a missing header may have been installed since).
    static constexpr int failedSeconds = 3600;

private:
    enum class State { Missing, Fresh, Failed, Distrusted, Foreign };
    State inspect(const std::string &entry, bool clang);
    bool rootUsable();
    Lookup build(const std::string &entry, const std::vector<std::string> &argv, const std::string &source,
                 const std::string &block, bool clang, const std::vector<std::string> &environment);
    void prune(const std::string &keep);

    struct Pending
    {
        std::string key;
        std::vector<std::string> argv;
        std::string source;
        std::string block;
        bool clang = false;
        std::vector<std::string> environment;
    };
    Lookup buildLocked(const Pending &pending);

    std::string m_root;
    std::uint64_t m_sizeBound;
    Services m_services;
    std::optional<bool> m_rootUsable;
    std::optional<Pending> m_pending;
    Lookup m_last = Lookup::Off;
};

// What kvncc's compatibility headers hold: a text that changes when any of
// them does.
std::string folderFingerprint(const std::vector<std::string> &folders);

} // namespace kvncc
