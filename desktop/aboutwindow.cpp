#include "aboutwindow.h"

AboutWindow::AboutWindow(Controls controls, Services services, QString siteUrl)
    : m_controls(controls)
    , m_services(services)
    , m_siteUrl(std::move(siteUrl))
{
}

void AboutWindow::setIdentity(const AboutIdentity &identity)
{
    AppID = identity.AppID;
    AppName = identity.AppName;
    AppVersion = identity.AppVersion;
    AppDate = identity.AppDate;
}

std::optional<QString> AboutWindow::helpPage(int appId)
{
    switch (appId) {
    case 0: return QStringLiteral("help/kvn/");
    case 1: return QStringLiteral("help/ostrel/");
    case 2: return QStringLiteral("help/vaskel/");
    case 3: return QStringLiteral("help/plenth/");
    default: return std::nullopt;
    }
}

QString AboutWindow::address(const QString &baseUrl, const QString &page)
{
    QString result = baseUrl + page;
    if (result.startsWith(QLatin1String("file:")) && result.endsWith(QLatin1Char('/')))
        result += QStringLiteral("index.html");
    return result;
}

void AboutWindow::Form_Load()
{
    m_controls.window.setTitle(QStringLiteral("About ") + AppName);
    BaseURL = m_siteUrl;
    m_controls.lblAbout.setCaption(QStringLiteral("About ") + AppName);
    m_controls.lblVersion.setCaption(QStringLiteral("Version: ") + AppVersion);
    m_controls.lbldate.setCaption(QStringLiteral("Release Date: ") + AppDate);
    m_controls.lblCreator.setCaption(QStringLiteral("Created by: ") + creator());
    m_controls.cmdDownload.setVisible(AppID == 1);

    if (!ReadPath.isEmpty()) {
        if (const std::optional<QByteArray> text = m_services.files.read(ReadPath)) {
            m_controls.Text1.setText(QString::fromUtf8(*text));
        } else {
            m_services.messages.show(QStringLiteral("KVN could not read its help text from %1.").arg(ReadPath),
                                     QStringLiteral("About ") + AppName, Buttons::Ok, Icon::Exclamation);
        }
        m_services.files.remove(ReadPath);
    }
    m_controls.window.showWindow();
}

void AboutWindow::Form_Unload()
{
    m_controls.window.unload();
}

void AboutWindow::open(const QString &page)
{
    if (BaseURL.isEmpty()) {
        // Without its pages there is nothing a browser could show; saying so
        // beats a button that does nothing.
        m_services.messages.show(QStringLiteral("KVN's help pages were not found. They belong in share/kvn/web beside "
                                                "the program, or in the kvn folder of the installation's data folder "
                                                "(such as /usr/share/kvn/web)."),
                                 QStringLiteral("About ") + AppName, Buttons::Ok, Icon::Exclamation);
        return;
    }
    // The browser's answer is not waited for: one that cannot show the page
    // says so itself. A desktop that has no program to open it with at all
    // is reported, with the address, so the page can still be read.
    const QString target = address(BaseURL, page);
    if (!m_services.urls.open(target)) {
        m_services.messages.show(QStringLiteral("The desktop found no program to show %1.").arg(target),
                                 QStringLiteral("About ") + AppName, Buttons::Ok, Icon::Exclamation);
    }
}

void AboutWindow::cmd_zorbel_Click()
{
    open(QString());
}

void AboutWindow::cmd_Help_Click()
{
    if (const std::optional<QString> page = helpPage(AppID))
        open(*page);
}

void AboutWindow::cmdDownload_Click()
{
    open(QStringLiteral("download.htm"));
}
