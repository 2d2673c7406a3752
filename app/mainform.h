#pragma once

#include "preferences.h"
#include "settingsfile.h"

#include "compile/compilestate.h"
#include "compile/optionlist.h"
#include "compile/settingswriter.h"
#include "compile/compilelocations.h"
#include "compile/compilerequest.h"
#include "desktop/aboutidentity.h"
#include "desktop/associateextensions.h"
#include "desktop/desktopplaces.h"
#include "desktop/fileassociation.h"
#include "desktop/helpcommand.h"
#include "desktop/xdgassociation.h"
#include "editor/caretstatus.h"
#include "editor/ctextboxex.h"
#include "editor/document.h"
#include "editor/editorstate.h"
#include "editor/printjob.h"
#include "editor/textsearch.h"
#include "platform/clipboard.h"
#include "platform/filedialogs.h"
#include "platform/filesystem.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/terminal.h"
#include "platform/timer.h"
#include "platform/urlopener.h"
#include "run/compilermessages.h"
#include "run/postcompile.h"
#include "run/runwindow.h"

#include <array>

class Recovery;

// The services the main window uses, built once by the program's entry.
struct MainServices
{
    Messages &messages;
    FileSystem &files;
    Clipboard &clipboard;
    FileDialogs &dialogs;
    Process &process;
    Terminal &terminal;
    Printer &printer;
    QString defaultCompilerPath; // this platform's default compiler
    Registry &registry;
    Folders &folders;
    UrlOpener &urls;
    DesktopPlaces places; // this program's file, its data and the user's desktop folders
    Messages &runMessages; // the run window's boxes, shown over that window
};

// The controls of the main window that its logic reads and writes.
struct MainControls
{
    FormWindow &window;
    TextBox &Text1;
    Label &lblFilename;
    Label &lblLine;
    Entry &txtGotoLine;
    Entry &txtSearch;
    Entry &txtReplace;
    CheckBox &chkReplace;
    Button &cmdReplace;
    std::array<Control *, 2> fraMain;
    std::array<Button *, 4> cmdLocate;
    CheckList &List1;
    MenuItem &mnuFileSaved;
    MenuItem &mnuDelete;
    Timer &Timer1;
    RunWindow::Controls run; // the run window's
};

// The main window's behaviour: start-up, the panels, the layout, the Window
// menu, the settings writer and the way out. The window forwards its events
// here and holds nothing of its own.
class MainForm : public SettingsWriter
{
public:
    MainForm(MainServices services, MainControls controls);

    // commandLine is the whole argument string: the path of a document.
    void Form_Load(const QString &commandLine);
    void Form_Resize();
    void Form_Unload();
    // The window became the active one again: the document's file may have
    // been changed by another program meanwhile.
    void Form_Activate();

    void mnuMain_Click() { showPanel(0); }
    void mnuCompile_Click() { showPanel(1); }
    void mnuMin_Click() { m_controls.window.setState(WindowState::Minimised); }
    void mnuMax_Click() { m_controls.window.setState(WindowState::Maximised); }
    void mnuRestore_Click();
    void mnuExit_Click();

    // A close that did not come from Exit (the window manager, Alt+F4) is
    // refused; when the desktop session ends, unsaved work is offered for
    // saving first. Returns whether the program may end.
    bool closeRequested(bool sessionEnding);

    // A signal ends the program: nothing can be asked, so unsaved text is
    // kept for the next start instead.
    void Form_Terminate();

    // Keeps unsaved text across a crash or a signal; the window sets it
    // before Form_Load, which then offers what an earlier run kept, as
    // does every later opening of a document.
    void setRecovery(Recovery *recovery);

    void SaveSettings() override;
    bool settingsFileExists() override;
    Settings currentSettings() const;

    EditorState state;
    CompileState compile;
    AboutIdentity about;

    OptionList optionList;
    CompileLocations locations;
    CTextBoxEx TextBoxEx;
    CaretStatus caretStatus;
    Document document;
    SettingsFile settingsFile;
    RunWindow runWindow;
    PostCompile postCompile;
    CompileRequest compileRequest;
    CompilerMessages compilerMessages;
    TextSearch textSearch;
    PrintJob printJob;
    Preferences preferences;
    FileAssociation fileAssociation;
    XdgAssociation xdgAssociation;
    AssociateExtensions associateExtensions;
    HelpCommand help;

    void mnuAssExt_Click() { associateExtensions.mnuAssExt_Click(); }
    void mnuAbout_Click() { help.mnuAbout_Click(); }

    // The search bar lies on the Main panel, which comes forward first.
    void mnuSearch_Click();
    void mnuReplace_Click();

    void mnuRun_Click() { postCompile.runProgram(compile.newpath); }

    // path made absolute against folder, "." and ".." resolved.
    static QString absolutePath(const QString &path, const QString &folder);

private:
    void showPanel(int index);
    void applySettings(const Settings &settings);

    // A document named on the command line, or the template when there is
    // none or it cannot be opened.
    void openFirstDocument(const QString &commandLine);

    MainServices m_services;
    MainControls m_controls;
    Recovery *m_recovery = nullptr;
};
