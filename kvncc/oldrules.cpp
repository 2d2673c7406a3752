#include "kvncc/oldrules.h"

#include "kvncc/oldsource.h"

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>
#include <string_view>

namespace kvncc {

namespace {

// GCC quotes names with ‘’ under UTF-8 and with '' otherwise; Clang with ''.
const std::string quoted = R"((?:\xe2\x80\x98|')([A-Za-z_]\w*)(?:\xe2\x80\x99|'))";

std::string escaped(const std::string &text)
{
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Where each line of text starts.
std::vector<std::size_t> lineStarts(const std::string &text)
{
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            starts.push_back(i + 1);
    }
    return starts;
}

// The position of a compiler's line and column in text.
std::size_t positionOf(const std::string &text, const std::vector<std::size_t> &starts, int line, int column,
                       bool clang)
{
    if (line < 1 || std::size_t(line) > starts.size())
        return std::string::npos;
    const std::size_t start = starts[std::size_t(line) - 1];
    std::size_t pos = start;
    int counted = 1;
    while (pos < text.size() && text[pos] != '\n' && counted < column) {
        const unsigned char c = static_cast<unsigned char>(text[pos]);
        if (clang || (c & 0xC0) != 0x80) // GCC counts characters, a tab to the next multiple of 8
            counted = (!clang && c == '\t') ? ((counted - 1) / 8 + 1) * 8 + 1 : counted + 1;
        ++pos;
    }
    // A character's remaining bytes belong to it.
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
        ++pos;
    return pos;
}

// The end of the statement or head part starting at from: the first ';' not
// inside brackets.
std::size_t statementEnd(const std::string &code, std::size_t from)
{
    int depth = 0;
    for (std::size_t i = from; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '(' || c == '[' || c == '{')
            ++depth;
        else if (c == ')' || c == ']' || c == '}')
            --depth;
        else if (c == ';' && depth <= 0)
            return i;
        if (depth < 0)
            return std::string::npos;
    }
    return std::string::npos;
}

// Whether a ',' outside brackets lies between from and to: a second
// declarator, not an argument.
bool hasTopLevelComma(const std::string &code, std::size_t from, std::size_t to)
{
    int depth = 0;
    for (std::size_t i = from; i < to; ++i) {
        if (code[i] == '(' || code[i] == '[' || code[i] == '{')
            ++depth;
        else if (code[i] == ')' || code[i] == ']' || code[i] == '}')
            --depth;
        else if (code[i] == ',' && depth == 0)
            return true;
    }
    return false;
}

// A type the old rule may split from its initialiser: built-in words and
// pointers only; a class may need its constructor.
bool isScalarType(const std::string &type)
{
    static const std::set<std::string> words = {"int", "char", "short", "long", "float", "double", "unsigned",
                                                "signed", "bool", "const", "volatile", "register", "static"};
    std::istringstream in(std::regex_replace(type, std::regex(R"([*&])"), " * "));
    std::string word;
    bool any = false;
    while (in >> word) {
        if (word != "*" && !words.contains(word))
            return false;
        any = any || word != "*";
    }
    return any;
}

std::string warningLine(const std::string &file, int line, int column, const std::string &text)
{
    return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": warning: " + text;
}

// "for (T name = ...;" before pos, at the start of a statement: the
// position of "for" and of the ';' that ends its declaration.
bool loopDeclaring(const std::string &code, const std::string &name, std::size_t before, std::size_t &forAt,
                   std::size_t &declarationEnd)
{
    const std::regex loop(R"(\bfor\s*\(\s*[A-Za-z_][\w\s:<>,*&]*?[\s*&])" + escaped(name) + R"(\s*[=;,\[])");
    const std::string head = code.substr(0, before);
    std::size_t found = std::string::npos;
    for (auto it = std::sregex_iterator(head.begin(), head.end(), loop); it != std::sregex_iterator(); ++it)
        found = std::size_t(it->position());
    if (found == std::string::npos)
        return false;
    // Only a loop that is a statement of its own: hoisting out of an
    // unbraced if or while would change what runs.
    std::size_t previous = found;
    while (previous > 0 && std::isspace(static_cast<unsigned char>(code[previous - 1])))
        --previous;
    if (previous > 0 && std::string_view(";{}:").find(code[previous - 1]) == std::string_view::npos)
        return false;
    const std::size_t open = code.find('(', found);
    const std::size_t end = statementEnd(code, open + 1);
    if (end == std::string::npos)
        return false;
    forAt = found;
    declarationEnd = end;
    return true;
}

} // namespace

