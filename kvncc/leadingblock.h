#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvncc {

// The part of a source before its own code: its first lines up to the last
// "#include <...>" that comes before any other code, a #define or an
// #include "..."; blank lines and comments may lie between. Empty when the
// source starts otherwise. Only this part is precompiled: what follows may
// depend on the program's own macros and headers.
std::string leadingBlock(const std::string &text);

// A hash of the parts, in hexadecimal: the name of a cache entry.
std::string cacheKey(const std::vector<std::string> &parts);

// The files a make rule written by the compiler (-MD) names after its
// target, with escaped blanks undone.
std::vector<std::string> ruleDependencies(const std::string &rule);

} // namespace kvncc
