#include "kvncc/oldsource.h"

#include "kvncc/codetext.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

namespace kvncc {

namespace {

const char *const renamedMain = "void_main";

int parameterCount(const std::string &list)
{
    std::string trimmed;
    for (const char c : list) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            trimmed += c;
    }
    if (trimmed.empty() || trimmed == "void")
        return 0;
    int count = 1;
    int depth = 0;
    for (const char c : list) {
        if (c == '(' || c == '[')
            ++depth;
        else if (c == ')' || c == ']')
            --depth;
        else if (c == ',' && depth == 0)
            ++count;
    }
    return count >= 3 ? 3 : count >= 2 ? 2 : 0;
}

// The first character after the blanks from pos on.
std::size_t skipBlanks(const std::string &code, std::size_t pos)
{
    while (pos < code.size() && std::isspace(static_cast<unsigned char>(code[pos])))
        ++pos;
    return pos;
}

bool isBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c));
}

// The position after the blanks and tabs (no line ends) from pos on.
std::size_t skipSpacesAndTabs(const std::string &code, std::size_t pos)
{
    while (pos < code.size() && (code[pos] == ' ' || code[pos] == '\t'))
        ++pos;
    return pos;
}

// The '(' of "main (" at pos, blanks and line ends allowed between; npos
// when "main" at pos is not followed by one.
std::size_t mainOpenAt(const std::string &code, std::size_t pos)
{
    if (code.compare(pos, 4, "main") != 0)
        return std::string::npos;
    const std::size_t open = skipBlanks(code, pos + 4);
    return open < code.size() && code[open] == '(' ? open : std::string::npos;
}

// The return type written before the "main" at pos when it is not int:
// the words of a built-in type right before it ("void", "float",
// "unsigned char"); empty for int, for no type and for anything else.
std::string otherMainType(const std::string &code, std::size_t pos)
{
    static const std::set<std::string_view> typeWords = {"void",  "char",  "short",  "int",     "long",
                                                         "float", "double", "signed", "unsigned"};
    std::vector<std::string> words;
    for (std::size_t end = pos;;) {
        std::size_t last = end;
        while (last > 0 && isBlank(code[last - 1]))
            --last;
        std::size_t first = last;
        while (first > 0 && isWordChar(code[first - 1]))
            --first;
        if (first == last || last == end || !typeWords.contains(std::string_view(code).substr(first, last - first)))
            break;
        words.insert(words.begin(), code.substr(first, last - first));
        end = first;
    }
    std::string type;
    bool plainInt = true;
    for (const std::string &word : words) {
        type += (type.empty() ? "" : " ") + word;
        plainInt = plainInt && (word == "int" || word == "signed");
    }
    return plainInt ? std::string() : type;
}

