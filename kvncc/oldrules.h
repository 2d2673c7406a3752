#pragma once

#include <string>
#include <vector>

namespace kvncc {

// Rules that the old compilers did not have, and that programs written for
// them break: a variable of a for loop's head used after the loop (it lived
// on in the enclosing block), a jump to a case label past the
// initialisation of a variable, an empty character constant '' (read as
// 0), exit() without a status, and a label right before the '}' of its
// block ("End: }"). kvncc mends them from the compiler's own messages and
// compiles again, as those compilers took the code: with a warning. The
// first two are C++'s only.
struct OldRuleMend
{
    enum class Kind { ForScope, JumpPastInitialisation, EmptyCharacter, ExitWithoutStatus, LabelAtBlockEnd };
    Kind kind = Kind::ForScope;
    // from 1: the use after the loop, the variable jumped over, the '', the
    // call of exit (its name or a parenthesis), or the '}' after the label
    // (or the place right after the label's ':')
    int line = 0;
    int column = 0; // as the compiler counted it
    std::string name;
    bool operator==(const OldRuleMend &) const = default;
};

// The mends that the compiler's messages about file (as the compile named
// it) call for. clang tells that the columns are Clang's (bytes) rather
// than GCC's (display columns).
std::vector<OldRuleMend> oldRuleMends(const std::string &compilerOutput, const std::string &file, bool clang);

// text with the mends made, every line where it was: a for loop's
// declaration moves in front of the loop ("for (int i = 0; ..." becomes
// "int i = 0; for (; ..."); a scalar variable jumped over is declared first
// and then assigned ("int j = 5;" becomes "int j; j = 5;"); any other
// variable jumped over, an object whose constructor must run, ends before
// the next case label of its switch: the statements from its declaration up
// to that label go into a block of their own ("case 1:{ string s = t; ...
// break;} case 2:"), unless the switch uses it after that label; '' is
// '\0'; exit() and _exit() get the status 0; a label (of goto's or a case
// label) right before a '}' labels an empty statement ("End:; }"). The
// lines of warning to show for the mends made go to warnings
// ("file:line:column: warning: ..."); a mend that cannot be made safely is
// left out.
std::string withOldRules(const std::string &text, const std::vector<OldRuleMend> &mends, const std::string &file,
                         bool clang, std::vector<std::string> &warnings);

} // namespace kvncc
