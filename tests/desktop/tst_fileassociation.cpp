#include "desktop/associateextensions.h"
#include "desktop/fileassociation.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakefolders.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/fakeregistry.h"

#include <QTest>

using Values = QMap<QString, QString>;

namespace {

const QString kvn = QStringLiteral("/opt/kvn/bin/kvn");

struct Fixture
{
    FakeRegistry registry;
    FakeFileSystem files{QStringLiteral("/home/u/")};
    FakeFolders folders{files};
    FakeMessages messages;
    FileAssociation association{{registry, files, messages}};
    XdgAssociation desktop{{files, folders},
                           {kvn, QString(), QStringLiteral("/home/u/.local/share"), QStringLiteral("/home/u/.config")}};
    AssociateExtensions command{{messages, association, desktop}, kvn};

    Fixture() { files.files.insert(kvn, QByteArray("\x7f" "ELF")); }

    static FileAssociationRequest cRow()
    {
        return {QStringLiteral(".c"), QStringLiteral("c"), QStringLiteral("C Source Files"),
                QStringLiteral("Open with KVN"), kvn, QString(), false, QString(), false};
    }

    QByteArray mimeapps() const { return files.files.value(QStringLiteral("/home/u/.config/mimeapps.list")); }
};

} // namespace

class TestFileAssociation : public QObject
{
    Q_OBJECT

private slots:
    void writesThePlan_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("switches");
        QTest::addColumn<bool>("setIcon");
        QTest::addColumn<QString>("defaultIcon");
        QTest::addColumn<Values>("values");
        QTest::addColumn<QString>("rewrittenSwitch");

        const QString command = QStringLiteral("c\\shell\\Open with KVN\\command");
        const Values plain{{QStringLiteral(".c"), QStringLiteral("c")},
                           {QStringLiteral("c"), QStringLiteral("C Source Files")},
                           {command, kvn + QStringLiteral(" %1")}};
        QTest::newRow("the C row") << ".c" << "" << false << "" << plain << "";
        QTest::newRow("extension without its dot") << "c" << "" << false << "" << plain << "";

        Values withSwitch = plain;
        withSwitch[command] = kvn + QStringLiteral(" /n %1");
        QTest::newRow("switch with spaces around it") << ".c" << "   /n  " << false << "" << withSwitch << " /n";
        Values withTab = plain;
        withTab[command] = kvn + QStringLiteral(" \t/n %1");
        QTest::newRow("only spaces are trimmed from a switch") << ".c" << "\t/n " << false << "" << withTab << " \t/n";