std::vector<OldRuleMend> oldRuleMends(const std::string &compilerOutput, const std::string &file, bool clang)
{
    const std::string location = escaped(file) + R"(:(\d+):(\d+): )";
    const std::regex undeclared(location + R"(error: (?:use of undeclared identifier )?)" + quoted
                                + R"((?: was not declared in this scope)?)");
    const std::regex jumped(location + (clang ? std::string(R"(note: jump bypasses variable initialization)")
                                              : R"(note: +crosses initialization of (?:\xe2\x80\x98|').*?)" + std::string()));
    std::vector<OldRuleMend> mends;
    std::istringstream lines(compilerOutput);
    std::string line;
    while (std::getline(lines, line)) {
        std::smatch m;
        if (std::regex_search(line, m, undeclared) && m.position() == 0) {
            mends.push_back({OldRuleMend::Kind::ForScope, std::stoi(m[1]), std::stoi(m[2]), m[3]});
        } else if (std::regex_search(line, m, jumped) && m.position() == 0) {
            const OldRuleMend mend{OldRuleMend::Kind::JumpPastInitialisation, std::stoi(m[1]), std::stoi(m[2]), {}};
            if (std::find(mends.begin(), mends.end(), mend) == mends.end())
                mends.push_back(mend);
        }
    }
    return mends;
}

std::string withOldRules(const std::string &text, const std::vector<OldRuleMend> &mends, const std::string &file,
                         bool clang, std::vector<std::string> &warnings)
{
    struct Edit
    {
        std::size_t at;
        std::size_t length;
        std::string replacement;
    };
    std::vector<Edit> edits;
    std::set<std::size_t> hoisted;
    const std::string code = codeOnly(text);
    const std::vector<std::size_t> starts = lineStarts(text);
    for (const OldRuleMend &mend : mends) {
        const std::size_t at = positionOf(text, starts, mend.line, mend.column, clang);
        if (at == std::string::npos)
            continue;
        if (mend.kind == OldRuleMend::Kind::ForScope) {
            std::size_t forAt = 0;
            std::size_t declarationEnd = 0;
            if (!loopDeclaring(code, mend.name, at, forAt, declarationEnd))
                continue;
            if (hoisted.insert(forAt).second) {
                const std::size_t open = code.find('(', forAt);
                const std::string declaration = text.substr(open + 1, declarationEnd - open - 1);
                // "for (int i = 0;" gives "int i = 0; for (;": the same line, the
                // declaration now in the enclosing block.
                std::size_t first = 0;
                while (first < declaration.size() && std::isspace(static_cast<unsigned char>(declaration[first])))
                    ++first;
                edits.push_back({forAt, declarationEnd - forAt,
                                 declaration.substr(first) + "; " + text.substr(forAt, open + 1 - forAt)});
            }
            warnings.push_back(warningLine(file, mend.line, mend.column,
                                           "'" + mend.name + "' is used after the for loop that declares it; taken "
                                           "as the old compilers did, as a variable of the enclosing block"));
            continue;
        }
        // The variable jumped over: its name at the message's place, then
        // "= value;" with no other declarator.
        std::size_t nameEnd = at;
        while (nameEnd < code.size() && isWordChar(code[nameEnd]))
            ++nameEnd;
        if (nameEnd == at)
            continue;
        const std::string name = text.substr(at, nameEnd - at);
        std::size_t equals = nameEnd;
        while (equals < code.size() && std::isspace(static_cast<unsigned char>(code[equals])))
            ++equals;
        if (equals >= code.size() || code[equals] != '=' || (equals + 1 < code.size() && code[equals + 1] == '='))
            continue;
        const std::size_t end = statementEnd(code, equals + 1);
        if (end == std::string::npos || hasTopLevelComma(code, equals + 1, end))
            continue;
        std::size_t typeStart = at;
        while (typeStart > 0 && std::string_view(";{}:").find(code[typeStart - 1]) == std::string_view::npos)
            --typeStart;
        if (!isScalarType(code.substr(typeStart, at - typeStart)))
            continue;
        edits.push_back({nameEnd, equals + 1 - nameEnd, "; " + name + " ="});
        warnings.push_back(warningLine(file, mend.line, mend.column,
                                       "a jump to a case label passes the initialisation of '" + name
                                           + "'; taken as the old compilers did"));
    }
    std::sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) { return a.at > b.at; });
    std::string result = text;
    std::size_t limit = std::string::npos;
    for (const Edit &edit : edits) {
        if (edit.at + edit.length > limit)
            continue; // overlapping edits: the later one is left out
        result.replace(edit.at, edit.length, edit.replacement);
        limit = edit.at;
    }
    return result;
}

} // namespace kvncc
