#pragma once

#include "runwindow.h"

#include "platform/controls.h"
#include "platform/filesystem.h"
#include "platform/messages.h"
#include "platform/terminal.h"
#include "platform/timer.h"

// What the main window offers once a compile is over: to delete the
// object and debug-symbol files of a clean build, and to start the program
// it built. It runs on the main window's timer, which the run window
// starts at the end of every run. Both act on the files of the compile
// that ran, whatever the locations say by now.
class PostCompile
{
public:
    struct Services
    {
        Messages &messages;
        FileSystem &files;
        Terminal &terminal;
        // The boxes that follow a compile: they stand over the run window,
        // which a compile brings forward with its verdict.
        Messages &runMessages;
    };

    PostCompile(Timer &Timer1, const MenuItem &mnuDelete, RunWindow &runWindow, Services services);

    void Timer1_Timer();
    // Starts the built program in a terminal window; tells the user when
    // that cannot be done. An empty path does nothing. A copy started
    // earlier that still runs is not passed over: the user chooses to stop
    // it first, to start another copy, or to start nothing.
    void runProgram(const QString &program);
    // Before program is built again: when a copy started earlier still
    // runs, asks whether to stop it first. False when the user would rather
    // compile nothing.
    bool offerToStop(const QString &program);

    static QString stillRunningText(const QString &program)
    {
        return QStringLiteral("%1 is still running in its terminal.").arg(program);
    }

private:
    // Ends the running copies of program; says so when one would not end.
    bool stopProgram(const QString &program);

    Timer &m_timer;
    const MenuItem &m_mnuDelete;
    RunWindow &m_runWindow;
    Services m_services;
};
