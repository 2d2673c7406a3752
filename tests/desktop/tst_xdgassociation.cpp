#include "desktop/associateextensions.h"
#include "desktop/xdgassociation.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakefolders.h"
#include "platform/fake/fakemessages.h"
#include "platform/qt/qtfilesystem.h"
#include "platform/qt/qtfolders.h"
#include "platform/qt/qtregistry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs a desktop tool with the XDG folders of the test and no desktop
// environment of the machine's own, so that it answers from those alone
// (and from the system's folders in systemData, when given).
QString runTool(const QStringList &command, const QString &root, int *exitCode = nullptr,
                const QString &systemData = QString())
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                             "XDG_SESSION_DESKTOP", "BROWSER", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_DIRS"),
               root + QStringLiteral("/system") + (systemData.isEmpty() ? QString() : QLatin1Char(':') + systemData));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), root + QStringLiteral("/system-config"));
    process.setProcessEnvironment(env);
    process.start(command.first(), command.mid(1));
    process.waitForFinished(20000);
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()).trimmed();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestXdgAssociation : public QObject
{
    Q_OBJECT

private slots:
    void execArgument_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("argument");
        QTest::newRow("plain path") << "/usr/bin/kvn" << "/usr/bin/kvn";
        QTest::newRow("space: quoted") << "/home/u/my apps/kvn" << "\"/home/u/my apps/kvn\"";
        QTest::newRow("quote, dollar, backquote: escaped inside quotes")
            << "/a\"b$c`d/kvn" << "\"/a\\\\\"b\\\\$c\\\\`d/kvn\"";
        QTest::newRow("backslash: escaped twice") << "/a\\b/kvn" << "\"/a\\\\\\\\b/kvn\"";
        QTest::newRow("percent: not a field code") << "/a%f/kvn" << "/a%%f/kvn";
    }

    void execArgument()
    {
        QFETCH(QString, path);
        QFETCH(QString, argument);
        QCOMPARE(XdgAssociation::execArgument(path), argument);
    }

    void desktopEntryIsValid_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/bin/kvn";
        QTest::newRow("spaces and quotes") << "/home/u/KVN \"2.2\"/kvn";
        QTest::newRow("shell characters") << "/home/u/$(x) & `y`; 100%/kvn";
    }

    void desktopEntryIsValid()
    {
        QFETCH(QString, path);
        const std::optional<QByteArray> entry = XdgAssociation::desktopEntry(path, QStringLiteral("/usr/share/kvn.svg"));
        QVERIFY(entry);
        QVERIFY(entry->startsWith("[Desktop Entry]\n"));
        QVERIFY(entry->contains("\nExec=" + XdgAssociation::execArgument(path).toUtf8() + " %f\n"));
        QVERIFY(entry->contains("\nIcon=/usr/share/kvn.svg\n"));
        QVERIFY(entry->contains("\nMimeType=text/x-csrc;text/x-c;text/x-c++src;text/x-chdr;\n"));
        QVERIFY(!entry->contains('@'));

        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed");
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("kvn.desktop")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(*entry);
        file.close();
        int exitCode = -1;
        const QString said = runTool({validator, file.fileName()}, dir.path(), &exitCode);
        QVERIFY2(exitCode == 0 && said.isEmpty(), qPrintable(said));
    }

    void aLineBreakCannotGoIntoAnEntry()
    {
        QVERIFY(!XdgAssociation::desktopEntry(QStringLiteral("/home/u/a\nb/kvn"), QString()));
    }

    void withDefaults_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("no list yet") << QByteArray() << QByteArray("[Default Applications]\n"
                                                                   "text/x-csrc=kvn.desktop;\n"
                                                                   "\n"
                                                                   "[Added Associations]\n"
                                                                   "text/x-csrc=kvn.desktop;\n");
        QTest::newRow("other defaults, comments and sections kept")
            << QByteArray("# mine\n"
                          "[Default Applications]\n"
                          "text/html=firefox-esr.desktop;\n"
                          "\n"
                          "[Added Associations]\n"
                          "text/x-csrc=org.gnome.gedit.desktop;emacs.desktop;\n"
                          "image/png=gimp.desktop;\n")
            << QByteArray("# mine\n"
                          "[Default Applications]\n"
                          "text/html=firefox-esr.desktop;\n"
                          "text/x-csrc=kvn.desktop;\n"
                          "\n"
                          "[Added Associations]\n"
                          "text/x-csrc=kvn.desktop;org.gnome.gedit.desktop;emacs.desktop;\n"
                          "image/png=gimp.desktop;\n");
        QTest::newRow("another default replaced, no final line end")
            << QByteArray("[Default Applications]\ntext/x-csrc = vim.desktop;\n[Added Associations]\n"
                          "text/x-csrc=vim.desktop;kvn.desktop;")
            << QByteArray("[Default Applications]\ntext/x-csrc=kvn.desktop;\n[Added Associations]\n"
                          "text/x-csrc=kvn.desktop;vim.desktop;\n");
        QTest::newRow("no longer among the removed")
            << QByteArray("[Removed Associations]\ntext/x-csrc=kvn.desktop;emacs.desktop;\ntext/x-c=kvn.desktop;\n")
            << QByteArray("[Removed Associations]\ntext/x-csrc=emacs.desktop;\n\n"
                          "[Default Applications]\ntext/x-csrc=kvn.desktop;\ntext/x-c=kvn.desktop;\n\n"
                          "[Added Associations]\ntext/x-csrc=kvn.desktop;\ntext/x-c=kvn.desktop;\n");
    }

    void withDefaults()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QStringList types = before.contains("text/x-c=")
                                      ? QStringList{QStringLiteral("text/x-csrc"), QStringLiteral("text/x-c")}
                                      : QStringList{QStringLiteral("text/x-csrc")};
        const QByteArray once = XdgAssociation::withDefaults(before, XdgAssociation::desktopId(), types);
        QCOMPARE(once, after);
        // Associating again changes nothing more.
        QCOMPARE(XdgAssociation::withDefaults(once, XdgAssociation::desktopId(), types), after);
    }

    void writesTheEntryAndTheDefaults()
    {
        FakeFileSystem files{QStringLiteral("/home/u/")};
        FakeFolders folders{files};
        XdgAssociation xdg{{files, folders},
                           {QStringLiteral("/opt/kvn/bin/kvn"), QString(), QStringLiteral("/home/u/.local/share"),
                            QStringLiteral("/home/u/.config")}};
        const XdgAssociation::Result result = xdg.associate(XdgAssociation::mimeTypesOf(QStringLiteral(".h")));
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(folders.made, (QStringList{QStringLiteral("/home/u/.local/share/applications"),
                                            QStringLiteral("/home/u/.config")}));
        const QByteArray entry = files.files.value(QStringLiteral("/home/u/.local/share/applications/kvn.desktop"));
        QVERIFY(entry.contains("\nExec=/opt/kvn/bin/kvn %f\n"));
        QVERIFY(entry.contains("\nIcon=kvn\n"));
        QVERIFY(files.files.value(QStringLiteral("/home/u/.config/mimeapps.list"))
                    .startsWith("[Default Applications]\ntext/x-chdr=kvn.desktop;\n"));
    }

    // The whole command on real files in a temporary home, read back by the
    // desktop's own tools.
    void theDesktopOpensAssociatedFilesWithKvn()
    {
        const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (xdgMime.isEmpty())
            QSKIP("xdg-mime (xdg-utils) is not installed");
        QTemporaryDir home;
        const QString root = home.path();
        QVERIFY(QDir(root).mkpath(QStringLiteral("system/applications")));
        // A program whose folder has a space in it, which writes down what
        // it was started with.
        QVERIFY(QDir(root).mkpath(QStringLiteral("my programs")));
        const QString program = root + QStringLiteral("/my programs/kvn");
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/started-with\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

        QtFileSystem files;
        QtFolders folders;
        QtRegistry registry(root + QStringLiteral("/config/kvn/registry.txt"));
        FakeMessages messages;
        FileAssociation association{{registry, files, messages}};
        XdgAssociation xdg{{files, folders},
                           {program, QString(), root + QStringLiteral("/data"), root + QStringLiteral("/config")}};
        AssociateExtensions command{{messages, association, xdg}, program};
        command.mnuAssExt_Click();
        QCOMPARE(messages.calls.size(), 3); // the three questions, no failure

        for (const char *type : {"text/x-csrc", "text/x-c", "text/x-c++src", "text/x-chdr"})
            QCOMPARE(runTool({xdgMime, QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(type)}, root),
                     QStringLiteral("kvn.desktop"));
        QCOMPARE(runTool({xdgMime, QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/x-c++hdr")}, root),
                 QString());
        QCOMPARE(registry.defaultValue(RegistryRoot::ClassesRoot, QStringLiteral("cpp\\shell\\Open with KVN\\command")),
                 program + QStringLiteral(" %1"));

        // Opening a C file as a file manager does starts the program with the
        // file's path. GIO is what GTK file managers open files with; it
        // finds the type by the extension in the system's MIME database.
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("gio (libglib2.0-bin) is not installed");
        for (const QString &name : {QStringLiteral("hello world.c"), QStringLiteral("main.cpp"), QStringLiteral("kvn.h")}) {
            const QString source = root + QLatin1Char('/') + name;
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("int main(void) { return 0; }\n");
            file.close();
            const QString startedWith = root + QStringLiteral("/my programs/started-with");
            QFile::remove(startedWith);
            int exitCode = -1;
            const QString said = runTool({gio, QStringLiteral("open"), source}, root, &exitCode,
                                         QStringLiteral("/usr/local/share:/usr/share"));
            QVERIFY2(exitCode == 0, qPrintable(said));
            // The program is started in the background and may still be writing.
            QTRY_COMPARE_WITH_TIMEOUT(contents(startedWith), (source + QLatin1Char('\n')).toUtf8(), 10000);
        }
    }
};

QTEST_GUILESS_MAIN(TestXdgAssociation)
#include "tst_xdgassociation.moc"
