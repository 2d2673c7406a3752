#include "desktop/helpcommand.h"
#include "desktop/helptext.h"
#include "platform/fake/fakecontrols.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/fakeurlopener.h"

#include <QTest>

Q_DECLARE_METATYPE(TwipPoint)

namespace {

const QString site = QStringLiteral("file:///usr/share/kvn/web/");

// An About window of fake controls; it tells the fixture when the Help
// command lets go of it.
class FakeAboutView : public AboutWindowView
{
public:
    FakeAboutView(QList<FakeAboutView *> &live, QList<bool> &dropped) : m_live(live), m_dropped(dropped)
    {
        m_live.append(this);
    }
    // Records whether the window had been unloaded when it was let go of.
    ~FakeAboutView() override
    {
        m_live.removeAll(this);
        m_dropped.append(window.unloaded);
    }

    AboutWindow::Controls controls() override
    {
        return {window, lblAbout, lblVersion, lbldate, lblCreator, cmdDownload, Text1};
    }
    void connectTo(AboutWindow &about, std::function<void()> closed) override
    {
        connected = &about;
        this->closed = std::move(closed);
    }

    FakeFormWindow window;
    FakeLabel lblAbout;
    FakeLabel lblVersion;
    FakeLabel lbldate;
    FakeLabel lblCreator;
    FakeControl cmdDownload;
    FakeEntry Text1;
    AboutWindow *connected = nullptr;
    std::function<void()> closed;

private:
    QList<FakeAboutView *> &m_live;
    QList<bool> &m_dropped;
};

struct Fixture
{
    FakeFileSystem files{QStringLiteral("/work/")};
    FakeMessages messages;
    FakeUrlOpener urls;
    FakeFormWindow main;
    AboutIdentity identity{0, QStringLiteral("Korvane (KVN)"), QStringLiteral("2.2"), QStringLiteral("14th May 2003")};
    // Before the command, which lets go of its last window when it goes.
    QList<FakeAboutView *> live;
    QList<bool> dropped;
    int made = 0;
    HelpCommand help{main, identity, {files, messages, urls}};

    Fixture()
    {
        help.setWorkDir(files.currentFolder());
        help.setSiteUrl(site);
        help.makeViewsWith([this] {
            ++made;
            return std::make_unique<FakeAboutView>(live, dropped);
        });
    }

    FakeAboutView &view() { return *live.last(); }
    void press(int appId)
    {
        identity.AppID = appId;
        help.mnuAbout_Click();
    }
};

} // namespace

class TestAboutWindow : public QObject
{
    Q_OBJECT

private slots:
    void helpOpensTheWindowFilled()
    {
        Fixture f;
        f.help.mnuAbout_Click();
        FakeAboutView &view = f.view();
        QCOMPARE(view.window.title(), QStringLiteral("About Korvane (KVN)"));
        QCOMPARE(view.lblAbout.caption(), QStringLiteral("About Korvane (KVN)"));
        QCOMPARE(view.lblVersion.caption(), QStringLiteral("Version: 2.2"));
        QCOMPARE(view.lbldate.caption(), QStringLiteral("Release Date: 14th May 2003"));
        QVERIFY(view.lblCreator.caption().startsWith(QStringLiteral("Created by: ")));
        QVERIFY(!view.cmdDownload.isVisible());
        QVERIFY(view.window.isShown());
        QCOMPARE(view.connected, f.help.about());
        // The text box holds the file as it was written, which is gone.
        QCOMPARE(view.Text1.text(), QString::fromUtf8(HelpText::bytes()));
        QCOMPARE(f.files.writes, QStringList{QStringLiteral("/work/r_kvn.txt")});
        QVERIFY(!f.files.exists(QStringLiteral("/work/r_kvn.txt")));
        QCOMPARE(f.help.about()->BaseURL, site);
        QVERIFY(f.messages.calls.isEmpty());
    }

    void buttonsByAppId_data()
    {
        QTest::addColumn<int>("appId");
        QTest::addColumn<QString>("help");
        QTest::addColumn<bool>("download");
        QTest::newRow("0, KVN") << 0 << site + QStringLiteral("help/kvn/index.html") << false;
        QTest::newRow("1, with downloads") << 1 << site + QStringLiteral("help/ostrel/index.html") << true;
        QTest::newRow("2") << 2 << site + QStringLiteral("help/vaskel/index.html") << false;
        QTest::newRow("3") << 3 << site + QStringLiteral("help/plenth/index.html") << false;
        QTest::newRow("4, no help page") << 4 << QString() << false;
        QTest::newRow("-1, no help page") << -1 << QString() << false;
    }

    void buttonsByAppId()
    {
        QFETCH(int, appId);
        QFETCH(QString, help);
        QFETCH(bool, download);
        Fixture f;
        f.press(appId);
        AboutWindow &about = *f.help.about();
        QCOMPARE(f.view().cmdDownload.isVisible(), download);

        about.cmd_Help_Click();
        QCOMPARE(f.urls.opened, help.isEmpty() ? QStringList() : QStringList{help});
        f.urls.opened.clear();
        about.cmd_zorbel_Click();
        QCOMPARE(f.urls.opened, QStringList{site + QStringLiteral("index.html")});
        f.urls.opened.clear();
        about.cmdDownload_Click();
        QCOMPARE(f.urls.opened, QStringList{site + QStringLiteral("download.htm")});
        QVERIFY(f.messages.calls.isEmpty());
    }

