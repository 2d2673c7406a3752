#pragma once

#include <QString>

// Opens a terminal window in which a program KVN built runs through
// kvnrun, which says how the program ended and waits for a key before the
// window closes. It keeps track of the programs it started, so that a
// program still running can be found and ended.
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

    // Whether a copy of program that run() started is still running: the
    // program itself, not its terminal waiting for a key after it ended.
    // Programs started in any other way are never counted.
    virtual bool isRunning(const QString &program) = 0;

    // Ends every copy of program that run() started and that still runs:
    // asks it to end (SIGTERM), and kills one that has not ended after a
    // short, bounded wait (SIGKILL). No other process is ever signalled.
    // Its terminal then says how it ended and waits for a key, as after any
    // run. Returns false when a copy was still running at the end of the wait.
    virtual bool stop(const QString &program) = 0;
};
