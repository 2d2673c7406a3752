#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Where a name stands in C or C++ source text, as a whole word outside
// comments, string and character literals. Read token by token without a
// compiler, so it tells a call from a declaration by the words around it.
namespace NameUses {
struct Use
{
    enum class Kind {
        Call,        // "name(" in an expression: square(3), b.area()
        Use,         // the name in an expression otherwise: counter++
        Declaration, // after a type: int square(int); extern int counter;
        Definition,  // a declaration with a body or an initial value
    };
    Kind kind = Kind::Use;
    int line = 0;   // from 1
    int offset = 0; // in the line, in QString units
};

// Every use of name (an identifier, or "~" and one for a destructor) in
// text, in the order of the text. Lines end in LF or CR LF.
QList<Use> find(const QString &text, const QString &name);

// The files text includes with #include "file", in order.
QStringList quotedIncludes(const QString &text);
} // namespace NameUses
