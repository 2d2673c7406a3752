#include "kvncc/words.h"

namespace kvncc {

namespace {
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
} // namespace

std::vector<std::string> splitWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    bool atLineStart = true; // only blanks since the last line end outside quotes
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '#' && atLineStart) {
            while (i + 1 < text.size() && text[i + 1] != '\n')
                ++i;
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
            inWord = true; // "" on its own is an empty word
            atLineStart = false;
            continue;
        }
        if (!quoted && isBlank(c)) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            if (c == '\n')
                atLineStart = true;
            continue;
        }
        word += c;
        inWord = true;
        atLineStart = false;
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::vector<std::string> splitFolderList(std::string_view list, char separator)
{
    std::vector<std::string> folders;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(separator, start);
        if (end == std::string_view::npos)
            end = list.size();
        if (end > start)
            folders.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

} // namespace kvncc
