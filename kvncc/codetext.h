#pragma once

#include <cctype>
#include <string>

namespace kvncc {

// Small readings of source text from which comments and literals are
// blanked out (codeOnly()).

inline bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Where the bracket that closes the one at open ('(', '[' or '{') is;
// npos when none.
inline std::size_t closingBracket(const std::string &code, std::size_t open)
{
    const char opening = code[open];
    const char closing = opening == '(' ? ')' : opening == '[' ? ']' : '}';
    int depth = 0;
    for (std::size_t i = open; i < code.size(); ++i) {
        if (code[i] == opening)
            ++depth;
        else if (code[i] == closing && --depth == 0)
            return i;
    }
    return std::string::npos;
}

} // namespace kvncc