// The opening parentheses of the user's main: with otherType, every main
// of another type than int, "void main(" most often (declarations too, so
// that all of them are renamed), otherwise each definition "main(...) {"
// with no type before it at the start of a line. Scanned by hand: a
// pattern matcher that recurses once a character runs out of stack on a
// line of a few kilobytes.
std::vector<std::size_t> mainsIn(const std::string &code, bool otherType)
{
    std::vector<std::size_t> candidates;
    if (otherType) {
        for (std::size_t at = code.find("main"); at != std::string::npos; at = code.find("main", at + 1)) {
            if (at > 0 && isWordChar(code[at - 1]))
                continue;
            const std::size_t open = mainOpenAt(code, at);
            if (open != std::string::npos && !otherMainType(code, at).empty()) {
                candidates.push_back(open);
                at = open;
            }
        }
    } else {
        for (std::size_t start = 0;;) {
            const std::size_t open = mainOpenAt(code, skipSpacesAndTabs(code, start));
            if (open != std::string::npos)
                candidates.push_back(open);
            const std::size_t end = code.find('\n', start);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    std::vector<std::size_t> found;
    for (const std::size_t open : candidates) {
        const std::size_t close = closingBracket(code, open);
        if (close == std::string::npos)
            continue;
        const std::size_t next = skipBlanks(code, close + 1);
        if (otherType || (next < code.size() && code[next] == '{'))
            found.push_back(open);
    }
    return found;
}

// The position of "main" before the parenthesis at open.
std::size_t nameBefore(const std::string &code, std::size_t open)
{
    std::size_t end = open;
    while (end > 0 && std::isspace(static_cast<unsigned char>(code[end - 1])))
        --end;
    return end - 4;
}

// Whether name(...) { appears: a definition, not a call or a declaration.
bool defines(const std::string &code, const std::string &name)
{
    for (std::size_t at = code.find(name); at != std::string::npos; at = code.find(name, at + 1)) {
        if ((at > 0 && isWordChar(code[at - 1])) || (at + name.size() < code.size() && isWordChar(code[at + name.size()])))
            continue;
        std::size_t open = at + name.size();
        while (open < code.size() && std::isspace(static_cast<unsigned char>(code[open])))
            ++open;
        if (open >= code.size() || code[open] != '(')
            continue;
        // A call sits inside an expression; a definition's name follows a
        // type, so the word before it is not "return" or an operator.
        std::size_t before = at;
        while (before > 0 && std::isspace(static_cast<unsigned char>(code[before - 1])))
            --before;
        if (before == 0 || !(isWordChar(code[before - 1]) || code[before - 1] == '*' || code[before - 1] == '&'))
            continue;
        if (before >= 6 && code.compare(before - 6, 6, "return") == 0)
            continue;
        std::size_t close = closingBracket(code, open);
        if (close == std::string::npos)
            continue;
        std::size_t next = close + 1;
        while (next < code.size() && std::isspace(static_cast<unsigned char>(code[next])))
            ++next;
        if (code.compare(next, 5, "const") == 0)
            next += 5;
        while (next < code.size() && std::isspace(static_cast<unsigned char>(code[next])))
            ++next;
        if (next < code.size() && code[next] == '{')
            return true;
        // An old-style C definition: the parameters' types, then the body.
        if (next < code.size() && std::isalpha(static_cast<unsigned char>(code[next]))) {
            const std::size_t semicolonOrBrace = code.find_first_of(";{(", next);
            if (semicolonOrBrace != std::string::npos && code[semicolonOrBrace] == ';') {
                const std::size_t brace = code.find_first_of("{()=", semicolonOrBrace);
                if (brace != std::string::npos && code[brace] == '{')
                    return true;
            }
        }
    }
    return false;
}

// Whether the '{' at open begins the body of a class, struct or union,
// judged by the words since the statement before it.
bool opensClassBody(const std::string &code, std::size_t open)
{
    std::size_t start = open;
    while (start > 0 && std::string_view(";{})").find(code[start - 1]) == std::string_view::npos)
        --start;
    const std::string_view head = std::string_view(code).substr(start, open - start);
    for (const std::string_view word : {"class", "struct", "union"}) {
        for (std::size_t at = head.find(word); at != std::string_view::npos; at = head.find(word, at + 1)) {
            if ((at == 0 || !isWordChar(head[at - 1]))
                && (at + word.size() == head.size() || !isWordChar(head[at + word.size()])))
                return true;
        }
    }
    return false;
}

// Whether positions lie directly inside a class body, where a function's
// name is a member's and leaves the library's function alone; asked for
// positions in increasing order, it reads the text once.
class ClassBodies
{
public:
    explicit ClassBodies(const std::string &code) : m_code(code) {}

    bool contain(std::size_t pos)
    {
        for (; m_scanned < pos && m_scanned < m_code.size(); ++m_scanned) {
            if (m_code[m_scanned] == '{')
                m_classes.push_back(opensClassBody(m_code, m_scanned));
            else if (m_code[m_scanned] == '}' && !m_classes.empty())
                m_classes.pop_back();
        }
        return !m_classes.empty() && m_classes.back();
    }

private:
    const std::string &m_code;
    std::size_t m_scanned = 0;
    std::vector<bool> m_classes;
};

// Whether the line that ends at the line end at pos is a preprocessor line.
bool preprocessorLineBefore(const std::string &code, std::size_t pos)
{
    std::size_t start = pos;
    while (start > 0 && code[start - 1] != '\n')
        --start;
    const std::size_t first = skipSpacesAndTabs(code, start);
    return first < pos && code[first] == '#';
}

// Whether what comes before the name at pos, back to the start of its
// statement, is a type: words (not those that begin a statement with an
// expression), '*', '&', extern "C", and no operator, parenthesis or
// qualifier of the name.
bool typeBefore(const std::string &code, std::size_t pos)
{
    static const std::set<std::string_view> statements = {
        "return", "else", "do", "case", "goto", "throw",
        "new", "delete", "sizeof", "co_return", "co_yield", "co_await"};
    std::size_t start = pos;
    while (start > 0) {
        const char c = code[start - 1];
        if (c == ';' || c == '{' || c == '}')
            break;
        if (c == '\n' && preprocessorLineBefore(code, start - 1))
            break;
        if (c == ':' && !(start >= 2 && code[start - 2] == ':') && !(start < pos && code[start] == ':'))
            break; // a label or an access specifier, not "::"
        if (!(isWordChar(c) || isBlank(c) || c == '*' || c == '&' || c == '"' || c == ':'))
            return false;
        --start;
    }
    const std::string_view head = std::string_view(code).substr(start, pos - start);
    std::size_t last = head.find_last_not_of(" \t\r\n");
    if (last != std::string_view::npos && head[last] == ':')
        return false; // Class::name, a member
    bool typed = false;
    for (std::size_t at = 0; at < head.size();) {
        if (!isWordChar(head[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < head.size() && isWordChar(head[end]))
            ++end;
        if (statements.contains(head.substr(at, end - at)))
            return false;
        typed = true;
        at = end;
    }
    return typed;
}

// Whether a parameter that is a single word is a type ("int", "COORD",
// "size_t") rather than a variable handed to a constructor, as in "Timer
// delay(ms);". Longer parameters ("int n", "char *s") name their type.
bool namesAType(std::string_view parameter)
{
    static const std::set<std::string_view> builtins = {"void",  "int",    "char",     "short", "long", "float",
                                                        "double", "signed", "unsigned", "bool",  "wchar_t"};
    std::size_t end = 0;
    while (end < parameter.size() && isWordChar(parameter[end]))
        ++end;
    if (parameter.find_first_not_of(" \t\r\n", end) != std::string_view::npos || end == 0)
        return true;
    const std::string_view word = parameter.substr(0, end);
    return builtins.contains(word) || word.ends_with("_t")
           || std::any_of(word.begin(), word.end(), [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
}

// Whether a parameter list names types rather than passes values: empty,
// or each parameter beginning with a word and holding no operator, number
// or string.
bool namesTypes(std::string_view list)
{
    const std::size_t first = list.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return true;
    std::size_t from = 0;
    int depth = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        const char c = i < list.size() ? list[i] : ',';
        if (c == '(' || c == '[')
            ++depth;
        else if (c == ')' || c == ']')
            --depth;
        if (c != ',' || depth != 0)
            continue;
        const std::string_view part = list.substr(from, i - from);
        const std::size_t begin = part.find_first_not_of(" \t\r\n");
        if (begin == std::string_view::npos)
            return false;
        const bool startsAWord = std::isalpha(static_cast<unsigned char>(part[begin])) || part[begin] == '_';
        if (part.substr(begin, 3) != "..." && !startsAWord)
            return false;
        for (const char p : part) {
            if (!(isWordChar(p) || isBlank(p) || std::string_view("*&[]():.").find(p) != std::string_view::npos))
                return false;
        }
        if (!namesAType(part.substr(begin)))
            return false;
        from = i + 1;
    }
    return true;
}

// Whether name(...); appears as a prototype at file or block scope, such
// as "long random(void);": the program names the function itself, so the
// old meaning of the name must not stand in its way. Calls ("x =
// random(10);", "return random(5);", "if (kbhit())") and members of classes
// are not declarations.
bool declares(const std::string &code, const std::string &name)
{
    ClassBodies classBodies(code);
    for (std::size_t at = code.find(name); at != std::string::npos; at = code.find(name, at + 1)) {
        if ((at > 0 && isWordChar(code[at - 1])) || (at + name.size() < code.size() && isWordChar(code[at + name.size()])))
            continue;
        const std::size_t open = skipBlanks(code, at + name.size());
        if (open >= code.size() || code[open] != '(')
            continue;
        const std::size_t close = closingBracket(code, open);
        if (close == std::string::npos)
            continue;
        std::size_t next = skipBlanks(code, close + 1);
        for (const std::string_view word : {"const", "noexcept"}) {
            if (code.compare(next, word.size(), word) == 0 && !isWordChar(code[next + word.size()]))
                next = skipBlanks(code, next + word.size());
        }
        if (next >= code.size() || (code[next] != ';' && code[next] != ','))
            continue;
        if (namesTypes(std::string_view(code).substr(open + 1, close - open - 1)) && typeBefore(code, at)
            && !classBodies.contain(at))
            return true;
    }
    return false;
}

bool containsWord(const std::string &code, std::string_view word)
{
    for (std::size_t at = code.find(word); at != std::string::npos; at = code.find(word, at + 1)) {
        if ((at == 0 || !isWordChar(code[at - 1])) && !isWordChar(code[at + word.size()]))
            return true;
    }
    return false;
}

// "using namespace std;", blanks and line ends allowed between the words.
bool usesNamespaceStd(const std::string &code)
{
    for (std::size_t at = code.find("using"); at != std::string::npos; at = code.find("using", at + 1)) {
        if ((at > 0 && isWordChar(code[at - 1])) || !isBlank(code[at + 5]))
            continue;
        const std::size_t word = skipBlanks(code, at + 5);
        if (code.compare(word, 9, "namespace") != 0 || !isBlank(code[word + 9]))
            continue;
        const std::size_t name = skipBlanks(code, word + 9);
        if (code.compare(name, 3, "std") == 0 && !isWordChar(code[name + 3]))
            return true;
    }
    return false;
}

// "#define name": the program's own macro of that name.
bool definesMacro(const std::string &code, const std::string &name)
{
    for (std::size_t start = 0;;) {
        std::size_t pos = skipSpacesAndTabs(code, start);
        if (pos < code.size() && code[pos] == '#') {
            pos = skipSpacesAndTabs(code, pos + 1);
            if (code.compare(pos, 6, "define") == 0) {
                const std::size_t at = skipSpacesAndTabs(code, pos + 6);
                if (at > pos + 6 && code.compare(at, name.size(), name) == 0
                    && (at + name.size() == code.size() || !isWordChar(code[at + name.size()])))
                    return true;
            }
        }
        const std::size_t end = code.find('\n', start);
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

// The characters of a simple declaration between its type and a name.
bool inDeclarators(char c)
{
    return isWordChar(c) || c == ' ' || c == '\t' || c == '*' || c == ',' || c == '[' || c == ']';
}

// The end of the word that starts at pos.
std::size_t wordEnd(const std::string &code, std::size_t pos)
{
    while (pos < code.size() && isWordChar(code[pos]))
        ++pos;
    return pos;
}

// "int left[10];", "char right = 0, x;": a variable of a built-in type
// (names such as left clash with the stream manipulators of the old
// headers as much as functions do). The name follows the type on the same
// line, after a blank, '*' or ',', with only words, blanks, '*', ',' and
// brackets between; it ends in '[', '=', ';', ',' or ')'.
bool declaresVariable(const std::string &code, const std::string &name)
{
    static const std::set<std::string_view> types = {"int",   "char",     "float",  "double", "long",
                                                     "short", "unsigned", "signed", "bool"};
    const std::string_view view(code);
    std::size_t pos = 0;
    while (pos < code.size()) {
        if (!isWordChar(code[pos])) {
            ++pos;
            continue;
        }
        const std::size_t end = wordEnd(code, pos);
        if (!types.contains(view.substr(pos, end - pos))) {
            pos = end;
            continue;
        }
        std::size_t runEnd = end;
        while (runEnd < code.size() && inDeclarators(code[runEnd]))
            ++runEnd;
        for (std::size_t at = end + 1; at + name.size() <= runEnd; ++at) {
            const char before = code[at - 1];
            if ((before != ' ' && before != '\t' && before != '*' && before != ',')
                || code.compare(at, name.size(), name) != 0)
                continue;
            const std::size_t after = skipSpacesAndTabs(code, at + name.size());
            if (after < code.size() && std::string_view("[=;,)").find(code[after]) != std::string_view::npos)
                return true;
        }
        // A type word further on in the same run finds no name this one did
        // not find.
        pos = runEnd;
    }
    return false;
}

// "char far *p", "int * huge q": a pointer of the old segmented memory.
bool writesOldPointers(const std::string &code)
{
    const std::string_view view(code);
    std::size_t pos = 0;
    while (pos < code.size()) {
        if (!isWordChar(code[pos])) {
            ++pos;
            continue;
        }
        const std::size_t end = wordEnd(code, pos);
        const std::string_view word = view.substr(pos, end - pos);
        if (word == "far" || word == "near" || word == "huge") {
            const std::size_t after = skipBlanks(code, end);
            std::size_t before = pos;
            while (before > 0 && isBlank(code[before - 1]))
                --before;
            if ((after < code.size() && code[after] == '*') || (before > 0 && code[before - 1] == '*'))
                return true;
        }
        pos = end;
    }
    return false;
}

// text as the inside of a C string literal: a name in #line may hold any
// byte but a line end, and the compiler reads escapes in it, so that its
// messages show the name as it is.
std::string stringLiteralText(const std::string &text)
{
    std::string quoted;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            // Three octal digits always, so that a digit after it stays a digit.
            quoted += '\\';
            quoted += char('0' + (byte >> 6));
            quoted += char('0' + ((byte >> 3) & 7));
            quoted += char('0' + (byte & 7));
        } else {
            quoted += c;
        }
    }
    return quoted;
}

// Whether pos lies on an #include line, whose <name> is no code.
bool onIncludeLine(const std::string &code, std::size_t pos)
{
    const std::size_t lineEnd = code.rfind('\n', pos);
    std::size_t at = skipSpacesAndTabs(code, lineEnd == std::string::npos ? 0 : lineEnd + 1);
    if (at >= code.size() || code[at] != '#')
        return false;
    at = skipSpacesAndTabs(code, at + 1);
    return code.compare(at, 7, "include") == 0 || code.compare(at, 6, "import") == 0;
}

// The places where a program of the days before namespaces writes the name
// std for a name of its own, which the standard headers' namespace std
// would clash with: every word std but "namespace std", when one of them
// is outside every bracket (a type, variable or function of the whole
// program; a local one or a member clashes with nothing) and none is
// followed by "::" (a program that uses the namespace is left as it is).
std::vector<std::size_t> ownStdWords(const std::string &code)
{
    std::vector<std::size_t> words;
    bool outside = false;
    int depth = 0;
    std::size_t checked = 0;
    for (std::size_t at = code.find("std"); at != std::string::npos; at = code.find("std", at + 3)) {
        if ((at > 0 && isWordChar(code[at - 1])) || (at + 3 < code.size() && isWordChar(code[at + 3]))
            || onIncludeLine(code, at))
            continue;
        const std::size_t after = skipBlanks(code, at + 3);
        if (code.compare(after, 2, "::") == 0)
            return {};
        std::size_t before = at;
        while (before > 0 && isBlank(code[before - 1]))
            --before;
        if (before >= 9 && code.compare(before - 9, 9, "namespace") == 0 && (before == 9 || !isWordChar(code[before - 10])))
            continue;
        for (; checked < at; ++checked) {
            if (code[checked] == '{' || code[checked] == '(')
                ++depth;
            else if (code[checked] == '}' || code[checked] == ')')
                --depth;
        }
        outside = outside || depth == 0;
        words.push_back(at);
    }
    return outside ? words : std::vector<std::size_t>{};
}

// A name for the program's own std that it does not use itself.
std::string freeNameForStd(const std::string &code)
{
    const auto used = [&code](const std::string &name) {
        for (std::size_t at = code.find(name); at != std::string::npos; at = code.find(name, at + 1)) {
            if ((at == 0 || !isWordChar(code[at - 1]))
                && (at + name.size() >= code.size() || !isWordChar(code[at + name.size()])))
                return true;
        }
        return false;
    };
    std::string name = "std_";
    for (int n = 1; used(name); ++n)
        name = "std_" + std::to_string(n);
    return name;
}

} // namespace

const std::vector<std::string> &oldLibraryNames()
{
    static const std::vector<std::string> names = {
        "strupr", "strlwr", "strrev", "strset", "strnset", "stricmp", "strcmpi", "strnicmp", "strncmpi",
        "itoa", "ltoa", "ultoa", "random", "randomize", "gets",
        "getch", "getche", "kbhit", "clrscr", "gotoxy", "putch", "cputs",
        "textcolor", "textbackground", "textattr", "textmode", "cprintf", "cscanf", "cgets",
        "clreol", "delline", "insline", "window", "wherex", "wherey",
        "highvideo", "normvideo", "lowvideo", "delay", "sound", "nosound", "gettime", "getdate", "max", "min",
        "ungetch", "gettextinfo", "_setcursortype", "_dos_gettime", "_dos_getdate", "sleep", "farmalloc",
        "farcalloc", "farrealloc", "farfree", "coreleft", "farcoreleft", "movmem", "setmem", "flushall",
        "left", "right",
        "_getch", "_getche", "_kbhit", "_ungetch", "_cgets", "_cscanf", "_putch", "_cputs", "_cprintf", "_flushall",
        "_sleep", "GetStdHandle", "SetConsoleCursorPosition", "SetConsoleTextAttribute",
        "GetConsoleScreenBufferInfo", "SetConsoleCursorInfo", "GetConsoleCursorInfo", "FillConsoleOutputCharacterA",
        "FillConsoleOutputCharacter", "FillConsoleOutputAttribute", "WriteConsoleA", "WriteConsole",
        "SetConsoleTitleA", "SetConsoleTitle", "GetConsoleTitleA", "GetConsoleTitle", "SetConsoleScreenBufferSize",
        "SetConsoleWindowInfo", "SetConsoleOutputCP", "SetConsoleCP", "GetConsoleOutputCP", "GetConsoleCP",
        "GetConsoleMode", "SetConsoleMode", "FlushConsoleInputBuffer", "GetConsoleWindow", "GetWindowRect",
        "GetClientRect", "MoveWindow", "SetWindowPos", "ShowWindow", "Sleep", "Beep", "MessageBeep", "GetTickCount",
        "GetTickCount64", "QueryPerformanceCounter", "QueryPerformanceFrequency", "GetLocalTime", "GetSystemTime",
        "GetLastError", "ExitProcess", "MessageBoxA", "MessageBox", "SetCurrentConsoleFontEx",
        "GetCurrentConsoleFontEx", "GetAsyncKeyState", "GetKeyState",
        "CLK_TCK", "spawnl", "spawnlp", "spawnle", "spawnv", "spawnvp", "spawnve", "findfirst", "findnext",
        "fnsplit", "fnmerge", "getdisk", "setdisk", "mkdir", "int86", "int86x", "intdos", "intdosx", "segread",
        "bioskey", "_bios_keybrd",
    };
    return names;
}

std::string codeOnly(const std::string &text)
{
    std::string code = text;
    enum class State { Code, LineComment, BlockComment, String, Character } state = State::Code;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        switch (state) {
        case State::Code:
            if (c == '/' && next == '/') {
                state = State::LineComment;
                code[i] = ' ';
            } else if (c == '/' && next == '*') {
                state = State::BlockComment;
                code[i] = code[i + 1] = ' ';
                ++i;
            } else if (c == '"') {
                state = State::String;
            } else if (c == '\'') {
                state = State::Character;
            }
            break;
        case State::LineComment:
            if (c == '\n')
                state = State::Code;
            else
                code[i] = ' ';
            break;
        case State::BlockComment:
            if (c == '*' && next == '/') {
                code[i] = code[i + 1] = ' ';
                ++i;
                state = State::Code;
            } else if (c != '\n') {
                code[i] = ' ';
            }
            break;
        case State::String:
        case State::Character:
            if (c == '\\' && next != '\0') {
                code[i] = ' ';
                if (next != '\n')
                    code[i + 1] = ' ';
                ++i;
            } else if ((state == State::String && c == '"') || (state == State::Character && c == '\'') || c == '\n') {
                state = State::Code; // a line end closes a literal left open by mistake
            } else {
                code[i] = ' ';
            }
            break;
        }
    }
    return code;
}

SourceTraits examineSource(const std::string &text, bool cpp)
{
    const std::string code = codeOnly(text);
    SourceTraits traits;
    for (const std::size_t open : mainsIn(code, true)) {
        const std::size_t close = closingBracket(code, open);
        if (close == std::string::npos)
            continue;
        if (!traits.voidMain)
            traits.mainType = otherMainType(code, nameBefore(code, open));
        traits.voidMain = true;
        traits.mainParameters = std::max(traits.mainParameters, parameterCount(code.substr(open + 1, close - open - 1)));
    }
    traits.untypedMain = cpp && !traits.voidMain && !mainsIn(code, false).empty();
    for (const std::string &name : oldLibraryNames()) {
        // Most names are not in a program at all; the patterns are for those that are.
        if (code.find(name) == std::string::npos)
            continue;
        if (defines(code, name) || declares(code, name) || definesMacro(code, name) || declaresVariable(code, name))
            traits.ownNames.push_back(name);
    }
    // With "using namespace std" the standard file streams are in the
    // program's scope under their own names, which the old header's streams
    // of the same names would make ambiguous: the program keeps the standard
    // ones.
    if (cpp && usesNamespaceStd(code)) {
        for (const char *name : {"filebuf", "fstream", "ifstream", "ofstream"}) {
            if (containsWord(code, name))
                traits.ownNames.emplace_back(name);
        }
    }
    traits.oldPointers = writesOldPointers(code);
    if (cpp) {
        const std::vector<std::size_t> words = ownStdWords(code);
        if (!words.empty()) {
            traits.stdRenamed = freeNameForStd(code);
            const std::size_t lineStart = code.rfind('\n', words.front());
            traits.stdLine = int(std::count(code.begin(), code.begin() + std::ptrdiff_t(words.front()), '\n')) + 1;
            traits.stdColumn = int(words.front() - (lineStart == std::string::npos ? 0 : lineStart + 1)) + 1;
        }
    }
    return traits;
}

std::string rewrittenSource(const std::string &text, const SourceTraits &traits, const std::string &shownPath,
                            bool cpp)
{
    const std::string code = codeOnly(text);
    std::string body = text;
    if (cpp && traits.needsCopy()) {
        struct Rename
        {
            std::size_t at;
            std::size_t length;
            std::string name;
        };
        std::vector<Rename> renames;
        for (const std::size_t open : mainsIn(code, traits.voidMain)) {
            renames.push_back({nameBefore(code, open), 4, traits.voidMain ? renamedMain : "int main"});
            // A main of a type with a value ("float main") that ends
            // without a return would leave C++ to do anything there: the
            // old compilers returned what the register held, unused.
            if (traits.voidMain && traits.mainType != "void") {
                const std::size_t close = closingBracket(code, open);
                const std::size_t body = close == std::string::npos ? close : skipBlanks(code, close + 1);
                if (body < code.size() && code[body] == '{') {
                    if (const std::size_t end = closingBracket(code, body); end != std::string::npos)
                        renames.push_back({end, 0, "return 0;"});
                }
            }
        }
        if (!traits.stdRenamed.empty()) {
            for (const std::size_t at : ownStdWords(code))
                renames.push_back({at, 3, traits.stdRenamed});
        }
        // From the last to the first, so that the positions found stay right.
        std::sort(renames.begin(), renames.end(), [](const Rename &a, const Rename &b) { return a.at > b.at; });
        for (const Rename &rename : renames)
            body.replace(rename.at, rename.length, rename.name);
    }
    const std::string quoted = stringLiteralText(shownPath);
    std::string result;
    // The user's main keeps its name; its symbol makes room for kvncc's.
    // Clang's warning about main's type belongs at the user's line, not at
    // this declaration, which lies outside the user's file.
    if (traits.voidMain && !cpp)
        result += "#ifdef __clang__\n#pragma clang diagnostic push\n"
                  "#pragma clang diagnostic ignored \"-Wmain-return-type\"\n#endif\n"
                  + traits.mainType + " main() __asm__(\"kvn_void_main\");\n"
                  "#ifdef __clang__\n#pragma clang diagnostic pop\n#endif\n";
    result += "#line 1 \"" + quoted + "\"\n" + body;
    if (traits.voidMain) {
        static const char *const arguments[] = {"", "kvn_argc, kvn_argv", "kvn_argc, kvn_argv, kvn_envp"};
        const int which = traits.mainParameters == 3 ? 2 : traits.mainParameters == 2 ? 1 : 0;
        const std::string entry = cpp ? "int main(" : "int kvn_main(";
        result += "\n";
        if (!cpp)
            result += "int kvn_main(int kvn_argc, char **kvn_argv, char **kvn_envp) __asm__(\"main\");\n";
        result += entry + "int kvn_argc, char **kvn_argv, char **kvn_envp)\n{\n"
                  "    (void)kvn_argc; (void)kvn_argv; (void)kvn_envp;\n    "
                  + std::string(cpp ? renamedMain : "main") + "(" + arguments[which] + ");\n    return 0;\n}\n";
    }
    return result;
}

std::string withUsersMainName(const std::string &output, const std::string &type)
{
    // GCC quotes with ' or, in a UTF-8 locale, with U+2018.
    std::string result = output;
    for (const std::string quote : {"'", "\xe2\x80\x98"}) {
        const std::string renamed = quote + type + " " + renamedMain + "(";
        const std::string written = quote + type + " main(";
        for (std::size_t at = result.find(renamed); at != std::string::npos; at = result.find(renamed, at + written.size()))
            result.replace(at, renamed.size(), written);
    }
    return result;
}

std::string withUsersStdName(const std::string &output, const std::string &renamed)
{
    // Names come quoted, with ' or, from GCC in a UTF-8 locale, with U+2018
    // and U+2019; only those insides are looked at, not the paths.
    const std::string opening = "\xe2\x80\x98";
    const std::string closing = "\xe2\x80\x99";
    std::string result;
    result.reserve(output.size());
    bool quoted = false;
    bool typographic = false;
    for (std::size_t i = 0; i < output.size();) {
        if (output.compare(i, opening.size(), opening) == 0 && !quoted) {
            quoted = typographic = true;
        } else if (output.compare(i, closing.size(), closing) == 0 && typographic) {
            quoted = typographic = false;
        } else if (output[i] == '\'' && !typographic) {
            quoted = !quoted;
        } else if (output[i] == '\n') {
            quoted = typographic = false;
        } else if (quoted && output.compare(i, renamed.size(), renamed) == 0 && (i == 0 || !isWordChar(output[i - 1]))
                   && (i + renamed.size() >= output.size() || !isWordChar(output[i + renamed.size()]))) {
            result += "std";
            i += renamed.size();
            continue;
        }
        result += output[i];
        ++i;
    }
    return result;
}

} // namespace kvncc
