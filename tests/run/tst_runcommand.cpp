#include "run/commandline.h"

#include <QTest>

Q_DECLARE_METATYPE(RunRequest)

class TestRunCommand : public QObject
{
    Q_OBJECT

private:
    static RunRequest compileRequest()
    {
        RunRequest r;
        r.A_start = true;
        r.A_appuse = 1;
        r.A_clocation = QStringLiteral("/usr/lib/kvn/kvncc");
        r.A_configuse = QStringLiteral("1 ");
        r.A_config = QStringLiteral("+");
        r.A_outputuse = 1;
        r.A_output2 = QStringLiteral("-e");
        r.A_output = QStringLiteral("/home/u/hello.exe");
        r.A_adduse = 1;
        r.A_srcparam = QStringLiteral(" ");
        r.A_srcfile = QStringLiteral("/home/u/hello.cpp");
        r.A_ErrKeyList = QStringLiteral("Error,Fatal,error,fatal");
        return r;
    }

private slots:
    void assemble_data()
    {
        QTest::addColumn<RunRequest>("request");
        QTest::addColumn<QString>("command");

        RunRequest plain = compileRequest();
        QTest::newRow("no configuration, no options")
            << plain << QStringLiteral("/usr/lib/kvn/kvncc -e\"/home/u/hello.exe\"  \"/home/u/hello.cpp\"");

        RunRequest withAll = compileRequest();
        withAll.A_configf = QStringLiteral("/p/build.rsp");
        withAll.A_config = QStringLiteral("@");
        withAll.A_addparam = QStringLiteral(" -v -y -L/opt/lib -w ");
        QTest::newRow("response file and options")
            << withAll << QStringLiteral("/usr/lib/kvn/kvncc @\"/p/build.rsp\" -e\"/home/u/hello.exe\"  -v -y -L/opt/lib -w  \"/home/u/hello.cpp\"");

        RunRequest noSource = compileRequest();
        noSource.A_srcfile.clear();
        noSource.A_addparam = QStringLiteral("-c ");
        QTest::newRow("no source") << noSource << QStringLiteral("/usr/lib/kvn/kvncc -e\"/home/u/hello.exe\" -c ");

        RunRequest unsafe = compileRequest();
        unsafe.A_clocation = QStringLiteral("/opt/my tools/kvncc");
        unsafe.A_srcfile = QStringLiteral("/w/$(rm -rf ~)`id`\"q\"\\.cpp");
        unsafe.A_output.clear();
        QTest::newRow("names never run commands")
            << unsafe << QStringLiteral("\"/opt/my tools/kvncc\"  \"/w/\\$(rm -rf ~)\\`id\\`\\\"q\\\"\\\\.cpp\"");

        RunRequest usesOff = compileRequest();
        usesOff.A_configf = QStringLiteral("/p/x.cfg");
        usesOff.A_configuse = 0;
        usesOff.A_outputuse = QStringLiteral("2");
        usesOff.A_adduse = false;
        usesOff.A_addparam = QStringLiteral("-w ");
        QTest::newRow("use flags off") << usesOff << QStringLiteral("/usr/lib/kvn/kvncc  \"/home/u/hello.cpp\"");

        RunRequest other = compileRequest();
        other.A_appuse = 0;
        other.A_addparam = QStringLiteral("--version");
        QTest::newRow("path and options only") << other << QStringLiteral("/usr/lib/kvn/kvncc --version");
    }

    void assemble()
    {
        QFETCH(RunRequest, request);
        QFETCH(QString, command);
        QCOMPARE(CommandLine::assemble(request), command);
    }

    void useFlagsReadOneAsOn()
    {
        QVERIFY(RunRequest::isOn(1));
        QVERIFY(RunRequest::isOn(QStringLiteral("1 ")));
        QVERIFY(RunRequest::isOn(QStringLiteral(" 1.0")));
        QVERIFY(!RunRequest::isOn(QStringLiteral("11")));
        QVERIFY(!RunRequest::isOn(QVariant()));
        QVERIFY(!RunRequest::isOn(QStringLiteral("yes")));
    }

    void runBatHasTwoLines()
    {
        RunRequest r = compileRequest();
        QCOMPARE(CommandLine::runBat(r, QStringLiteral("CMD"), QStringLiteral("/home/u/output.txt")),
                 QByteArray("PATH=\"/usr/lib/kvn\"\nCMD > \"/home/u/output.txt\"\n"));
        r.A_clocation = QStringLiteral("kvncc");
        QCOMPARE(CommandLine::runBat(r, QStringLiteral("CMD"), QStringLiteral("/my dir/out.txt")),
                 QByteArray("PATH=\"kvncc\"\nCMD > \"/my dir/out.txt\"\n"));
    }

    void scan_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("found");
        QTest::newRow("nothing") << QString() << QString();
        QTest::newRow("Fatal alone") << QStringLiteral("Fatal: out of memory") << QStringLiteral("Fatal");
        QTest::newRow("lower-case error") << QStringLiteral("a.c:1: error: x") << QStringLiteral("error");
        QTest::newRow("capitals only") << QStringLiteral("ERROR FATAL") << QString();
        QTest::newRow("warning") << QStringLiteral("a.c:3: warning: unused variable") << QString();
        QTest::newRow("inside a word") << QStringLiteral("terrors") << QStringLiteral("error");
        QTest::newRow("list order") << QStringLiteral("fatal Error") << QStringLiteral("Error");
    }

    void scan()
    {
        QFETCH(QString, output);
        QFETCH(QString, found);
        QCOMPARE(CommandLine::foundKeyword(output, QStringLiteral("Error,Fatal,error,fatal")), found);
    }

    void keywordLists()
    {
        QCOMPARE(CommandLine::keywords(QStringLiteral("a,,b,")), (QStringList{"a", "b"}));
        QStringList many;
        for (int i = 0; i < 40; ++i)
            many.append(QString::number(i));
        QCOMPARE(CommandLine::keywords(many.join(QLatin1Char(','))).size(), 32);
        QVERIFY(CommandLine::foundKeyword(QStringLiteral("anything"), QString()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRunCommand)
#include "tst_runcommand.moc"
