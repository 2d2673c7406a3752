#include "helpcommand.h"

#include "helptext.h"

HelpCommand::HelpCommand(FormWindow &mainWindow, const AboutIdentity &identity, AboutWindow::Services services)
    : m_mainWindow(mainWindow)
    , m_identity(identity)
    , m_services(services)
{
}

void HelpCommand::mnuAbout_Click()
{
    if (!m_makeView)
        return;
    unloadAbout();

    QString readPath = m_workDir + HelpText::fileName();
    // A file of KVN's own: a link planted under its name is replaced, not
    // written through.
    const FileSystem::WriteResult written = m_services.files.replace(readPath, HelpText::bytes());
    if (!written.ok) {
        // The window still opens, with its buttons to the full help.
        m_services.messages.show(QStringLiteral("KVN could not write its help text to %1:\r%2.")
                                     .arg(readPath, written.error),
                                 QStringLiteral("About ") + m_identity.AppName, Buttons::Ok, Icon::Exclamation);
        readPath.clear();
    }

    m_view = m_makeView();
    AboutWindow::Controls controls = m_view->controls();
    m_about = std::make_unique<AboutWindow>(controls, m_services, m_siteUrl);
    m_about->setIdentity(m_identity);
    m_about->ReadPath = readPath;
    place(controls);
    m_view->connectTo(*m_about, [this] { unloadAbout(); });
    m_about->Form_Load();
}

void HelpCommand::place(AboutWindow::Controls &controls)
{
    const TwipPoint main = m_mainWindow.corner();
    if (m_mainWindow.state() == WindowState::Normal) {
        // Side by side: the main window at the screen's left edge, the About
        // window just right of it.
        m_mainWindow.moveTo({0, main.top});
        controls.window.moveTo({m_mainWindow.outerSize().width, main.top});
    } else {
        controls.window.moveTo({main.left + 3000, main.top + 3000});
    }
}

void HelpCommand::unloadAbout()
{
    if (!m_about)
        return;
    // Taken out first: unloading closes the window, whose close comes back
    // here and must find nothing left to do.
    const std::unique_ptr<AboutWindow> about = std::move(m_about);
    const std::unique_ptr<AboutWindowView> view = std::move(m_view);
    about->Form_Unload();
}
