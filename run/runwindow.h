#pragma once

#include "compileroutput.h"
#include "runrequest.h"

#include "platform/clipboard.h"
#include "platform/controls.h"
#include "platform/filedialogs.h"
#include "platform/filesystem.h"
#include "platform/formwindow.h"
#include "platform/messages.h"
#include "platform/outputbox.h"
#include "platform/process.h"
#include "platform/timer.h"

#include <functional>

// The run window: it runs one compile request through /bin/sh and
// "Run.bat", shows what the compiler printed under the command it was
// given, keeps that text in "results.txt", finds the compiler's messages in
// it and judges the compile. The verdict and the count of errors and
// warnings stand apart from the output, which stays as the compiler wrote
// it. The windows stay alive while the compiler works, and a compiler that
// hangs can be stopped.
class RunWindow
{
public:
    struct Controls
    {
        FormWindow &window;
        OutputBox &Text1;
        Label &lblVerdict;
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
    const QString &workDir() const { return m_workDir; }
    // Called when a run has ended, to start the main window's follow-up.
    void onRunEnded(std::function<void()> handler) { m_runEnded = std::move(handler); }
    // Called as the compiler is started.
    void onRunStarted(std::function<void()> handler) { m_runStarted = std::move(handler); }
    // The output is shown at the size of the editor's font, asked for each
    // time the window shows.
    void followFontSize(std::function<double()> editorFontSize) { m_fontSize = std::move(editorFontSize); }
    // The height in twips that the verdict's caption takes when wrapped to a
    // width in twips; a verdict of several lines gets that room.
    void measureVerdict(std::function<int(int width)> heightAt) { m_verdictHeightAt = std::move(heightAt); }

    // Shows the window with its waiting text and arms the run, which starts
    // once the box has painted that text (Text1_Painted), or after
    // armingDelay when it cannot paint. A window already showing the end of
    // a run starts the next one the same way.
    void Form_Load();
    void Text1_Painted();
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

    // The request as the last run took it; later changes to request do not
    // reach it.
    const RunRequest &lastRun() const { return m_lastRun; }
    // The compiler's messages in the output shown, their lines counted in
    // the window's text.
    const QList<Diagnostic> &diagnostics() const { return m_parsed.diagnostics; }
    ColumnUnit columnUnit() const { return m_parsed.columns; }
    // Whether a run of this session has been judged (it may still be going
    // on again).
    bool hasRun() const { return m_hasRun; }
    // Lights the message in hand in the output and brings it into view.
    void showDiagnostic(int index);

    // "2 errors, 1 warning": errors and fatal errors, each counted once (a
    // driver's closing line counts only when it stands alone), and warnings.
    static QString countText(const QList<Diagnostic> &diagnostics);

    RunRequest request;
    QString string1; // the command line of the last run
    bool ok = false; // the last run was clean

    static QString waitingText() { return QStringLiteral("Please wait while running compiler..."); }
    // Shown in place of the output when there is none to show.
    static QString noOutputText() { return QStringLiteral("No compile output yet."); }
    static constexpr TwipSize initialSize{6600, 6465};
    static constexpr int verdictHeight = 480;
    static constexpr int armingDelay = 500;

private:
    void runEnded(const Process::Result &result);
    void showLastOutput();
    // Shows text, in which the compiler's output starts at line outputStart,
    // with its messages set apart.
    void showOutput(const QString &text, const QString &output, int outputStart);
    void applyFontSize();
    // Shows caption as the verdict and makes room for it.
    void setVerdict(const QString &caption);

    Controls m_controls;
    Services m_services;
    QString m_workDir;
    std::function<void()> m_runEnded;
    std::function<void()> m_runStarted;
    std::function<double()> m_fontSize;
    std::function<int(int)> m_verdictHeightAt;
    RunRequest m_lastRun;
    QString m_runBat; // the script of the run going on, in the private folder
    QString m_output; // where it sends the compiler's output
    ParsedOutput m_parsed;
    QString m_verdict;
    bool m_loaded = false;
    bool m_hasRun = false;
};
