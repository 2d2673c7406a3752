// Programs that break rules the old compilers did not have (an object's
// initialisation passed by a jump to a case label, an empty character
// constant, a type of the program's own named std, exit() without a
// status, a label right before a '}', a main of another type than int),
// built by the real kvncc with GCC and with Clang, and run.
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kvncc = QStringLiteral(KVNCC_PATH);
const QString fixtures = QStringLiteral(FIXTURES_DIR "/oldrules");

struct Result
{
    int exitCode = -1; // -1: it did not end normally in time
    QByteArray output;
};

// program in folder with the extra variables, its output merged.
Result run(const QString &program, const QStringList &args, const QString &folder, const QStringList &variables = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"KVNCC_COMPILER", "CPATH", "CPLUS_INCLUDE_PATH", "C_INCLUDE_PATH"})
        environment.remove(QString::fromUtf8(name));
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    process.setProcessEnvironment(environment);
    process.start(program, args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

} // namespace

class TestOldRulesBuild : public QObject
{
    Q_OBJECT

private slots:
    // One row per program and compiler: the switches, whether it builds,
    // lines that kvncc's output holds and texts it must not hold, and what
    // the program prints. The first build of each compiler goes through a
    // precompiled header, as a user's builds go; the others without, to
    // keep the test quick.
    void builds_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QByteArrayList>("said");
        QTest::addColumn<QByteArrayList>("notSaid");
        QTest::addColumn<QByteArray>("programSays");
        QTest::addColumn<bool>("cached");

