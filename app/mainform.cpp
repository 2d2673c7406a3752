#include "mainform.h"

#include "maincatalogue.h"
#include "mainlayout.h"
#include "recovery.h"

#include "run/runfiles.h"

#include <QDir>

namespace {
EditorControls editorControls(const MainControls &c)
{
    return {c.window, c.Text1, c.lblFilename, c.lblLine, c.txtGotoLine};
}
} // namespace

MainForm::MainForm(MainServices services, MainControls controls)
    : optionList(compile.options, controls.List1, services.messages)
    , locations(compile, controls.cmdLocate,
                {services.messages, services.dialogs, services.files, *this, optionList})
    , TextBoxEx(services.clipboard)
    , caretStatus(state, editorControls(controls), TextBoxEx)
    , document(state, editorControls(controls), TextBoxEx,
               {services.files, services.messages, services.dialogs, locations}, controls.mnuFileSaved)
    , settingsFile(services.files, services.messages)
    , runWindow(controls.run, {services.files, services.runMessages, services.dialogs, services.clipboard, services.process})
    , postCompile(controls.Timer1, controls.mnuDelete, runWindow, {services.messages, services.files, services.terminal, services.runMessages})
    , compileRequest({document, compile, controls.List1, controls.window, runWindow, services.messages})
    , compilerMessages({runWindow, document, controls.Text1, caretStatus, controls.window, services.messages,
                        services.files, [this] {
                            if (m_controls.fraMain[0]->isVisible())
                                m_controls.Text1.setFocus();
                            else
                                mnuMain_Click();
                        }})
    , textSearch(state, {controls.Text1, controls.txtSearch, controls.txtReplace, controls.chkReplace, controls.cmdReplace},
                 caretStatus, services.messages)
    , printJob(controls.Text1, services.printer, services.messages)
    , preferences(state, {controls.Text1, controls.lblFilename, controls.mnuFileSaved, controls.mnuDelete},
                  {services.messages, services.dialogs, *this})
    , fileAssociation({services.registry, services.files, services.messages})
    , xdgAssociation({services.files, services.folders},
                     {services.places.programPath, services.places.iconFile, services.places.dataHome,
                      services.places.configHome})
    , associateExtensions({services.messages, fileAssociation, xdgAssociation}, services.places.programPath)
    , help(controls.window, about, {services.files, services.messages, services.urls})
    , m_services(services)
    , m_controls(controls)
{
}

void MainForm::setRecovery(Recovery *recovery)
{
    m_recovery = recovery;
    document.onOpened([this] {
        if (m_recovery)
            m_recovery->opened();
    });
}

void MainForm::Form_Load(const QString &commandLine)
{
    showPanel(0);
    state.FormName = QStringLiteral("Korvane (KVN) 2.2");
    state.WorkDir = m_services.files.currentFolder();
    if (!state.WorkDir.endsWith(QLatin1Char('/')))
        state.WorkDir += QLatin1Char('/');
    about = {0, QStringLiteral("Korvane (KVN)"), QStringLiteral("2.2"), QStringLiteral("14th May 2003")};
    help.setWorkDir(state.WorkDir);
    help.setSiteUrl(m_services.places.siteUrl());
    TextBoxEx.setTextBox(&m_controls.Text1);
    state.LastSearchPos = 1;
    m_controls.Timer1.setEnabled(false);
    runWindow.setWorkDir(state.WorkDir);
    runWindow.onRunStarted([this] { compilerMessages.runStarted(); });
    runWindow.onRunEnded([this] {
        compilerMessages.runEnded();
        m_controls.Timer1.setEnabled(true);
    });
    runWindow.followFontSize([this] { return m_controls.Text1.fontSize(); });
    compileRequest.beforeBuilding([this](const QString &program) { return postCompile.offerToStop(program); });
    compile.options.reset();
    compile.srcfile.clear();
    compile.newpath.clear();
    compile.CompilerPath.clear();
    compile.configf.clear();
    state.fileopened.clear();

    locations.setDefaultCompilerPath(m_services.defaultCompilerPath);
    settingsFile.setFolder(state.WorkDir);
    const Settings defaults = currentSettings();
    const std::optional<Settings> stored = settingsFile.read(defaults);
    settingsFile.GotSave = stored.has_value();
    applySettings(stored.value_or(defaults));
    if (compile.CompilerPath.isEmpty())
        compile.CompilerPath = m_services.defaultCompilerPath;
    if (stored && compile.CompilerPath != m_services.defaultCompilerPath) {
        const QString why = settingsFile.whyNotYours();
        if (!why.isEmpty())
            compile.unconfirmedCompiler =
                UnconfirmedCompiler{compile.CompilerPath, settingsFile.path(), why, m_services.defaultCompilerPath};
    }
    if (!compile.configf.isEmpty())
        locations.setSpecified(Location::Configuration, true);

    openFirstDocument(commandLine);
    if (m_recovery)
        m_recovery->offerAtStart();
}

