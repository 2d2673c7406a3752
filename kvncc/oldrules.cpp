#include "kvncc/oldrules.h"

#include "kvncc/codetext.h"
#include "kvncc/oldsource.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>
#include <string_view>

namespace kvncc {

namespace {

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
    std::string spaced;
    for (const char c : type)
        spaced += (c == '*' || c == '&') ? std::string(" * ") : std::string(1, c);
    std::istringstream in(spaced);
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

bool isBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c));
}

std::size_t skipBlanks(const std::string &code, std::size_t pos, std::size_t end)
{
    while (pos < end && isBlank(code[pos]))
        ++pos;
    return pos;
}

// The characters of a for loop's declaration between its type's first
// letter and the variable's name: words, blanks, scopes, template
// arguments, pointers and references.
bool inLoopType(char c)
{
    return isWordChar(c) || isBlank(c) || c == ':' || c == '<' || c == '>' || c == ',' || c == '*' || c == '&';
}

// Whether the for loop whose "for" is at forAt declares name in its head,
// "for (T name =", ";", "," or "[", all of it before end.
bool declaresInHead(const std::string &code, const std::string &name, std::size_t forAt, std::size_t end)
{
    std::size_t pos = skipBlanks(code, forAt + 3, end);
    if (pos >= end || code[pos] != '(')
        return false;
    pos = skipBlanks(code, pos + 1, end);
    if (pos >= end || !(std::isalpha(static_cast<unsigned char>(code[pos])) || code[pos] == '_'))
        return false;
    std::size_t runEnd = pos + 1;
    while (runEnd < end && inLoopType(code[runEnd]))
        ++runEnd;
    for (std::size_t at = pos + 2; at + name.size() <= runEnd; ++at) {
        const char before = code[at - 1];
        if (!(isBlank(before) || before == '*' || before == '&') || code.compare(at, name.size(), name) != 0)
            continue;
        const std::size_t after = skipBlanks(code, at + name.size(), end);
        if (after < end && std::string_view("=;,[").find(code[after]) != std::string_view::npos)
            return true;
    }
    return false;
}