        const QByteArray jumped = "warning: a jump to a case label passes the initialisation of ";
        const QByteArray ending = "; taken as the old compilers did, with ";
        const QByteArray objectsSay = "first 5\nwritten\nread [kept 2]\nafter the inner switch\ninner default\n"
                                      "after the inner switch\ndefault\n";
        const QByteArray emptyTaken = ": warning: empty character constant taken as '\\0', as the old compilers did\n";
        const QByteArray ownStd = "std_record.cpp:5:8: warning: 'std' is this program's own name, as before namespaces; "
                                  "it is compiled as 'std_', apart from the standard library's namespace std\n";
        for (const QString &compiler : {QStringLiteral("gcc"), QStringLiteral("clang")}) {
            const auto row = [&compiler](const char *name) -> QTestData & {
                return QTest::addRow("%s, %s", name, qPrintable(compiler)) << compiler;
            };
            row("objects in the cases of switches") << "case_objects.cpp" << QStringList{} << true
                << QByteArrayList{"case_objects.cpp:12:16: " + jumped + "'s'" + ending + "'s' ending at the next case label\n",
                                  "case_objects.cpp:15:22: " + jumped + "'out'", "case_objects.cpp:20:22: " + jumped + "'in'",
                                  "case_objects.cpp:21:20: " + jumped + "'line'",
                                  "case_objects.cpp:28:16: " + jumped + "'after'"}
                << QByteArrayList{"error", "case_objects.cpp:32:"} << objectsSay << true;
            row("-w- says nothing of them") << "case_objects.cpp" << QStringList{"-w-"} << true
                                            << QByteArrayList{} << QByteArrayList{"warning"} << objectsSay << false;
            row("a variable that a later case uses keeps its error") << "case_used_after.cpp" << QStringList{} << false
                << QByteArrayList{"case_used_after.cpp:11:16: note: "} << QByteArrayList{"passes the initialisation"}
                << QByteArray() << false;
            row("empty character constants in C") << "empty_char.c" << QStringList{} << true
                << QByteArrayList{"empty_char.c:10:14" + emptyTaken, "empty_char.c:11:28" + emptyTaken,
                                  "empty_char.c:14:38" + emptyTaken}
                << QByteArrayList{"empty_char.c:13:", "error"} << QByteArray("ab 2 '' 1\n") << false;
            row("empty character constants in C++") << "empty_char.cpp" << QStringList{} << true
                << QByteArrayList{"empty_char.cpp:6:18" + emptyTaken, "empty_char.cpp:8:10" + emptyTaken,
                                  "empty_char.cpp:11:18" + emptyTaken}
                << QByteArrayList{"error", "Winvalid-pp-token"} << QByteArray("no grade\n0 ''\n") << false;
            row("empty character constants, warnings off") << "empty_char.cpp" << QStringList{"-w-"} << true
                                                          << QByteArrayList{} << QByteArrayList{"warning", "error"}
                                                          << QByteArray("no grade\n0 ''\n") << false;
            row("a student record named std") << "std_record.cpp" << QStringList{} << true
                                              << QByteArrayList{ownStd} << QByteArrayList{"error"}
                                              << QByteArray("std hari 72\nstd std 65\nsize 24\n") << false;
            row("a mistake in a record named std names it as written") << "std_mistake.cpp" << QStringList{"-w-"} << false
                << QByteArrayList{compiler == u"gcc" ? QByteArray("std_mistake.cpp:12:15: error: \xe2\x80\x98struct std\xe2\x80\x99 "
                                                                  "has no member named \xe2\x80\x98nme\xe2\x80\x99")
                                                     : QByteArray("std_mistake.cpp:12:15: error: no member named 'nme' in 'std'")}
                << QByteArrayList{"std_'", "std_\xe2\x80\x99"} << QByteArray() << false;
            const QByteArray exitTaken = ": warning: exit() without a status taken as exit(0)\n";
            row("exit() without a status in C") << "exit_status.c" << QStringList{} << true
                                                << QByteArrayList{"exit_status.c:9:9" + exitTaken}
                                                << QByteArrayList{"error"}
                                                << QByteArray("count 1\ncount 2\ntoo many: 3\n") << false;
            row("exit() without a status in C++") << "exit_status.cpp" << QStringList{} << true
                                                  << QByteArrayList{"exit_status.cpp:15:42" + exitTaken}
                                                  << QByteArrayList{"error"} << QByteArray("member exit 3\nleaving\n")
                                                  << false;
            const QByteArray labelTaken = "' at the end of a block taken as the label of an empty statement\n";
            row("labels right before the end of a block") << "label_end.cpp" << QStringList{} << true
                << QByteArrayList{"label_end.cpp:15:5: warning: label 'default" + labelTaken,
                                  "label_end.cpp:28:1: warning: label 'End" + labelTaken}
                << QByteArrayList{"error"} << QByteArray("1 2 0 ") << false;
            // GCC takes it in C as it is.
            row("a label right before the end of a block in C") << "label_end.c" << QStringList{} << true
                << (compiler == u"gcc" ? QByteArrayList{} : QByteArrayList{"label_end.c:16:1: warning: label 'done" + labelTaken})
                << QByteArrayList{"error"} << QByteArray("sum 6\n") << false;
            row("float main") << "other_main.cpp" << QStringList{} << true << QByteArrayList{}
                              << QByteArrayList{"error", "must return"} << QByteArray("tone 880.0\n") << false;
            row("float main, optimised") << "other_main.cpp" << QStringList{"-O2"} << true << QByteArrayList{}
                                         << QByteArrayList{"error"} << QByteArray("tone 880.0\n") << false;
            row("char main in C ends with the status 0") << "other_main.c" << QStringList{} << true
                                                         << QByteArrayList{} << QByteArrayList{"error"}
                                                         << QByteArray("chars\n") << false;
            // The same shapes written the modern way build as they did, with
            // every warning on and failing the build.
            row("a modern program's exit and labels") << "modern_exit.c" << QStringList{"-w", "-w!", "-std=c11"} << true
                                                      << QByteArrayList{} << QByteArrayList{"warning", "error"}
                                                      << QByteArray("3\n") << false;
            row("a modern program") << "modern.cpp" << QStringList{"-w", "-w!", "-std=c++17"} << true
                                    << QByteArrayList{} << QByteArrayList{"warning", "error"}
                                    << QByteArray("braced 2 3 3 0 ''\n") << false;
            row("a modern C program") << "modern.c" << QStringList{"-w", "-w!", "-std=c11"} << true << QByteArrayList{}
                                      << QByteArrayList{"warning", "error"} << QByteArray("3 0 ''\n") << false;
        }
    }
    void builds()
    {
        QFETCH(QString, compiler);
        QFETCH(QString, fixture);
        QFETCH(QStringList, args);
        QFETCH(bool, succeeds);
        QFETCH(QByteArrayList, said);
        QFETCH(QByteArrayList, notSaid);
        QFETCH(QByteArray, programSays);
        if (QStandardPaths::findExecutable(compiler).isEmpty())
            QSKIP("the compiler is not installed");
        QTemporaryDir dir;
        QVERIFY(QFile::copy(fixtures + u'/' + fixture, dir.filePath(fixture)));
        QFETCH(bool, cached);
        const Result built = run(kvncc, QStringList{QStringLiteral("-q")} + args + QStringList{fixture}, dir.path(),
                                 {QStringLiteral("KVNCC_COMPILER=") + compiler,
                                  QStringLiteral("XDG_CACHE_HOME=") + dir.filePath(QStringLiteral("cache")),
                                  cached ? QStringLiteral("KVNCC_CACHE_NOW=1") : QStringLiteral("KVNCC_NO_CACHE=1")});
        QVERIFY2((built.exitCode == 0) == succeeds, built.output.constData());
        for (const QByteArray &text : said)
            QVERIFY2(built.output.contains(text), qPrintable(QString::fromUtf8(text + " not in:\n" + built.output)));
        for (const QByteArray &text : notSaid)
            QVERIFY2(!built.output.contains(text), qPrintable(QString::fromUtf8(text + " in:\n" + built.output)));
        if (!succeeds)
            return;
        const Result ran = run(dir.filePath(fixture.section(u'.', 0, 0) + QStringLiteral(".exe")), {}, dir.path());
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.output, programSays);
    }
};

QTEST_GUILESS_MAIN(TestOldRulesBuild)
#include "tst_oldrules_build.moc"
