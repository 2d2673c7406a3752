#pragma once

#include <QString>

// Opens a terminal window in which a program KVN built runs through
// kvnrun, which says how the program ended and waits for a key before the
// window closes.
class Terminal
{
public:
    virtual ~Terminal() = default;

    struct Result
    {
        bool ok = true;
        QString error; // a sentence for the user when !ok
    };

    // Starts the terminal and returns at once; the program runs in
    // workingFolder. Fails, without starting anything, when no terminal
    // program or no kvnrun can be found.
    virtual Result run(const QString &program, const QString &workingFolder) = 0;
};
