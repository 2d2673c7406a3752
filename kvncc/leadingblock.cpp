#include "kvncc/leadingblock.h"

#include "kvncc/oldsource.h"

#include <string_view>

namespace kvncc {

namespace {

std::size_t skipSpacesAndTabs(std::string_view line, std::size_t pos)
{
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    return pos;
}

// "#include <name>" alone on its line, blanks allowed around its parts.
// Read by hand: a pattern matcher that recurses once a character runs out
// of stack on a long line.
bool isSystemInclude(std::string_view line)
{
    std::size_t pos = skipSpacesAndTabs(line, 0);
    if (pos >= line.size() || line[pos] != '#')
        return false;
    pos = skipSpacesAndTabs(line, pos + 1);
    if (line.substr(pos, 7) != "include")
        return false;
    pos = skipSpacesAndTabs(line, pos + 7);
    if (pos >= line.size() || line[pos] != '<')
        return false;
    const std::size_t close = line.find_first_of("<>", pos + 1);
    if (close == std::string_view::npos || line[close] != '>' || close == pos + 1)
        return false;
    return line.find_first_not_of(" \t\r", close + 1) == std::string_view::npos;
}

} // namespace

std::string leadingBlock(const std::string &text)
{
    const std::string code = codeOnly(text);
    std::size_t blockEnd = 0;
    std::size_t start = 0;
    while (start < code.size()) {
        std::size_t end = code.find('\n', start);
        if (end == std::string::npos)
            end = code.size();
        const std::string_view line = std::string_view(code).substr(start, end - start);
        if (isSystemInclude(line))
            blockEnd = end;
        else if (line.find_first_not_of(" \t\r\f\v") != std::string::npos)
            break;
        start = end + 1;
    }
    return blockEnd == 0 ? std::string() : text.substr(0, blockEnd) + "\n";
}

std::string cacheKey(const std::vector<std::string> &parts)
{
    // Two 64-bit FNV-1a hashes with different bases; the length of every
    // part goes in too, so that parts cannot run into one another.
    std::uint64_t first = 14695981039346656037ull;
    std::uint64_t second = 0x6c62272e07bb0142ull;
    const auto feed = [&](unsigned char byte) {
        first = (first ^ byte) * 1099511628211ull;
        second = (second ^ byte) * 0x100000001b3ull + 0x9e3779b97f4a7c15ull;
    };
    for (const std::string &part : parts) {
        for (const char c : std::to_string(part.size()) + ":")
            feed(static_cast<unsigned char>(c));
        for (const char c : part)
            feed(static_cast<unsigned char>(c));
    }
    static const char digits[] = "0123456789abcdef";
    std::string key;
    for (const std::uint64_t value : {first, second}) {
        for (int shift = 60; shift >= 0; shift -= 4)
            key += digits[(value >> shift) & 0xF];
    }
    return key;
}

std::vector<std::string> ruleDependencies(const std::string &rule)
{
    std::vector<std::string> files;
    std::size_t colon = std::string::npos;
    // The target ends at the first ": " (a path may hold a colon of its own).
    for (std::size_t i = 0; i + 1 < rule.size(); ++i) {
        if (rule[i] == ':' && (rule[i + 1] == ' ' || rule[i + 1] == '\n' || rule[i + 1] == '\\')) {
            colon = i;
            break;
        }
    }
    if (colon == std::string::npos)
        return files;
    std::string word;
    const auto finish = [&] {
        if (!word.empty())
            files.push_back(word);
        word.clear();
    };
    for (std::size_t i = colon + 1; i < rule.size(); ++i) {
        const char c = rule[i];
        if (c == '\\' && i + 1 < rule.size() && (rule[i + 1] == '\n' || rule[i + 1] == '\r')) {
            finish();
            ++i;
        } else if (c == '\\' && i + 1 < rule.size() && rule[i + 1] == ' ') {
            word += ' ';
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            finish();
            if (c == '\n' && i + 1 < rule.size() && rule[i + 1] != ' ')
                break; // the next rule
        } else {
            word += c;
        }
    }
    finish();
    return files;
}

} // namespace kvncc
