#pragma once

#include <QList>
#include <QString>

// One message of the compiler as its output states it.
struct Diagnostic
{
    enum class Severity { Error, Fatal, Warning, Note };

    // A line of a file, as the compiler names it.
    struct Place
    {
        QString file;
        int line = 0;
        int column = 0;
    };

    QString file;    // as the compiler wrote it; empty when the message names no file
    int line = 0;    // from 1; 0 when the message names no line
    int column = 0;  // from 1; 0 when the message names no column
    Severity severity = Severity::Error;
    QString message; // the text after the severity word, or the whole message when it has none
    int outputLine = 0; // the output line (from 0) that states the message
    // The output lines that belong to the message: the context before it
    // ("In function", "In file included from") and what follows it (the
    // quoted source line, its caret, ">>>" lines of the linker).
    int firstLine = 0;
    int lastLine = 0;
    // A driver's closing line that only repeats that something failed
    // ("collect2: error: ld returned 1 exit status").
    bool summary = false;
    // The lines that included the message's file ("In file included from"),
    // the innermost first.
    QList<Place> includedFrom;

    bool isError() const { return severity == Severity::Error || severity == Severity::Fatal; }
    bool hasLocation() const { return !file.isEmpty() && line > 0; }
};

// How a compiler counts the column of a message: GCC in display columns
// (a tab reaches the next multiple of 8, a wide character takes two),
// Clang in bytes of UTF-8.
enum class ColumnUnit { Display, Byte };

struct ParsedOutput
{
    QList<Diagnostic> diagnostics; // in the order of the output
    // Whether any line was understood as a message of a compiler or linker
    // or as the context of one. When none was, the output is in a form the
    // parser does not know.
    bool recognised = false;
    ColumnUnit columns = ColumnUnit::Display;
};

// The messages in what GCC, Clang, their linkers, kvncc and compilers of
// the classic "Error E2451 file.cpp 5: ..." form print.
namespace CompilerOutput {
// Lines end in LF or CR LF.
ParsedOutput parse(const QString &output);

// The offset within lineText (QString units) of the 1-based column, counted
// in unit; a column past the end gives the line's length, one below 1 gives 0.
int offsetOfColumn(const QString &lineText, int column, ColumnUnit unit);
} // namespace CompilerOutput
