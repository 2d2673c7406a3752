#pragma once

#include "kvncc/buildplan.h"

#include <string>

namespace kvncc {

// The copies of sources that kvncc compiles in their place, in a folder of
// their own that goes when the build is over.
class SourceCopies
{
public:
    SourceCopies() = default;
    SourceCopies(const SourceCopies &) = delete;
    SourceCopies &operator=(const SourceCopies &) = delete;
    ~SourceCopies();

    // The path of a copy of text, step's source, rewritten for its traits,
    // or an empty text with problem set when it could not be written.
    std::string copyFor(const BuildStep &step, bool cpp, const std::string &text, std::string &problem);

private:
    std::string m_folder;
    int m_count = 0;
};

} // namespace kvncc