QString MainForm::absolutePath(const QString &path, const QString &folder)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return path;
    return QDir::cleanPath(folder + QLatin1Char('/') + path);
}

void MainForm::openFirstDocument(const QString &commandLine)
{
    // A path relative to the folder KVN was started in is made whole, so the
    // label, Save As and the built program's folder all name the same file.
    state.currFilename = absolutePath(commandLine, m_services.files.currentFolder());
    if (!state.currFilename.isEmpty()) {
        QString path = state.currFilename;
        // A file that cannot be opened has been reported by name; KVN then
        // starts with a new document instead.
        if (document.OpenSourceFile(Document::OpenMode::LoadGiven, path, QString()))
            return;
        state.currFilename.clear();
    }
    state.FileSaved = true;
    document.mnuNew_Click();
}

Settings MainForm::currentSettings() const
{
    Settings settings;
    settings.fontSize = m_controls.Text1.fontSize();
    settings.fileSavedConfirmation = m_controls.mnuFileSaved.isChecked();
    settings.deleteIntermediates = m_controls.mnuDelete.isChecked();
    settings.CompilerPath = compile.CompilerPath;
    settings.configf = compile.configf;
    settings.colours = state.colours;
    return settings;
}

void MainForm::applySettings(const Settings &settings)
{
    // A size the box refuses leaves the font as it was.
    m_controls.Text1.setFontSize(settings.fontSize);
    m_controls.mnuFileSaved.setChecked(settings.fileSavedConfirmation);
    m_controls.mnuDelete.setChecked(settings.deleteIntermediates);
    compile.CompilerPath = settings.CompilerPath;
    compile.configf = settings.configf;
    state.colours = settings.colours;
}

void MainForm::SaveSettings()
{
    settingsFile.write(currentSettings());
}

bool MainForm::settingsFileExists()
{
    settingsFile.GotSave = settingsFile.exists();
    return settingsFile.GotSave;
}

void MainForm::mnuSearch_Click()
{
    if (!m_controls.fraMain[0]->isVisible())
        mnuMain_Click();
    textSearch.mnuSearch_Click();
}

void MainForm::mnuReplace_Click()
{
    if (!m_controls.fraMain[0]->isVisible())
        mnuMain_Click();
    textSearch.mnuReplace_Click();
}

void MainForm::showPanel(int index)
{
    // Hide first, so that both panels are never visible together; the keys
    // then go to the panel shown, never to a hidden editor.
    m_controls.fraMain[size_t(1 - index)]->setVisible(false);
    m_controls.fraMain[size_t(index)]->setVisible(true);
    if (index == 0)
        m_controls.Text1.setFocus();
    else
        m_controls.List1.setFocus();
}

void MainForm::Form_Resize()
{
    const TwipSize outer = m_controls.window.outerSize();
    if (const std::optional<TwipSize> corrected = MainLayout::minimumSizeCorrection(outer)) {
        m_controls.window.setOuterSize(*corrected);
        return;
    }
    m_controls.window.place(MainLayout::place(outer));
}

void MainForm::mnuRestore_Click()
{
    // A maximised or minimised window cannot take a size; return it to normal first.
    if (m_controls.window.state() != WindowState::Normal)
        m_controls.window.setState(WindowState::Normal);
    m_controls.window.setOuterSize(MainCatalogue::minimumSize);
}

void MainForm::mnuExit_Click()
{
    if (!document.offerToSave())
        return;
    if (m_recovery)
        m_recovery->discard();
    if (runWindow.isRunning())
        m_services.process.stop();
    help.unloadAbout();
    if (runWindow.isLoaded())
        runWindow.Form_Unload();
    Form_Unload();
    m_controls.window.unload();
}

void MainForm::Form_Activate()
{
    // A compile being started is in the middle of its own questions and
    // its save; the next activation looks instead.
    if (compileRequest.starting())
        return;
    const Document::DiskCheck found = document.checkDisk();
    // Text that became unsaved without an edit is kept like typing is.
    if ((found == Document::DiskCheck::Kept || found == Document::DiskCheck::Removed) && m_recovery)
        m_recovery->edited();
}

void MainForm::Form_Unload()
{
    m_services.files.remove(RunFiles::results(state.WorkDir));
}

bool MainForm::closeRequested(bool sessionEnding)
{
    if (!sessionEnding)
        return false;
    if (!document.offerToSave())
        return false;
    if (m_recovery)
        m_recovery->discard();
    Form_Unload();
    return true;
}

void MainForm::Form_Terminate()
{
    if (m_recovery)
        m_recovery->keepNow();
    if (runWindow.isRunning())
        m_services.process.stop();
    Form_Unload();
}
