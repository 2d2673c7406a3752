#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvncc {

// Precompiled headers of sources' leading blocks (leadingBlock), so that a
// compile after an edit does not parse <iostream> again. An entry is named
// by a hash of everything that could change its meaning: the compiler and
// its file, every flag of the compile, the source's name (the header
// carries "#line 1" of it, so messages read as without the cache), the
// block's text and the compatibility headers. The compiler's own list of
// the headers it read is kept with it, and an entry whose headers changed
// since, or whose file is not whole, is built again. Entries are built
// under a lock, so two kvncc runs at once never read half an entry, and
// the oldest go when the cache outgrows its bound. Any failure leaves the
// compile to go on without the cache.
//
// A missing entry is built after the compile that needed it, in the
// background, so that the first compile takes no longer than without the
// cache and the next one finds it; KVNCC_CACHE_NOW builds it at once,
// before that compile.
class HeaderCache
{
public:
    // root: the folder of the cache; empty: no cache.
    HeaderCache(std::string root, std::uint64_t sizeBound);

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

    // The compile through header went wrong in a way the cache may have
    // caused: its entry goes.
    void discard(const std::string &header);

    // Builds the entry noted as missing, in a process of its own that
    // outlives kvncc and is nobody's to wait for.
    void finish();

private:
    bool valid(const std::string &entry, bool clang) const;
    bool build(const std::string &entry, const std::vector<std::string> &argv, const std::string &source,
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
    bool buildLocked(const Pending &pending);

    std::string m_root;
    std::uint64_t m_sizeBound;
    bool m_now = false;
    std::optional<Pending> m_pending;
};

// What kvncc's compatibility headers hold: a text that changes when any of
// them does.
std::string folderFingerprint(const std::vector<std::string> &folders);

} // namespace kvncc