// "for (T name = ...;" before pos, at the start of a statement: the
// position of "for" and of the ';' that ends its declaration.
bool loopDeclaring(const std::string &code, const std::string &name, std::size_t before, std::size_t &forAt,
                   std::size_t &declarationEnd)
{
    // The last such loop before pos: the one whose variable is in question.
    std::size_t found = std::string::npos;
    for (std::size_t from = before; from >= 3 && found == std::string::npos;) {
        const std::size_t at = code.rfind("for", from - 3);
        if (at == std::string::npos)
            break;
        if ((at == 0 || !isWordChar(code[at - 1])) && declaresInHead(code, name, at, before))
            found = at;
        from = at + 2; // the next "for" to look at starts before this one
    }
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

// Where the statement that holds pos starts: just after the ';', '{', '}'
// or label's ':' before it ("::" belongs to a name).
std::size_t statementStart(const std::string &code, std::size_t pos)
{
    while (pos > 0) {
        const char c = code[pos - 1];
        if (c == ';' || c == '{' || c == '}')
            break;
        if (c == ':') {
            if (pos < 2 || code[pos - 2] != ':')
                break;
            --pos;
        }
        --pos;
    }
    return pos;
}

// Whether the character at pos lies on a line of the preprocessor's,
// "#...".
bool onDirectiveLine(const std::string &code, std::size_t pos)
{
    const std::size_t lineEnd = pos == 0 ? std::string::npos : code.rfind('\n', pos - 1);
    std::size_t first = lineEnd == std::string::npos ? 0 : lineEnd + 1;
    while (first < pos && (code[first] == ' ' || code[first] == '\t'))
        ++first;
    return first <= pos && first < code.size() && code[first] == '#';
}

// The last character of code before pos that is not blank, the lines of
// the preprocessor's passed over; '\0' when none.
char codeBefore(const std::string &code, std::size_t pos)
{
    for (;;) {
        while (pos > 0 && isBlank(code[pos - 1]))
            --pos;
        if (pos == 0)
            return '\0';
        if (!onDirectiveLine(code, pos - 1))
            return code[pos - 1];
        const std::size_t lineEnd = code.rfind('\n', pos - 1);
        if (lineEnd == std::string::npos)
            return '\0';
        pos = lineEnd;
    }
}

// The '{' of the innermost block around pos, npos when none.
std::size_t enclosingBrace(const std::string &code, std::size_t pos)
{
    int depth = 0;
    for (std::size_t i = pos; i > 0; --i) {
        if (code[i - 1] == '}') {
            ++depth;
        } else if (code[i - 1] == '{') {
            if (depth == 0)
                return i - 1;
            --depth;
        }
    }
    return std::string::npos;
}

// Whether the block at open is the body of a switch: "switch (...) {".
bool isSwitchBody(const std::string &code, std::size_t open)
{
    std::size_t close = open;
    while (close > 0 && isBlank(code[close - 1]))
        --close;
    if (close == 0 || code[close - 1] != ')')
        return false;
    int depth = 0;
    for (std::size_t i = close; i > 0; --i) {
        if (code[i - 1] == ')') {
            ++depth;
        } else if (code[i - 1] == '(' && --depth == 0) {
            std::size_t end = i - 1;
            while (end > 0 && isBlank(code[end - 1]))
                --end;
            return end >= 6 && code.compare(end - 6, 6, "switch") == 0 && (end == 6 || !isWordChar(code[end - 7]));
        }
    }
    return false;
}

// Whether a whole word at pos in code is word.
bool wordAt(const std::string &code, std::size_t pos, std::string_view word)
{
    return code.compare(pos, word.size(), word) == 0 && (pos == 0 || !isWordChar(code[pos - 1]))
           && (pos + word.size() >= code.size() || !isWordChar(code[pos + word.size()]));
}

// Whether the word at pos begins a statement, as a label does.
bool beginsStatement(const std::string &code, std::size_t pos)
{
    const char before = codeBefore(code, pos);
    return before == '\0' || before == ';' || before == '{' || before == '}' || before == ':';
}

// The first case or default label of a switch's own from from on, outside
// every inner bracket (an inner switch's labels are its own): its position,
// or npos when the switch's '}' at close comes first.
std::size_t nextCaseLabel(const std::string &code, std::size_t from, std::size_t close)
{
    int depth = 0;
    for (std::size_t i = from; i < close; ++i) {
        const char c = code[i];
        if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}') {
            --depth;
        } else if (depth == 0 && (wordAt(code, i, "case") || wordAt(code, i, "default")) && beginsStatement(code, i)) {
            if (code[i] == 'c' || code[skipBlanks(code, i + 7, close)] == ':')
                return i;
        }
    }
    return std::string::npos;
}

