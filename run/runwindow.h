#pragma once

#include "runrequest.h"

#include "platform/clipboard.h"
#include "platform/controls.h"
#include "platform/filedialogs.h"
#include "platform/filesystem.h"
#include "platform/formwindow.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/timer.h"

#include <functional>

// The run window: it runs one compile request through /bin/sh and
// "Run.bat", shows what the compiler printed under the command it was
// given, keeps that text in "results.txt", and judges the compile. The
// windows stay alive while the compiler works, and a compiler that hangs
// can be stopped.
class RunWindow
{
public:
    struct Controls
    {
        FormWindow &window;
        Entry &Text1;
        Button &cmdStop;
        Timer &Timer1;
    };
    struct Services
    {
        FileSystem &files;
        Messages &messages;
        FileDialogs &dialogs;
        Clipboard &clipboard;
        Process &process;
    };

    RunWindow(Controls controls, Services services);

    void setWorkDir(const QString &workDir) { m_workDir = workDir; }
    // Called when a run has ended, to start the main window's follow-up.
    void onRunEnded(std::function<void()> handler) { m_runEnded = std::move(handler); }

    // Shows the window with its waiting text and arms the run. A window
    // already showing the end of a run starts the next one the same way.
    void Form_Load();
    void Timer1_Timer();
    void RunCompiler();
    void cmdCopy_Click();
    void cmdSave_Click();
    void cmdStop_Click();
    void Form_Resize();
    void Form_Unload();
    // Brings the window forward with what it shows.
    void bringForward() { m_controls.window.showWindow(); }
    // The window's corner, set before it is shown.
    void moveTo(TwipPoint corner) { m_controls.window.moveTo(corner); }

    bool isLoaded() const { return m_loaded; }
    bool isRunning() const;

    RunRequest request;
    QString string1; // the command line of the last run
    bool ok = false; // the last run was clean

    static QString waitingText() { return QStringLiteral("Please wait while running compiler..."); }
    static constexpr TwipSize initialSize{6600, 6465};

private:
    void runEnded(const Process::Result &result);
    void showLastOutput();

    Controls m_controls;
    Services m_services;
    QString m_workDir;
    std::function<void()> m_runEnded;
    bool m_loaded = false;
};
