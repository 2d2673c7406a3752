#include "app/maincatalogue.h"
#include "app/widgets/mainwindow.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

// The real main window remembers its place, size and state between
// sessions in its own file, and nothing of it reaches "kvn.txt".
class TestMainWindowPlacement : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QString m_file;

    std::unique_ptr<MainWindow> open()
    {
        auto window = std::make_unique<MainWindow>(QString());
        window->rememberPlacementIn(m_file);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return nullptr;
        return window;
    }

    static void exit(MainWindow &window)
    {
        window.form().mnuExit_Click();
        QVERIFY(!window.isVisible());
    }

    static QByteArray contentOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    static QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    // Where the window shows at the first start: the specified size,
    // centred.
    static void verifyFirstStartPlace(MainWindow &window)
    {
        QCOMPARE(window.frame().outerSize(), MainCatalogue::minimumSize);
        QVERIFY(!window.isMaximized());
        // Centred before the window had its frame: as near as the frame's
        // width.
        const QPoint offCentre = window.frameGeometry().center() - screenArea().center();
        QVERIFY2(qAbs(offCentre.x()) <= 4 && qAbs(offCentre.y()) <= 4,
                 qPrintable(QStringLiteral("%1,%2 from the centre").arg(offCentre.x()).arg(offCentre.y())));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        QDir::setCurrent(m_home.path());
    }

    void init()
    {
        m_file = m_home.filePath(QStringLiteral("config/kvn/window.conf"));
        QDir(m_home.filePath(QStringLiteral("config"))).removeRecursively();
        QFile::remove(m_home.filePath(QStringLiteral("kvn.txt")));
    }

    void firstStartAtTheSpecifiedSize()
    {
        auto window = open();
        QVERIFY(window);
        verifyFirstStartPlace(*window);
    }

    void normalWindowComesBackAsLeft()
    {
        TwipSize size;
        TwipPoint corner;
        {
            auto window = open();
            QVERIFY(window);
            window->frame().setOuterSize({7500, 7200});
            window->frame().moveTo({Twips::fromPixels(20), Twips::fromPixels(30)});
            QTRY_COMPARE(window->frame().outerSize(), (TwipSize{7500, 7200}));
            size = window->frame().outerSize();
            corner = window->frame().corner();
            exit(*window);
        }
        QVERIFY(QFile::exists(m_file));
        auto again = open();
        QVERIFY(again);
        QCOMPARE(again->frame().outerSize(), size);
        QCOMPARE(again->frame().corner(), corner);
        QVERIFY(!again->isMaximized());
    }

    void maximisedWindowComesBackMaximised()
    {
        TwipSize normalSize{7200, 6900};
        {
            auto window = open();
            QVERIFY(window);
            window->frame().setOuterSize(normalSize);
            QTRY_COMPARE(window->frame().outerSize(), normalSize);
            window->form().mnuMax_Click();
            QTRY_VERIFY(window->isMaximized());
            exit(*window);
        }
        auto again = open();
        QVERIFY(again);
        QTRY_VERIFY(again->isMaximized());
        // Restored, it takes the size it had before it was maximised.
        again->showNormal();
        QTRY_VERIFY(!again->isMaximized());
        QTRY_COMPARE(again->frame().outerSize(), normalSize);
    }

    void keptStateWaitsForTheFirstShowing()
    {
        QDir().mkpath(QFileInfo(m_file).path());
        write(m_file, "left=10\ntop=10\nwidth=500\nheight=450\nstate=maximised\n");
        MainWindow window{QString()};
        window.rememberPlacementIn(m_file);
        // Shown by whoever made it, once it is complete, not by the restore.
        QVERIFY(!window.isVisible());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(window.isMaximized());
    }

    void minimisedWindowComesBackNormal()
    {
        {
            auto window = open();
            QVERIFY(window);
            window->form().mnuMin_Click();
            QTRY_VERIFY(window->isMinimized());
            exit(*window);
        }
        auto again = open();
        QVERIFY(again);
        QVERIFY(!again->isMinimized());
        QVERIFY(!again->isMaximized());
        QCOMPARE(again->frame().outerSize(), MainCatalogue::minimumSize);
    }

    void unusableFileIsIgnored_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("garbage") << QByteArray("\x89PNG\r\n\x1a\n\x00\x00 left=x top=", 23);
        QTest::newRow("place without size") << QByteArray("left=10\ntop=10\n");
        QTest::newRow("huge") << QByteArray("left=10\ntop=10\nwidth=700\nheight=600\n").repeated(40000);
    }

    void unusableFileIsIgnored()
    {
        QFETCH(QByteArray, text);
        QDir().mkpath(QFileInfo(m_file).path());
        write(m_file, text);
        auto window = open();
        QVERIFY(window);
        verifyFirstStartPlace(*window);
        exit(*window);
        QVERIFY(contentOf(m_file).contains("\nwidth=444\nheight=432\nstate=normal\n"));
    }

    void offScreenPlaceIsBroughtBack()
    {
        QDir().mkpath(QFileInfo(m_file).path());
        write(m_file, "left=-30000\ntop=25000\nwidth=500\nheight=450\nstate=normal\n");
        auto window = open();
        QVERIFY(window);
        QVERIFY2(screenArea().contains(window->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2").arg(window->frameGeometry().x()).arg(window->frameGeometry().y())));
        QCOMPARE(window->frame().outerSize(), (TwipSize{Twips::fromPixels(500), Twips::fromPixels(450)}));
    }

    void tooLargeSizeIsMadeToFit()
    {
        QDir().mkpath(QFileInfo(m_file).path());
        write(m_file, "left=0\ntop=0\nwidth=9000\nheight=7000\nstate=normal\n");
        auto window = open();
        QVERIFY(window);
        QCOMPARE(window->frame().outerSize(),
                 (TwipSize{Twips::fromPixels(screenArea().width()), Twips::fromPixels(screenArea().height())}));
    }

    void settingsFileIsUntouched()
    {
        // A settings file as KVN writes it: font 10, no "File saved." box,
        // the delete question, a compiler and a configuration file.
        const QByteArray settings(" 10 \r\nFalse\r\nTrue\r\n/opt/bcc/bcc32\r\n/home/u/my.cfg\r\n 16777215 \r\n"
                                  " 0 \r\n 255 \r\n 65535 \r\n");
        const QString kvnTxt = m_home.filePath(QStringLiteral("kvn.txt"));
        write(kvnTxt, settings);
        {
            auto window = open();
            QVERIFY(window);
            window->frame().setOuterSize({8000, 7000});
            window->frame().moveTo({300, 450});
            window->form().mnuMax_Click();
            QTRY_VERIFY(window->isMaximized());
            exit(*window);
        }
        QCOMPARE(contentOf(kvnTxt), settings);
        QVERIFY(contentOf(m_file).contains("state=maximised"));
    }
};

QTEST_MAIN(TestMainWindowPlacement)
#include "tst_mainwindowplacement.moc"