// Whether a label of goto's ("name:", not "::", "case" or "default") lies
// between from and to: a jump to it from outside a new block would pass the
// initialisation all the same.
bool holdsGotoLabel(const std::string &code, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to;) {
        if (!isWordChar(code[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < to && isWordChar(code[end]))
            ++end;
        const std::size_t colon = skipBlanks(code, end, to);
        const bool label = colon < to && code[colon] == ':' && (colon + 1 >= to || code[colon + 1] != ':');
        if (label && !wordAt(code, i, "case") && !wordAt(code, i, "default")
            && !std::isdigit(static_cast<unsigned char>(code[i])) && beginsStatement(code, i))
            return true;
        i = end;
    }
    return false;
}

// Whether the variable name is used between from and to: the whole word,
// not as a member after '.' or "->".
bool usesName(const std::string &code, const std::string &name, std::size_t from, std::size_t to)
{
    for (std::size_t at = code.find(name, from); at != std::string::npos && at + name.size() <= to;
         at = code.find(name, at + 1)) {
        std::size_t before = at;
        while (before > 0 && isBlank(code[before - 1]))
            --before;
        const bool member = before > 0 && (code[before - 1] == '.' || (before > 1 && code.compare(before - 2, 2, "->") == 0));
        if (wordAt(code, at, name) && !member)
            return true;
    }
    return false;
}

// Where the braces go that end a variable jumped over at the next case
// label of its switch: the '{' right after what comes before its
// declaration, the '}' right after the last statement before that label,
// so that the lines keep their columns. False when the variable cannot end
// there: it is used after the label, the declaration is not a statement of
// a switch's body, or a goto's label is among the statements.
bool caseBlock(const std::string &code, std::size_t nameAt, const std::string &name, std::size_t &open,
               std::size_t &close)
{
    const std::size_t start = statementStart(code, nameAt);
    const std::size_t body = enclosingBrace(code, start);
    if (body == std::string::npos || !isSwitchBody(code, body))
        return false;
    const std::size_t bodyEnd = closingBracket(code, body);
    const std::size_t declarationEnd = statementEnd(code, nameAt);
    if (bodyEnd == std::string::npos || declarationEnd == std::string::npos || declarationEnd > bodyEnd)
        return false;
    const std::size_t label = nextCaseLabel(code, declarationEnd + 1, bodyEnd);
    if (label == std::string::npos)
        return false;
    std::size_t end = label;
    while (end > start && isBlank(code[end - 1]))
        --end;
    if (holdsGotoLabel(code, start, end) || usesName(code, name, label, bodyEnd))
        return false;
    // A brace on a line of the preprocessor's would be lost to it: there
    // it goes right before the declaration or the label instead.
    open = start > 0 && onDirectiveLine(code, start - 1) ? skipBlanks(code, start, nameAt) : start;
    close = onDirectiveLine(code, end - 1) ? label : end;
    return true;
}

// The compiler's line and column (from 1) of the position pos in text.
std::pair<int, int> lineAndColumn(const std::string &text, const std::vector<std::size_t> &starts, std::size_t pos,
                                  bool clang)
{
    const auto after = std::upper_bound(starts.begin(), starts.end(), pos);
    int column = 1;
    for (std::size_t i = *(after - 1); i < pos; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (clang || (c & 0xC0) != 0x80)
            column = (!clang && c == '\t') ? ((column - 1) / 8 + 1) * 8 + 1 : column + 1;
    }
    return {int(after - starts.begin()), column};
}

// The call "exit ( )" or "_exit ( )" on the line of pos whose name,
// parentheses or blanks between hold pos: the position of its name and of
// its ')'. A member's exit (after '.' or "->") is the class's.
bool exitCallAround(const std::string &code, std::size_t pos, std::size_t &name, std::size_t &close)
{
    const std::size_t lineStart = pos == 0 ? 0 : code.rfind('\n', pos - 1) + 1; // npos + 1 is 0
    const std::size_t lineEnd = std::min(code.find('\n', pos), code.size());
    for (std::size_t at = lineStart; at < lineEnd;) {
        if (!isWordChar(code[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < lineEnd && isWordChar(code[end]))
            ++end;
        const std::string_view word = std::string_view(code).substr(at, end - at);
        std::size_t before = at;
        while (before > lineStart && isBlank(code[before - 1]))
            --before;
        const bool member = before > lineStart
                            && (code[before - 1] == '.' || (before > lineStart + 1 && code.compare(before - 2, 2, "->") == 0));
        const std::size_t open = skipBlanks(code, end, lineEnd);
        if ((word == "exit" || word == "_exit") && !member && open < lineEnd && code[open] == '(') {
            const std::size_t shut = skipBlanks(code, open + 1, lineEnd);
            if (shut < lineEnd && code[shut] == ')' && at <= pos && pos <= shut) {
                name = at;
                close = shut;
                return true;
            }
        }
        at = end;
    }
    return false;
}

// The first character of code from pos on that is not blank, the lines of
// the preprocessor's passed over; code.size() when none.
std::size_t nextCode(const std::string &code, std::size_t pos)
{
    for (;;) {
        pos = skipBlanks(code, pos, code.size());
        if (pos >= code.size() || !onDirectiveLine(code, pos))
            return pos;
        pos = code.find('\n', pos);
        if (pos == std::string::npos)
            return code.size();
    }
}

// A label right before a '}' ("End: }", "default: }", "case 3: }") at or
// just after pos, where the compiler missed a statement: the position of
// the label's ':' and of its first word. A ':' of "?:" or of "::" is no
// label's.
bool labelBeforeBrace(const std::string &code, std::size_t pos, std::size_t &colon, std::size_t &label)
{
    const std::size_t brace = nextCode(code, pos);
    if (brace >= code.size() || code[brace] != '}')
        return false;
    std::size_t at = brace;
    for (;;) {
        while (at > 0 && isBlank(code[at - 1]))
            --at;
        if (at == 0 || !onDirectiveLine(code, at - 1))
            break;
        at = code.rfind('\n', at - 1);
        if (at == std::string::npos)
            return false;
    }
    if (at == 0 || code[at - 1] != ':' || (at > 1 && code[at - 2] == ':'))
        return false;
    colon = at - 1;
    std::size_t end = colon;
    while (end > 0 && isBlank(code[end - 1]))
        --end;
    std::size_t start = end;
    while (start > 0 && isWordChar(code[start - 1]))
        --start;
    static const std::set<std::string_view> notLabels = {"public", "private", "protected", "case"};
    if (start < end && !std::isdigit(static_cast<unsigned char>(code[start]))
        && !notLabels.contains(std::string_view(code).substr(start, end - start)) && beginsStatement(code, start)) {
        label = start;
        return true;
    }
    const std::size_t first = skipBlanks(code, statementStart(code, colon), colon);
    if (wordAt(code, first, "case")) {
        label = first;
        return true;
    }
    return false;
}

// Reads a compiler's message line from its start, part by part; a part
// that is not there leaves the position where it was.
class MessageReader
{
public:
    explicit MessageReader(std::string_view line)
        : m_rest(line)
    {
    }

    bool take(std::string_view part)
    {
        if (!m_rest.starts_with(part))
            return false;
        m_rest.remove_prefix(part.size());
        return true;
    }

    // One space or more.
    bool takeSpaces()
    {
        const std::size_t count = std::min(m_rest.find_first_not_of(' '), m_rest.size());
        m_rest.remove_prefix(count);
        return count > 0;
    }

    bool takeNumber(std::string &digits)
    {
        std::size_t count = 0;
        while (count < m_rest.size() && std::isdigit(static_cast<unsigned char>(m_rest[count])))
            ++count;
        digits = std::string(m_rest.substr(0, count));
        m_rest.remove_prefix(count);
        return count > 0;
    }

    // GCC quotes names with ‘’ under UTF-8 and with '' otherwise; Clang with ''.
    bool takeOpeningQuote() { return take("\xe2\x80\x98") || take("'"); }

    // A name in quotes: "'i'" gives i.
    bool takeQuotedName(std::string &name)
    {
        const MessageReader start = *this;
        if (!takeOpeningQuote() || m_rest.empty()
            || !(std::isalpha(static_cast<unsigned char>(m_rest[0])) || m_rest[0] == '_')) {
            *this = start;
            return false;
        }
        std::size_t count = 1;
        while (count < m_rest.size() && isWordChar(m_rest[count]))
            ++count;
        const std::string_view word = m_rest.substr(0, count);
        m_rest.remove_prefix(count);
        if (!take("\xe2\x80\x99") && !take("'")) {
            *this = start;
            return false;
        }
        name = std::string(word);
        return true;
    }

private:
    std::string_view m_rest;
};

} // namespace

std::vector<OldRuleMend> oldRuleMends(const std::string &compilerOutput, const std::string &file, bool clang)
{
    std::vector<OldRuleMend> mends;
    std::istringstream lines(compilerOutput);
    std::string line;
    while (std::getline(lines, line)) {
        MessageReader reader(line);
        std::string lineNumber;
        std::string column;
        if (!reader.take(file) || !reader.take(":") || !reader.takeNumber(lineNumber) || !reader.take(":")
            || !reader.takeNumber(column) || !reader.take(": "))
            continue;
        const MessageReader afterLocation = reader;
        std::string name;
        if (reader.take("error: ")) {
            reader.take("use of undeclared identifier "); // Clang's words; GCC's follow the name
            if (reader.takeQuotedName(name)) {
                mends.push_back({OldRuleMend::Kind::ForScope, std::stoi(lineNumber), std::stoi(column), name});
                continue;
            }
        }
        reader = afterLocation;
        const bool jumped = clang ? reader.take("note: jump bypasses variable initialization")
                                        || reader.take("note: jump bypasses variable with a non-trivial destructor")
                                  : reader.take("note:") && reader.takeSpaces() && reader.take("crosses initialization of ")
                                        && reader.takeOpeningQuote();
        reader = afterLocation;
        // Clang only warns of '' and then fails on what follows it, at the
        // same place; with warnings off that failure is all it says. Whether
        // a '' stands there is for the mend to see.
        const bool empty = reader.take(clang ? "warning: empty character constant" : "error: empty character constant")
                           || (clang && reader.take("error: expected expression"));
        // exit() without its status: GCC names the function, Clang says
        // "function call" (C) or finds no exit to call (C++). Whether an
        // exit() stands at the place is for the mend to see.
        reader = afterLocation;
        std::string called;
        bool exitCall = reader.take("error: too few arguments to function");
        reader = afterLocation;
        exitCall = exitCall
                   || (reader.take("error: no matching function for call to ") && reader.takeQuotedName(called)
                       && (called == "exit" || called == "_exit"));
        // A label with no statement after it: GCC's C++ finds no
        // expression before the '}', Clang no statement; whether a label
        // stands before the '}' is for the mend to see.
        reader = afterLocation;
        bool label = reader.take("error: expected primary-expression before ") && reader.takeOpeningQuote()
                     && reader.take("}");
        reader = afterLocation;
        label = label || reader.take("error: expected statement")
                || reader.take("error: label at end of compound statement");
        if (jumped || empty || exitCall || label) {
            const OldRuleMend::Kind kind = jumped      ? OldRuleMend::Kind::JumpPastInitialisation
                                           : empty    ? OldRuleMend::Kind::EmptyCharacter
                                           : exitCall ? OldRuleMend::Kind::ExitWithoutStatus
                                                      : OldRuleMend::Kind::LabelAtBlockEnd;
            const OldRuleMend mend{kind, std::stoi(lineNumber), std::stoi(column), {}};
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
    struct Said
    {
        int line;
        int column;
        std::string text;
    };
    std::vector<Said> said;
    const auto warn = [&said, &file](const OldRuleMend &mend, const std::string &text) {
        said.push_back({mend.line, mend.column, warningLine(file, mend.line, mend.column, text)});
    };
    const auto warnAt = [&said, &file](std::pair<int, int> place, const std::string &text) {
        said.push_back({place.first, place.second, warningLine(file, place.first, place.second, text)});
    };
    std::set<std::size_t> hoisted;
    std::set<std::size_t> jumpedOver;
    std::set<std::size_t> empties;
    std::set<std::size_t> exits;
    std::set<std::size_t> labels;
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
            warn(mend, "'" + mend.name + "' is used after the for loop that declares it; taken as the old compilers "
                       "did, as a variable of the enclosing block");
            continue;
        }
        if (mend.kind == OldRuleMend::Kind::EmptyCharacter) {
            // Only a '' of the program's code: the message's place may hold
            // anything else when Clang failed there for another reason.
            if (code.compare(at, 2, "''") != 0 || text.compare(at, 2, "''") != 0 || !empties.insert(at).second)
                continue;
            edits.push_back({at, 2, "'\\0'"});
            warn(mend, "empty character constant taken as '\\0', as the old compilers did");
            continue;
        }
        if (mend.kind == OldRuleMend::Kind::ExitWithoutStatus) {
            std::size_t name = 0;
            std::size_t close = 0;
            if (!exitCallAround(code, at, name, close) || !exits.insert(close).second)
                continue;
            edits.push_back({close, 0, "0"});
            const std::string called = text.substr(name, code.find('(', name) - name);
            const std::string function = called.substr(0, called.find_first_of(" \t"));
            warnAt(lineAndColumn(text, starts, name, clang),
                   function + "() without a status taken as " + function + "(0)");
            continue;
        }
        if (mend.kind == OldRuleMend::Kind::LabelAtBlockEnd) {
            std::size_t colon = 0;
            std::size_t label = 0;
            if (!labelBeforeBrace(code, at, colon, label) || !labels.insert(colon).second)
                continue;
            edits.push_back({colon + 1, 0, ";"});
            std::string shown = text.substr(label, colon - label);
            while (!shown.empty() && isBlank(shown.back()))
                shown.pop_back();
            warnAt(lineAndColumn(text, starts, label, clang),
                   "label '" + shown + "' at the end of a block taken as the label of an empty statement");
            continue;
        }
        // The variable jumped over: its name at the message's place.
        std::size_t nameEnd = at;
        while (nameEnd < code.size() && isWordChar(code[nameEnd]))
            ++nameEnd;
        if (nameEnd == at)
            continue;
        const std::string name = text.substr(at, nameEnd - at);
        if (!jumpedOver.insert(at).second)
            continue;
        // A scalar with "= value;" and no other declarator is declared
        // first and then assigned.
        std::size_t equals = nameEnd;
        while (equals < code.size() && std::isspace(static_cast<unsigned char>(code[equals])))
            ++equals;
        std::size_t typeStart = at;
        while (typeStart > 0 && std::string_view(";{}:").find(code[typeStart - 1]) == std::string_view::npos)
            --typeStart;
        if (equals < code.size() && code[equals] == '=' && (equals + 1 >= code.size() || code[equals + 1] != '=')
            && isScalarType(code.substr(typeStart, at - typeStart))) {
            const std::size_t end = statementEnd(code, equals + 1);
            if (end != std::string::npos && !hasTopLevelComma(code, equals + 1, end)) {
                edits.push_back({nameEnd, equals + 1 - nameEnd, "; " + name + " ="});
                warn(mend, "a jump to a case label passes the initialisation of '" + name
                               + "'; taken as the old compilers did");
                continue;
            }
        }
        // Anything else ends before the next case label, in a block of its
        // own; the jump then passes no initialisation.
        std::size_t open = 0;
        std::size_t close = 0;
        if (!caseBlock(code, at, name, open, close))
            continue;
        edits.push_back({close, 0, "}"});
        edits.push_back({open, 0, "{"});
        warn(mend, "a jump to a case label passes the initialisation of '" + name
                       + "'; taken as the old compilers did, with '" + name + "' ending at the next case label");
    }
    // The warnings in the order of the lines they are about, as the
    // compiler's own come.
    std::stable_sort(said.begin(), said.end(), [](const Said &a, const Said &b) {
        return std::pair(a.line, a.column) < std::pair(b.line, b.column);
    });
    for (Said &one : said)
        warnings.push_back(std::move(one.text));
    std::stable_sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) { return a.at > b.at; });
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
