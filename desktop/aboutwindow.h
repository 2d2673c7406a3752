#pragma once

#include "aboutidentity.h"

#include "platform/controls.h"
#include "platform/filesystem.h"
#include "platform/formwindow.h"
#include "platform/messages.h"
#include "platform/urlopener.h"

#include <functional>
#include <optional>

// The About window: it names the program, its version and release date,
// shows the getting-started help read from ReadPath (and deletes that
// file), and opens KVN's own web pages in the browser. The window's owner
// sets the public fields before Form_Load.
class AboutWindow
{
public:
    struct Controls
    {
        FormWindow &window;
        Label &lblAbout;
        Label &lblVersion;
        Label &lbldate;
        Label &lblCreator;
        Control &cmdDownload;
        Entry &Text1;
    };
    struct Services
    {
        FileSystem &files;
        Messages &messages;
        UrlOpener &urls;
    };

    // siteUrl is the address of the web pages, ending in '/', or empty when
    // they were not found.
    AboutWindow(Controls controls, Services services, QString siteUrl);

    void setIdentity(const AboutIdentity &identity);

    // Fills the window, reads and deletes the help file, and shows it
    // without making it modal.
    void Form_Load();
    void Form_Unload();
    void cmd_zorbel_Click();
    void cmd_Help_Click();
    void cmdDownload_Click();

    int AppID = 0;
    QString AppName;
    QString AppVersion;
    QString AppDate;
    QString ReadPath; // the help file; empty: none to read
    QString BaseURL;  // set by Form_Load

    // The help page of a program of the family, relative to BaseURL, or
    // nothing for an identity that has none.
    static std::optional<QString> helpPage(int appId);
    // BaseURL + page. A page that names a folder of KVN's local pages is
    // that folder's index.html, as a web server would serve it.
    static QString address(const QString &baseUrl, const QString &page);
    static QString creator() { return QStringLiteral("the Korvane (KVN) developers"); }
    static constexpr TwipSize initialSize{6600, 6480};

private:
    void open(const QString &page);

    Controls m_controls;
    Services m_services;
    QString m_siteUrl;
};

// One About window on the screen, made afresh for every opening by the
// Help command. Destroying the view takes the window away.
class AboutWindowView
{
public:
    virtual ~AboutWindowView() = default;
    virtual AboutWindow::Controls controls() = 0;
    // Hands the window's buttons to about, and a close by the user to closed.
    virtual void connectTo(AboutWindow &about, std::function<void()> closed) = 0;
};
