#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvncc {

// Splits the text of a configuration (+file) or response (@file) file into
// words. White space and line ends separate words; a double quote starts or
// ends a quoted stretch anywhere in a word, and is itself dropped, so that
// -I"C:\My Files";"D:\x" is the one word -IC:\My Files;D:\x. Backslashes
// are ordinary characters. A line whose first non-blank character is '#'
// is a comment. An unclosed quote runs to the end of the text.
std::vector<std::string> splitWords(std::string_view text);

// Splits a folder list at its separators (';' in switches, ':' in PATH),
// dropping empty pieces.
std::vector<std::string> splitFolderList(std::string_view list, char separator = ';');

} // namespace kvncc
