#include "desktop/desktopplaces.h"

#include <QTest>

// Where KVN looks for its data, seen from where its program file is.
class TestDesktopPlaces : public QObject
{
    Q_OBJECT

private slots:
    void dataFolder_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("dataFolder");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("site");

        QTest::newRow("installed under /usr")
            << "/usr/bin/kvn"
            << QStringList{"/usr/share/kvn/web/index.html", "/usr/share/icons/hicolor/scalable/apps/kvn.svg"}
            << "/usr/share/kvn" << "/usr/share/icons/hicolor/scalable/apps/kvn.svg" << "file:///usr/share/kvn/web/";
        QTest::newRow("build folder")
            << "/src/build/kvn"
            << QStringList{"/src/build/share/kvn/web/index.html", "/src/build/share/icons/hicolor/scalable/apps/kvn.svg"}
            << "/src/build/share/kvn" << "/src/build/share/icons/hicolor/scalable/apps/kvn.svg"
            << "file:///src/build/share/kvn/web/";
        QTest::newRow("beside the program before the installation")
            << "/opt/kvn/bin/kvn"
            << QStringList{"/opt/kvn/bin/share/kvn/web/index.html", "/opt/kvn/share/kvn/web/index.html"}
            << "/opt/kvn/bin/share/kvn" << "" << "file:///opt/kvn/bin/share/kvn/web/";
        QTest::newRow("prefix with a space")
            << "/home/u/my kvn/bin/kvn" << QStringList{"/home/u/my kvn/share/kvn/web/index.html"}
            << "/home/u/my kvn/share/kvn" << "" << "file:///home/u/my%20kvn/share/kvn/web/";
        QTest::newRow("a data folder without the pages is not KVN's")
            << "/usr/local/bin/kvn" << QStringList{"/usr/local/share/kvn/include/iostream.h"} << "" << "" << "";
    }

    void dataFolder()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, present);
        QFETCH(QString, dataFolder);
        QFETCH(QString, icon);
        QFETCH(QString, site);
        const DesktopPlaces places = DesktopPlaces::find(program, QProcessEnvironment(),
                                                         [&present](const QString &path) { return present.contains(path); });
        QCOMPARE(places.programPath, program);
        QCOMPARE(places.dataFolder, dataFolder);
        QCOMPARE(places.iconFile, icon);
        QCOMPARE(places.siteUrl(), site);
    }

    void xdgFolders_data()
    {
        QTest::addColumn<QString>("dataHome");
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<QString>("expectedData");
        QTest::addColumn<QString>("expectedConfig");
        QTest::newRow("set") << "/tmp/d/" << "/tmp/c" << "/tmp/d" << "/tmp/c";
        QTest::newRow("unset or empty") << "" << "" << "/home/u/.local/share" << "/home/u/.config";
        QTest::newRow("relative, so ignored") << "data" << "./config" << "/home/u/.local/share" << "/home/u/.config";
    }

    void xdgFolders()
    {
        QFETCH(QString, dataHome);
        QFETCH(QString, configHome);
        QFETCH(QString, expectedData);
        QFETCH(QString, expectedConfig);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), QStringLiteral("/home/u"));
        if (!dataHome.isEmpty())
            environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        const DesktopPlaces places = DesktopPlaces::find(QStringLiteral("/usr/bin/kvn"), environment,
                                                         [](const QString &) { return false; });
        QCOMPARE(places.dataHome, expectedData);
        QCOMPARE(places.configHome, expectedConfig);
    }
};

QTEST_GUILESS_MAIN(TestDesktopPlaces)
#include "tst_desktopplaces.moc"
