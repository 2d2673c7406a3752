#pragma once

#include "kvncc/buildplan.h"

#include <string>

namespace kvncc {

// The copies of sources that kvncc compiles in their place, in a folder of
// their own, kvncc-<process id>-XXXXXX in the temporary folder, that goes
// when the build is over, also when kvncc is ended by SIGTERM, SIGINT or
// SIGHUP (it then ends by that signal). The folders that a kvncc killed
// outright left behind go at the next run.
class SourceCopies
{
public:
    // Removes the stale copies in temporaryFolder() at once.
    SourceCopies();
    SourceCopies(const SourceCopies &) = delete;
    SourceCopies &operator=(const SourceCopies &) = delete;
    ~SourceCopies();

    // The path of a copy of text, step's source, rewritten for its traits,
    // or an empty text with problem set when it could not be written.
    std::string copyFor(const BuildStep &step, bool cpp, const std::string &text, std::string &problem);

    // Where the copies are made: TMPDIR (taken from the current folder when
    // it is relative) when it is a folder this user may write in, else
    // /tmp.
    static std::string temporaryFolder();

    // Removes the folders of copies in folder that belong to this user and
    // to a kvncc that no longer runs; links are never followed.
    static void removeStaleCopies(const std::string &folder);

private:
    std::string m_folder;
    int m_slot = -1; // where the signal handler finds m_folder; -1: not there
    int m_count = 0;
};

} // namespace kvncc
