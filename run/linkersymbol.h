#pragma once

#include <QString>

#include <optional>

// What a linker's message says is wrong with a symbol of the program, read
// from GNU ld's and lld's wording. The symbol is as the linker demangled it
// ("ns::Box::area() const", "square(int)", or a C name such as "square").
struct LinkerSymbol
{
    enum class Problem {
        Undefined,    // used, maybe declared, but defined nowhere
        DefinedTwice, // defined in two places
        NoMain,       // the program has no main function
    };

    Problem problem = Problem::Undefined;
    QString symbol;
    // The identifier to look for in the sources: "area" for
    // "ns::Box::area() const", "~Box" for a destructor, the class for its
    // virtual table. Empty when the symbol has no such name (an operator).
    QString name;

    // The linker's message text (after "error: "), or nothing when it is
    // no message about a symbol.
    static std::optional<LinkerSymbol> read(const QString &message);

    // The message in the user's words; sourceName is the compiled file.
    QString wording(const QString &sourceName) const;
};
