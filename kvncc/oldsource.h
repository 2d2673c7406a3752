#pragma once

#include <string>
#include <vector>

namespace kvncc {

// What kvncc needs to know of a source written for the old compilers.
struct SourceTraits
{
    // It defines "void main(...)", or a main of another type than int
    // ("float main(void)"), which C++ refuses and which in C leaves the exit
    // status to chance: the source is compiled from a copy whose main of
    // kvncc's calls it and returns 0.
    bool voidMain = false;
    std::string mainType; // that main's type as written: "void", "float", "unsigned char"
    int mainParameters = 0; // of the user's main: 0, 2 (argc, argv) or 3 (with envp)
    // C++ only: a main without a return type, implicit int in the old days.
    bool untypedMain = false;
    // Names of the old library that the program defines itself, so that the
    // old headers leave them alone (KVN_OWN_<name>).
    std::vector<std::string> ownNames;
    // It writes far, near or huge pointers, which mean nothing here.
    bool oldPointers = false;
    // C++ only: it names a type, variable or function of its own std, as
    // programs could before namespaces, and never writes std::. The copy
    // calls that name stdRenamed (empty: none); stdLine and stdColumn (in
    // bytes, from 1) are where the program first writes it.
    std::string stdRenamed;
    int stdLine = 0;
    int stdColumn = 0;

    bool needsCopy() const { return voidMain || untypedMain || !stdRenamed.empty(); }
    bool operator==(const SourceTraits &) const = default;
};

// The names of the old library that the compatibility headers declare,
// each guarded by KVN_OWN_<name>.
const std::vector<std::string> &oldLibraryNames();

// text with comments and the insides of string and character literals
// turned into blanks, line ends kept, so that searches find only code and
// positions stay those of text.
std::string codeOnly(const std::string &text);

SourceTraits examineSource(const std::string &text, bool cpp);

// The copy kvncc compiles in place of a source with traits.needsCopy(),
// every line where it was, followed by kvncc's main. In C the user's void
// main (or main of another type) keeps its name and only its symbol
// changes; C++ insists that main returns int, so there it is renamed
// void_main. A C++ main without a type
// gets its int, and the program's own std is called traits.stdRenamed. A
// #line names the user's file, so every message names it and its own line
// numbers.
std::string rewrittenSource(const std::string &text, const SourceTraits &traits, const std::string &shownPath,
                            bool cpp);

// The compiler's output on a copy with the program's own std renamed to
// renamed: where it quotes a name, it names it std, as the user wrote it.
std::string withUsersStdName(const std::string &output, const std::string &renamed);

// The compiler's output on a C++ copy with the user's main of type type
// renamed: where it quotes that function ("In function 'void
// void_main()'"), it names it main, as the user wrote it.
std::string withUsersMainName(const std::string &output, const std::string &type = "void");

} // namespace kvncc