        Values programIcon = plain;
        programIcon[QStringLiteral("c\\DefaultIcon")] = kvn + QStringLiteral(",0");
        QTest::newRow("icon of the program when none is given") << ".c" << "" << true << "" << programIcon << "";
        Values givenIcon = plain;
        givenIcon[QStringLiteral("c\\DefaultIcon")] = QStringLiteral("/usr/share/icons/c.svg");
        QTest::newRow("given icon, trimmed") << ".c" << "" << true << "  /usr/share/icons/c.svg " << givenIcon << "";
        QTest::newRow("no icon unless asked for") << ".c" << "" << false << "/usr/share/icons/c.svg" << plain << "";
    }

    void writesThePlan()
    {
        QFETCH(QString, extension);
        QFETCH(QString, switches);
        QFETCH(bool, setIcon);
        QFETCH(QString, defaultIcon);
        QFETCH(Values, values);
        QFETCH(QString, rewrittenSwitch);

        Fixture f;
        FileAssociationRequest request = Fixture::cRow();
        request.Extension = extension;
        request.Switch = switches;
        request.SetIcon = setIcon;
        request.DefaultIcon = defaultIcon;
        request.PromptOnError = true;
        QVERIFY(f.association.CreateFileAss(request));
        QCOMPARE(f.registry.values(), values);
        QVERIFY(f.messages.calls.isEmpty());
        // The caller sees the arguments as the routine left them.
        QCOMPARE(request.Extension, QStringLiteral(".c"));
        QCOMPARE(request.Action, QStringLiteral("c\\shell\\Open with KVN\\command"));
        QCOMPARE(request.Switch, rewrittenSwitch);
    }

    void refusesBeforeWritingAnything_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("appPath");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");

        const int critical = int(Icon::Critical);
        QTest::newRow("missing program file")
            << ".c" << "/opt/kvn/bin/gone" << "The application path '/opt/kvn/bin/gone' cannot be found."
            << "DLL/OCX Register" << critical;
        QTest::newRow("empty program path")
            << ".c" << "" << "The application path '' cannot be found." << "DLL/OCX Register" << critical;
        QTest::newRow("empty extension")
            << "" << kvn << "Error associating files! Please try again." << "Error found!" << int(Icon::Information);
        QTest::newRow("c|x, named with its dot")
            << "c|x" << kvn << "The file extension '.c|x' contains an illegal char (\\/:*?<>|\")."
            << "DLL/OCX Register" << critical;
        for (const QChar c : QStringLiteral("\\/:*?<>|\"")) {
            const QString extension = QStringLiteral(".c") + c;
            QTest::newRow(qPrintable(QStringLiteral("illegal %1").arg(c)))
                << extension << kvn
                << QStringLiteral("The file extension '%1' contains an illegal char (\\/:*?<>|\").").arg(extension)
                << "DLL/OCX Register" << critical;
        }
    }

    void refusesBeforeWritingAnything()
    {
        QFETCH(QString, extension);
        QFETCH(QString, appPath);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(int, icon);

        for (const bool prompt : {true, false}) {
            Fixture f;
            FileAssociationRequest request = Fixture::cRow();
            request.Extension = extension;
            request.AppPath = appPath;
            request.PromptOnError = prompt;
            QVERIFY(!f.association.CreateFileAss(request));
            QVERIFY(f.registry.calls.isEmpty());
            if (!prompt) {
                QVERIFY(f.messages.calls.isEmpty());
                continue;
            }
            QCOMPARE(f.messages.calls.size(), 1);
            QCOMPARE(f.messages.calls[0].text, text);
            QCOMPARE(f.messages.calls[0].title, title);
            QCOMPARE(int(f.messages.calls[0].icon), icon);
            QCOMPARE(f.messages.calls[0].buttons, Buttons::Ok);
        }
    }

    void registryFailuresStillTryEveryEntry_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<Values>("written");

        const QString command = QStringLiteral("c\\shell\\Open with KVN\\command");
        // A key that could not be made cannot take its value either.
        QTest::newRow("extension key cannot be created")
            << "create" << ".c" << QStringList{"", "DLL/OCX Register"}
            << Values{{QStringLiteral("c"), QStringLiteral("C Source Files")}, {command, kvn + QStringLiteral(" %1")}};
        QTest::newRow("file type key cannot be opened")
            << "open" << "c" << QStringList{"DLL/OCX Register"}
            << Values{{QStringLiteral(".c"), QStringLiteral("c")}, {command, kvn + QStringLiteral(" %1")}};
        QTest::newRow("command value cannot be set")
            << "set" << command << QStringList{""}
            << Values{{QStringLiteral(".c"), QStringLiteral("c")}, {QStringLiteral("c"), QStringLiteral("C Source Files")}};
    }

    void registryFailuresStillTryEveryEntry()
    {
        QFETCH(QString, failure);
        QFETCH(QString, path);
        QFETCH(QStringList, titles);
        QFETCH(Values, written);

        Fixture f;
        if (failure == QLatin1String("create"))
            f.registry.failCreateOf(path);
        else if (failure == QLatin1String("open"))
            f.registry.failOpenOf(path);
        else
            f.registry.failSetOf(path);
        FileAssociationRequest request = Fixture::cRow();
        request.PromptOnError = true;
        QVERIFY(!f.association.CreateFileAss(request));
        QCOMPARE(f.registry.values(), written);
        QCOMPARE(f.messages.titles(), titles);
        for (const FakeMessages::Call &call : std::as_const(f.messages.calls))
            QCOMPARE(call.text, QStringLiteral("error!"));
        // Two keys made, three values opened, and those that opened set.
        QCOMPARE(std::count_if(f.registry.calls.begin(), f.registry.calls.end(),
                               [](const FakeRegistry::Call &c) { return c.operation == QLatin1String("open"); }),
                 3);
    }

    void cancelAtTheFirstQuestionAsksNothingMore()
    {
        Fixture f;
        f.messages.answerNext(Reply::Cancel);
        f.command.mnuAssExt_Click();
        QCOMPARE(f.messages.calls.size(), 1);
        QCOMPARE(f.messages.calls[0].text,
                 QStringLiteral("Associate *.c files with KVN?\rPlease make sure that KVN stays at /opt/kvn/bin/kvn !"));
        QCOMPARE(f.messages.calls[0].title, QStringLiteral("Associate Profiles?"));
        QCOMPARE(f.messages.calls[0].buttons, Buttons::YesNoCancel);
        QCOMPARE(f.messages.calls[0].icon, Icon::Information);
        QCOMPARE(f.command.reply, Reply::Cancel);
        QVERIFY(f.registry.calls.isEmpty());
        QVERIFY(f.files.writes.isEmpty());
    }

    void noYesNoAssociatesOnlyCpp()
    {
        Fixture f;
        f.messages.answerNext(Reply::No);
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(Reply::No);
        f.command.mnuAssExt_Click();

        QCOMPARE(f.messages.calls.size(), 3);
        QVERIFY(f.messages.calls[1].text.startsWith(QStringLiteral("Associate *.cpp files with KVN?\r")));
        QVERIFY(f.messages.calls[2].text.startsWith(QStringLiteral("Associate *.h files with KVN?\r")));
        QCOMPARE(f.registry.values(),
                 (Values{{QStringLiteral(".cpp"), QStringLiteral("cpp")},
                         {QStringLiteral("cpp"), QStringLiteral("C++ Source Files")},
                         {QStringLiteral("cpp\\shell\\Open with KVN\\command"), kvn + QStringLiteral(" %1")}}));
        QVERIFY(f.files.exists(QStringLiteral("/home/u/.local/share/applications/kvn.desktop")));
        QCOMPARE(f.mimeapps(), QByteArray("[Default Applications]\n"
                                          "text/x-c++src=kvn.desktop;\n"
                                          "\n"
                                          "[Added Associations]\n"
                                          "text/x-c++src=kvn.desktop;\n"));
    }

    void rowFailures_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("registryWritten");

        QTest::newRow("program file gone") << "program" << "" << false;
        QTest::newRow("key store refuses") << "registry" << "" << false;
        QTest::newRow("desktop folder refused")
            << "folder" << "The folder /home/u/.local/share/applications could not be created.\r" << true;
        QTest::newRow("mimeapps.list unreadable") << "mimeapps" << "/home/u/.config/mimeapps.list could not be read.\r"
                                                  << true;
    }

    void rowFailures()
    {
        QFETCH(QString, cause);
        QFETCH(QString, reason);
        QFETCH(bool, registryWritten);

        Fixture f;
        const QString list = QStringLiteral("/home/u/.config/mimeapps.list");
        if (cause == QLatin1String("program"))
            f.files.files.remove(kvn);
        else if (cause == QLatin1String("registry"))
            f.registry.failCreateOf(QStringLiteral(".c"));
        else if (cause == QLatin1String("folder"))
            f.folders.refuse(QStringLiteral("/home/u/.local/share/applications"));
        else {
            f.files.files.insert(list, QByteArray("[Default Applications]\ntext/html=firefox.desktop;\n"));
            f.files.failReadsOf(list);
        }
        f.messages.answerNext(Reply::Yes);
        f.messages.answerNext(Reply::Ok);
        f.messages.answerNext(Reply::Cancel);
        f.command.mnuAssExt_Click();

        QCOMPARE(f.messages.calls.size(), 3);
        const FakeMessages::Call failure = f.messages.calls[1];
        QCOMPARE(failure.text, QStringLiteral("Error found! *.c files are NOT associated with KVN.\r") + reason
                                   + QStringLiteral("You may want to try again."));
        QCOMPARE(failure.title, QStringLiteral("Error found!"));
        QCOMPARE(failure.icon, Icon::Exclamation);
        QCOMPARE(failure.buttons, Buttons::Ok);
        // The failure is the only report: the routine itself stays silent.
        QVERIFY(f.messages.calls[2].text.startsWith(QStringLiteral("Associate *.cpp files")));
        QCOMPARE(f.registry.values().contains(QStringLiteral(".c")), registryWritten);
        if (cause == QLatin1String("mimeapps"))
            QCOMPARE(f.files.files.value(list), QByteArray("[Default Applications]\ntext/html=firefox.desktop;\n"));
    }
};

QTEST_GUILESS_MAIN(TestFileAssociation)
#include "tst_fileassociation.moc"
