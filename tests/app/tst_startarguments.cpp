#include "app/startarguments.h"

#include <QProcess>
#include <QTest>

class TestStartArguments : public QObject
{
    Q_OBJECT

private slots:
    void argumentsAskForAFileOrAnAnswer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("path");
        const int open = int(StartArguments::Action::Open);
        QTest::newRow("nothing") << QStringList() << open << "";
        QTest::newRow("a file") << QStringList{"hello.cpp"} << open << "hello.cpp";
        QTest::newRow("words of one path") << QStringList{"/home/u/my", "prog.cpp"} << open << "/home/u/my prog.cpp";
        QTest::newRow("help") << QStringList{"--help"} << int(StartArguments::Action::Help) << "";
        QTest::newRow("version") << QStringList{"--version", "x"} << int(StartArguments::Action::Version) << "";
        QTest::newRow("a dashed name after --") << QStringList{"--", "--help"} << open << "--help";
        QTest::newRow("a dashed name as ./") << QStringList{"./-name.cpp"} << open << "./-name.cpp";
        QTest::newRow("any other dash word is a name") << QStringList{"-x.cpp"} << open << "-x.cpp";
    }

    void argumentsAskForAFileOrAnAnswer()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, path);
        const StartArguments start = StartArguments::parse(arguments);
        QCOMPARE(int(start.action), action);
        QCOMPARE(start.path, path);
    }

    // Answered without a display: the program is started with none.
    void theProgramAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("--version") << "--version" << QByteArray("Korvane (KVN) 2.2\n");
        QTest::newRow("--help") << "--help" << QByteArray("Usage: kvn [FILE]\n");
    }

    void theProgramAnswersWithoutADisplay()
    {
        QFETCH(QString, argument);
        QFETCH(QByteArray, answer);
        QProcess kvn;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        kvn.setProcessEnvironment(environment);
        kvn.start(QStringLiteral(KVN_PATH), {argument});
        QVERIFY(kvn.waitForFinished(10000));
        QCOMPARE(kvn.exitCode(), 0);
        QVERIFY2(kvn.readAllStandardOutput().startsWith(answer), qPrintable(argument));
    }
};

QTEST_GUILESS_MAIN(TestStartArguments)
#include "tst_startarguments.moc"