    void helpAgainReplacesTheWindow()
    {
        Fixture f;
        f.help.mnuAbout_Click();
        f.view().Text1.setText(QStringLiteral("scrolled and changed"));
        f.help.mnuAbout_Click();
        QCOMPARE(f.made, 2);
        QCOMPARE(f.live.size(), 1);
        QCOMPARE(f.dropped, QList<bool>{true});
        QCOMPARE(f.view().Text1.text(), QString::fromUtf8(HelpText::bytes()));
        QVERIFY(!f.files.exists(QStringLiteral("/work/r_kvn.txt")));
    }

    void placement_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<TwipPoint>("main");
        QTest::addColumn<TwipPoint>("about");
        QTest::newRow("normal: side by side") << int(WindowState::Normal) << TwipPoint{0, 1000} << TwipPoint{6660, 1000};
        QTest::newRow("minimised: offset") << int(WindowState::Minimised) << TwipPoint{2000, 1000} << TwipPoint{5000, 4000};
        QTest::newRow("maximised: offset") << int(WindowState::Maximised) << TwipPoint{2000, 1000} << TwipPoint{5000, 4000};
    }

    void placement()
    {
        QFETCH(int, state);
        QFETCH(TwipPoint, main);
        QFETCH(TwipPoint, about);
        Fixture f;
        f.main.moveTo({2000, 1000});
        f.main.setState(WindowState(state));
        f.help.mnuAbout_Click();
        QCOMPARE(f.main.corner(), main);
        QCOMPARE(f.view().window.corner(), about);
    }

    void closingAndOpeningAgainShowsTheIdentityAgain()
    {
        Fixture f;
        f.help.mnuAbout_Click();
        f.view().closed();
        QCOMPARE(f.dropped, QList<bool>{true});
        QVERIFY(f.live.isEmpty());
        QVERIFY(!f.help.about());
        f.help.mnuAbout_Click();
        QCOMPARE(f.view().window.title(), QStringLiteral("About Korvane (KVN)"));
        QCOMPARE(f.view().lblVersion.caption(), QStringLiteral("Version: 2.2"));
        QCOMPARE(f.view().lbldate.caption(), QStringLiteral("Release Date: 14th May 2003"));
    }

    void exitUnloadsTheWindow()
    {
        Fixture f;
        f.help.mnuAbout_Click();
        f.help.unloadAbout();
        QCOMPARE(f.dropped, QList<bool>{true});
        QVERIFY(!f.help.about());
        f.help.unloadAbout(); // nothing left to close
        QCOMPARE(f.dropped.size(), 1);
    }

    void anUnwritableWorkDirStillShowsTheWindow()
    {
        Fixture f;
        f.files.failWritesUnder(QStringLiteral("/work/"));
        f.help.mnuAbout_Click();
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls[0].text,
                 QStringLiteral("KVN could not write its help text to /work/r_kvn.txt:\rPermission denied."));
        QVERIFY(f.view().window.isShown());
        QCOMPARE(f.view().Text1.text(), QString());
    }

    void anUnreadableHelpFileIsReported()
    {
        Fixture f;
        f.files.failReadsOf(QStringLiteral("/work/r_kvn.txt"));
        f.help.mnuAbout_Click();
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls[0].text, QStringLiteral("KVN could not read its help text from /work/r_kvn.txt."));
        QVERIFY(!f.files.exists(QStringLiteral("/work/r_kvn.txt")));
    }

    void pagesThatCannotBeShownAreReported_data()
    {
        QTest::addColumn<QString>("siteUrl");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("text");
        QTest::newRow("pages not installed") << QString() << false << QStringLiteral("KVN's help pages were not found.");
        QTest::newRow("no program to open them")
            << site << true << QStringLiteral("The desktop found no program to show ") + site + QStringLiteral("help/kvn/index.html.");
    }

    void pagesThatCannotBeShownAreReported()
    {
        QFETCH(QString, siteUrl);
        QFETCH(bool, refuse);
        QFETCH(QString, text);
        Fixture f;
        f.help.setSiteUrl(siteUrl);
        if (refuse)
            f.urls.refuseAll();
        f.help.mnuAbout_Click();
        f.help.about()->cmd_Help_Click();
        QCOMPARE(f.messages.calls.size(), 1);
        QVERIFY2(f.messages.calls[0].text.startsWith(text), qPrintable(f.messages.calls[0].text));
    }

    void theHelpFileLayout()
    {
        const QByteArray bytes = HelpText::bytes();
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        QByteArray text = bytes;
        text.replace("\r\n", "\n");
        text.chop(1);
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), 23);
        const QMap<int, QByteArray> fixed{{0, "Thanks for using Korvane (KVN)!"},
                                          {4, "1. Before you start"},
                                          {7, "2. Features of KVN"},
                                          {12, "3. The Main Panel"},
                                          {16, "4. The Compile Panel"},
                                          {21, "5. The Run Window"}};
        const QList<int> empty{1, 3, 6, 11, 15, 20};
        const QList<int> paragraphs{5, 8, 9, 10, 13, 14, 17, 18, 19, 22};
        for (int i = 0; i < lines.size(); ++i) {
            const QByteArray &line = lines[i];
            if (fixed.contains(i))
                QCOMPARE(line, fixed.value(i));
            else if (empty.contains(i))
                QCOMPARE(line, QByteArray());
            else if (paragraphs.contains(i))
                QVERIFY2(line.endsWith('\t') && line.count('\t') == 1 && line.size() > 80, line.constData());
            else
                QVERIFY2(i == 2 && !line.contains('\t') && line.size() > 80, line.constData()); // the introduction
        }
    }
};

QTEST_GUILESS_MAIN(TestAboutWindow)
#include "tst_aboutwindow.moc"
