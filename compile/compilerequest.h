#pragma once

#include "compilestate.h"
#include "optionlist.h"

#include "editor/document.h"
#include "platform/controls.h"
#include "platform/formwindow.h"
#include "platform/messages.h"
#include "run/runwindow.h"

#include <functional>

// "Start Compiling!": makes sure the document is saved or the user chose
// not to, turns the Compile panel into a run request, places the run
// window beside the main window and starts the run.
class CompileRequest
{
public:
    struct Parts
    {
        Document &document;
        CompileState &compile;
        const CheckList &List1;
        FormWindow &mainWindow;
        RunWindow &runWindow;
        Messages &messages;
    };

    explicit CompileRequest(Parts parts) : m_parts(parts) {}

    void cmdCompile_Click();
    void mnuCompile1_Click() { cmdCompile_Click(); }
    void mnuCompile2_Click() { cmdCompile_Click(); }
    // "Show Compiler Output": the run window on the last output.
    void mnuOutput_Click();

    // "+" before a configuration file (and when there is none), "@" before
    // a response file.
    static QString configPrefix(const QString &configf);

    // Asked before each compile with the program it is to build; false
    // stops the compile (a copy of the program still running, say).
    void beforeBuilding(std::function<bool(const QString &program)> mayBuild) { m_mayBuild = std::move(mayBuild); }

    // While a compile is being started: its questions and its save hold the
    // document, and nothing else may ask about it in between.
    bool starting() const { return m_starting; }

    // Why a compile stopped at its save: the file had been changed on disk
    // and the user chose not to overwrite it.
    static QString cancelledForDiskChangeText(const QString &path);

private:
    void placeRunWindow();
    // Asks about a compiler that the settings file of someone else named;
    // false when the user would rather compile nothing.
    bool compilerConfirmed();

    Parts m_parts;
    std::function<bool(const QString &)> m_mayBuild;
    bool m_starting = false;
};
