#pragma once

#include "compileroutput.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Where a compiler's message is shown to the user, when that is elsewhere
// than the line the message states: a linker error on the uses of the name
// it is about, an error inside a system header on the user's own line that
// led to it.
struct Placement
{
    QString path;  // the file as found on disk; empty when not found
    QString named; // the file as the message names it; empty for none
    int line = 0;  // from 1; 0 for none
    int column = 0; // from 1 in the compiler's units; 0 for none
    int offset = -1; // in the line in QString units, when known as such
    QString message;
    bool moved = false; // away from the line the compiler stated, or newly worded

    bool hasLocation() const { return !named.isEmpty() && line > 0; }
};

class MessagePlacement
{
public:
    struct Sources
    {
        // The file a message names, as found on disk; empty when not found.
        std::function<QString(const QString &file)> find;
        // A file's text (the editor's when it shows the file); nothing when
        // it cannot be read.
        std::function<std::optional<QString>(const QString &path)> text;
        // Whether a file found on disk is one the user did not write.
        std::function<bool(const QString &path)> isSystem;
        QString compiledSource; // the file the compile was given
    };

    // One placement per message, in the same order.
    static QList<Placement> place(const QList<Diagnostic> &diagnostics, const Sources &sources);

    // At most this many of the user's headers are read to find a name.
    static constexpr int headerLimit = 32;
};
