#pragma once

#include "aboutwindow.h"

#include <memory>

// The Help command (F1): writes the help text to "r_kvn.txt" in the working
// folder, places a fresh About window beside the main window and loads it.
// At most one About window exists; Help replaces an open one.
class HelpCommand
{
public:
    using ViewMaker = std::function<std::unique_ptr<AboutWindowView>()>;

    // identity is read at every opening, so it may be filled in later.
    HelpCommand(FormWindow &mainWindow, const AboutIdentity &identity, AboutWindow::Services services);

    void setWorkDir(const QString &workDir) { m_workDir = workDir; }
    void setSiteUrl(const QString &siteUrl) { m_siteUrl = siteUrl; }
    // How the windows are made; without it Help does nothing.
    void makeViewsWith(ViewMaker maker) { m_makeView = std::move(maker); }

    void mnuAbout_Click();
    // Closes the About window, if one is open, for good.
    void unloadAbout();

    AboutWindow *about() const { return m_about.get(); }

private:
    void place(AboutWindow::Controls &controls);

    FormWindow &m_mainWindow;
    const AboutIdentity &m_identity;
    AboutWindow::Services m_services;
    QString m_workDir;
    QString m_siteUrl;
    ViewMaker m_makeView;
    std::unique_ptr<AboutWindowView> m_view;
    std::unique_ptr<AboutWindow> m_about;
};
