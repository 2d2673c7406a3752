// kvncc itself, run on small programs the way KVN runs it.
#include "ptysession.h"

#include "editor/newfiletemplate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

const QString kvncc = QStringLiteral(KVNCC_PATH);
const QString kvnrun = QStringLiteral(KVNRUN_PATH);
const QString fixtures = QStringLiteral(FIXTURES_DIR);

struct Result
{
    int exitCode = -1;
    QByteArray output;
};

Result runProgram(const QString &program, const QStringList &args, const QString &folder,
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                  const QByteArray &input = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

// KVN judges a compile by these words alone.
bool holdsFailureWord(const QByteArray &output)
{
    for (const char *word : {"Error", "Fatal", "error", "fatal"}) {
        if (output.contains(word))
            return true;
    }
    return false;
}

bool copyFixture(const QString &name, const QString &folder)
{
    return QFile::copy(fixtures + u'/' + name, folder + u'/' + name);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestKvnccBuild : public QObject
{
    Q_OBJECT

private slots:
    // One row per situation: the fixtures copied into a fresh folder, the
    // command line (run in that folder), whether the build must succeed,
    // the files it must leave ("+name") or must not leave ("-name"), and
    // what the built program or kvncc itself must print.
    void builds_data()
    {
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("kvnccSays");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("programSays");

        const QStringList hello{"hello.c"};
        QTest::newRow("C program") << hello << QStringList{"-ehello.exe", "hello.c"} << true
                                   << QStringList{"+hello.obj", "+hello.exe", "-hello.tds"} << QByteArray("kvncc 2.")
                                   << "hello.exe" << QByteArray("root 4.0");
        QTest::newRow("syntax error") << QStringList{"syntax_error.cpp"} << QStringList{"syntax_error.cpp"} << false
                                      << QStringList{"-syntax_error.obj", "-syntax_error.exe"}
                                      << QByteArray("syntax_error.cpp:3:13: error:") << QString() << QByteArray();
        QTest::newRow("link error") << QStringList{"link_error.cpp"} << QStringList{"link_error.cpp"} << false
                                    << QStringList{"+link_error.obj", "-link_error.exe"}
                                    << QByteArray("undefined reference") << QString() << QByteArray();
        QTest::newRow("-w shows a warning and succeeds") << QStringList{"warning.cpp"} << QStringList{"-w", "warning.cpp"}
                                                         << true << QStringList{"+warning.exe"}
                                                         << QByteArray("warning: unused variable") << QString() << QByteArray();
        QTest::newRow("-w! makes it a failure") << QStringList{"warning.cpp"} << QStringList{"-w", "-w!", "warning.cpp"}
                                                << false << QStringList{"-warning.exe"} << QByteArray("unused variable")
                                                << QString() << QByteArray();
        QTest::newRow("missing source") << QStringList{} << QStringList{"-q", "nothere.cpp"} << false << QStringList{}
                                        << QByteArray("kvncc: fatal: cannot find source file nothere.cpp") << QString()
                                        << QByteArray();
        QTest::newRow("nothing to compile") << QStringList{} << QStringList{} << false << QStringList{}
                                            << QByteArray("kvncc: fatal: no source file given") << QString() << QByteArray();
        QTest::newRow("--help") << QStringList{} << QStringList{"--help"} << true << QStringList{}
                                << QByteArray("Usage: kvncc [+config.cfg]") << QString() << QByteArray();
        QTest::newRow("--version") << QStringList{} << QStringList{"--version"} << true << QStringList{}
                                   << QByteArray("kvncc (Korvane) 2.2\n") << QString() << QByteArray();
        QTest::newRow("-c") << hello << QStringList{"-c", "hello.c"} << true << QStringList{"+hello.obj", "-hello.exe"}
                            << QByteArray() << QString() << QByteArray();
        QTest::newRow("-S") << hello << QStringList{"-S", "hello.c"} << true << QStringList{"+hello.asm", "-hello.obj"}
                            << QByteArray() << QString() << QByteArray();
        QTest::newRow("-B") << hello << QStringList{"-B", "hello.c"} << true
                            << QStringList{"+hello.asm", "+hello.obj", "+hello.exe"} << QByteArray() << "hello.exe"
                            << QByteArray("root 4.0");
        QTest::newRow("-o") << hello << QStringList{"-omine", "hello.c"} << true
                            << QStringList{"+mine.obj", "-hello.obj", "+hello.exe"} << QByteArray() << QString() << QByteArray();
        QTest::newRow("-n") << hello << QStringList{"-nout dir", "hello.c"} << true
                            << QStringList{"+out dir/hello.obj", "+out dir/hello.exe", "-hello.obj"} << QByteArray()
                            << "out dir/hello.exe" << QByteArray("root 4.0");
        QTest::newRow("-tWD makes a shared library") << QStringList{"library.cpp"}
                                                     << QStringList{"-tWD", "-elibanswer.so", "library.cpp"} << true
                                                     << QStringList{"+libanswer.so"} << QByteArray() << QString() << QByteArray();
        QTest::newRow("no main without -tWD") << QStringList{"library.cpp"} << QStringList{"library.cpp"} << false
                                              << QStringList{"-library.exe"} << QByteArray("main") << QString() << QByteArray();
        QTest::newRow("-P compiles .c as C++") << QStringList{"cpp_in_c.c"} << QStringList{"-P", "cpp_in_c.c"} << true
                                               << QStringList{"+cpp_in_c.exe"} << QByteArray() << "cpp_in_c.exe" << QByteArray();
        QTest::newRow(".c is C by default") << QStringList{"cpp_in_c.c"} << QStringList{"cpp_in_c.c"} << false
                                            << QStringList{} << QByteArray("Counter") << QString() << QByteArray();
        QTest::newRow("exceptions on by default") << QStringList{"exceptions.cpp"} << QStringList{"exceptions.cpp"} << true
                                                  << QStringList{"+exceptions.exe"} << QByteArray() << QString() << QByteArray();
        QTest::newRow("-x- switches exceptions off") << QStringList{"exceptions.cpp"} << QStringList{"-x-", "exceptions.cpp"}
                                                     << false << QStringList{} << QByteArray("exception handling disabled")
                                                     << QString() << QByteArray();
        QTest::newRow("-RT- switches RTTI off") << QStringList{"rtti.cpp"} << QStringList{"-RT-", "rtti.cpp"} << false
                                                << QStringList{} << QByteArray("-fno-rtti") << QString() << QByteArray();
        QTest::newRow("old headers, -D and -K") << QStringList{"features.cpp"}
                                                << QStringList{"-DGREETING=\"hi there\"", "-K", "features.cpp"} << true
                                                << QStringList{"+features.exe"} << QByteArray() << "features.exe"
                                                << QByteArray("greeting hi there\npadded [   42]\nchar unsigned\n");
        QTest::newRow("ignored switch") << hello << QStringList{"-pr", "-VF", "hello.c"} << true << QStringList{"+hello.exe"}
                                        << QByteArray("kvncc: warning: -pr ignored: ") << QString() << QByteArray();
        QTest::newRow("unknown switch reaches the compiler") << QStringList{"cpp20.cpp"} << QStringList{"-std=c++20", "cpp20.cpp"}
                                                             << true << QStringList{"+cpp20.exe"} << QByteArray() << QString()
                                                             << QByteArray();
        QTest::newRow("-g1 holds back later warnings") << QStringList{"three_warnings.cpp"}
                                                       << QStringList{"-w", "-g1", "three_warnings.cpp"} << true
                                                       << QStringList{"+three_warnings.exe"}
                                                       << QByteArray("kvncc: warning: 2 more warnings not shown (-g1)")
                                                       << QString() << QByteArray();
        QTest::newRow("-gb stops after a file with warnings") << QStringList{"warning.cpp", "hello.c"}
                                                              << QStringList{"-w", "-gb", "warning.cpp", "hello.c"} << false
                                                              << QStringList{"+warning.obj", "-hello.obj"}
                                                              << QByteArray("(-gb)") << QString() << QByteArray();
        QTest::newRow("C and C++ sources together") << QStringList{"hello.c", "library.cpp"}
                                                    << QStringList{"-eboth.exe", "hello.c", "library.cpp"} << true
                                                    << QStringList{"+hello.obj", "+library.obj", "+both.exe"} << QByteArray()
                                                    << "both.exe" << QByteArray("root 4.0");
        QTest::newRow("void main in C++ ends with status 0") << QStringList{"void_main.cpp", "old_answer.h"}
                                                             << QStringList{"-evm.exe", "void_main.cpp"} << true
                                                             << QStringList{"+void_main.obj", "+vm.exe"} << QByteArray()
                                                             << "vm.exe" << QByteArray("void main says 7\n");
        QTest::newRow("void main in C with its arguments") << QStringList{"void_main_args.c", "old_answer.h"}
                                                           << QStringList{"-eva.exe", "void_main_args.c"} << true
                                                           << QStringList{"+va.exe"} << QByteArray() << "va.exe"
                                                           << QByteArray("arguments 1, first none, fix 7\n");
        QTest::newRow("a message in a void main program names its file and line")
            << QStringList{"void_main_error.cpp"} << QStringList{"void_main_error.cpp"} << false << QStringList{}
            << QByteArray("void_main_error.cpp:5:20: error: \xe2\x80\x98not_declared\xe2\x80\x99 was not declared")
            << QString() << QByteArray();
        QTest::newRow("main without a type, far and huge pointers") << QStringList{"untyped_main.cpp"}
                                                                     << QStringList{"untyped_main.cpp"} << true
                                                                     << QStringList{"+untyped_main.exe"} << QByteArray()
                                                                     << "untyped_main.exe"
                                                                     << QByteArray("untyped main with far pointers 1\n");
        QTest::newRow("-w- says nothing of the old rules either")
            << QStringList{"old_rules.cpp"} << QStringList{"-w-", "old_rules.cpp"} << true << QStringList{"+old_rules.exe"}
            << QByteArray("kvncc 2.") << "old_rules.exe" << QByteArray("after the loop 3\ncase three\n");
        QTest::newRow("old for-scope rule and a jump past an initialisation")
            << QStringList{"old_rules.cpp"} << QStringList{"old_rules.cpp"} << true << QStringList{"+old_rules.exe"}
            << QByteArray("old_rules.cpp:9:35: warning: 'i' is used after the for loop") << "old_rules.exe"
            << QByteArray("after the loop 3\ncase three\n");
    }
    void builds()
    {
        QFETCH(QStringList, sources);
        QFETCH(QStringList, args);
        QFETCH(bool, succeeds);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, kvnccSays);
        QFETCH(QString, program);
        QFETCH(QByteArray, programSays);

        QTemporaryDir dir;
        for (const QString &source : sources)
            QVERIFY(copyFixture(source, dir.path()));
        const Result result = runProgram(kvncc, args, dir.path());
        QVERIFY2((result.exitCode == 0) == succeeds, result.output.constData());
        // A clean build must not hold any of KVN's failure words, a failed one must.
        QVERIFY2(holdsFailureWord(result.output) != succeeds, result.output.constData());
        QVERIFY2(result.output.contains(kvnccSays), result.output.constData());
        if (args.contains(QStringLiteral("-w-")))
            QVERIFY2(!result.output.contains("warning"), result.output.constData());
        for (const QString &file : files) {
            const bool wanted = file.startsWith(u'+');
            QVERIFY2(QFile::exists(dir.filePath(file.mid(1))) == wanted, qPrintable(file));
        }
        if (!program.isEmpty()) {
            const Result ran = runProgram(dir.filePath(program), {}, dir.path());
            QCOMPARE(ran.exitCode, 0);
            QVERIFY2(ran.output.contains(programSays), ran.output.constData());
        }
    }

    // Which of the real compiler's warnings a build shows, and whether they
    // fail it: the usual ones by default, -w adds the extra ones, -w- shows
    // none, and -w! makes those shown fail the build. average.cpp has an
    // unused variable (a -Wall warning) and an unused parameter (-Wextra).
    void warnings_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArrayList>("shown");
        QTest::addColumn<QByteArrayList>("notShown");
        const QByteArray unusedVariable = "average.cpp:12:9: warning: unused variable";
        const QByteArray unusedParameter = "average.cpp:5:54: warning: unused parameter";
        for (const QString &compiler : {QString(), QStringLiteral("clang")}) {
            const QString in = compiler.isEmpty() ? QStringLiteral(", g++") : QStringLiteral(", clang");
            const auto row = [&in](const char *name) -> QTestData & { return QTest::newRow(qPrintable(QLatin1String(name) + in)); };
            row("no switch: the usual warnings") << compiler << QStringList{} << 0
                                                 << QByteArrayList{unusedVariable, "[-Wunused-variable]"}
                                                 << QByteArrayList{"unused parameter", "error"};
            row("-w: the extra ones too") << compiler << QStringList{"-w"} << 0
                                          << QByteArrayList{unusedVariable, unusedParameter, "[-Wunused-parameter]"}
                                          << QByteArrayList{"error"};
            row("-w-: none") << compiler << QStringList{"-w-"} << 0 << QByteArrayList{}
                             << QByteArrayList{"warning", "unused", "error"};
            row("-w- after -w") << compiler << QStringList{"-w", "-w-"} << 0 << QByteArrayList{}
                                << QByteArrayList{"warning", "unused"};
            row("-w after -w-") << compiler << QStringList{"-w-", "-w"} << 0
                                << QByteArrayList{unusedVariable, unusedParameter} << QByteArrayList{};
            row("-w!: the usual ones fail the build")
                << compiler << QStringList{"-w!"} << 1
                << QByteArrayList{"average.cpp:12:9: error: unused variable", "-Werror"}
                << QByteArrayList{"unused parameter"};
            row("-w -w!: the extra ones fail it too")
                << compiler << QStringList{"-w", "-w!"} << 1
                << QByteArrayList{"average.cpp:12:9: error: unused variable", "average.cpp:5:54: error: unused parameter"}
                << QByteArrayList{};
            row("-w- -w!: nothing shown, nothing fails") << compiler << QStringList{"-w-", "-w!"} << 0 << QByteArrayList{}
                                                         << QByteArrayList{"warning", "error"};
        }
    }
    void warnings()
    {
        QFETCH(QString, compiler);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArrayList, shown);
        QFETCH(QByteArrayList, notShown);
        if (!compiler.isEmpty() && QStandardPaths::findExecutable(compiler).isEmpty())
            QSKIP("the compiler is not installed");
        QTemporaryDir dir;
        QVERIFY(copyFixture(QStringLiteral("average.cpp"), dir.path()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("KVNCC_COMPILER"));
        if (!compiler.isEmpty())
            environment.insert(QStringLiteral("KVNCC_COMPILER"), compiler);
        const Result result = runProgram(kvncc, QStringList{QStringLiteral("-q")} + args + QStringList{QStringLiteral("average.cpp")},
                                         dir.path(), environment);
        QVERIFY2(result.exitCode == status, result.output.constData());
        // KVN reads a build with warnings as clean, and one that -w! failed as failed.
        QVERIFY2(holdsFailureWord(result.output) == (status != 0), result.output.constData());
        for (const QByteArray &text : shown)
            QVERIFY2(result.output.contains(text), qPrintable(QString::fromUtf8(text + " not in:\n" + result.output)));
        for (const QByteArray &text : notShown)
            QVERIFY2(!result.output.contains(text), qPrintable(QString::fromUtf8(text + " in:\n" + result.output)));
        QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("average.exe"))), status == 0);
        if (status == 0)
            QCOMPARE(runProgram(dir.filePath(QStringLiteral("average.exe")), {}, dir.path()).output, QByteArray("average 5\n"));
    }

    // With warnings on, each warning and note on an old program names the
    // user's file and one of its own lines: never kvncc's copy of it, a
    // line kvncc added to that copy, or kvncc's compatibility headers; a
    // renamed void main is named as written.
    void warningsNameOnlyTheUsersLines_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("alsoCopied");
        const QStringList sources{"old_style_warnings.cpp", "old_style_warnings.c", "void_main.cpp", "void_main_args.c",
                                  "untyped_main.cpp", "old_rules.cpp", "features.cpp", "old/old_streams.cpp",
                                  "old/conio_screen.c", "old/strings.c", "old/no_header.c", "old/gets.cpp",
                                  "oldrules/case_objects.cpp", "oldrules/empty_char.c", "oldrules/std_record.cpp"};
        for (const QString &compiler : {QStringLiteral("gcc"), QStringLiteral("clang")}) {
            for (const QString &source : sources) {
                for (const QString &warnings : {QString(), QStringLiteral("-w")}) {
                    QTest::addRow("%s, %s%s", qPrintable(source), qPrintable(compiler),
                                  warnings.isEmpty() ? "" : ", -w")
                        << compiler << source << (warnings.isEmpty() ? QStringList{} : QStringList{warnings})
                        << QStringList{"old_answer.h"};
                }
            }
        }
    }
    void warningsNameOnlyTheUsersLines()
    {
        QFETCH(QString, compiler);
        QFETCH(QString, source);
        QFETCH(QStringList, args);
        QFETCH(QStringList, alsoCopied);
        if (QStandardPaths::findExecutable(compiler).isEmpty())
            QSKIP("the compiler is not installed");
        QTemporaryDir dir;
        const QString name = QFileInfo(source).fileName();
        QVERIFY(QFile::copy(fixtures + u'/' + source, dir.filePath(name)));
        for (const QString &other : alsoCopied)
            QVERIFY(copyFixture(other, dir.path()));
        const QByteArray text = fileBytes(dir.filePath(name));
        const int lines = int(text.count('\n'));
        const QString copies = dir.filePath(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(copies));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KVNCC_COMPILER"), compiler);
        environment.insert(QStringLiteral("TMPDIR"), copies);
        environment.insert(QStringLiteral("KVNCC_NO_CACHE"), QStringLiteral("1"));
        const Result result = runProgram(kvncc, QStringList{QStringLiteral("-q")} + args + QStringList{name}, dir.path(),
                                         environment);
        QVERIFY2(result.exitCode == 0, result.output.constData());
        QVERIFY2(!result.output.contains(copies.toUtf8()), result.output.constData());
        QVERIFY2(!result.output.contains("kvn/include"), result.output.constData());
        QVERIFY2(!result.output.contains("void void_main"), result.output.constData());
        const QByteArray prefix = name.toUtf8() + ':';
        for (const QByteArray &line : result.output.split('\n')) {
            if (!line.contains(": warning: ") && !line.contains(": note: ") && !line.contains(": error: "))
                continue;
            QVERIFY2(line.startsWith(prefix), line.constData());
            bool isNumber = false;
            const int at = line.mid(prefix.size()).split(':').value(0).toInt(&isNumber);
            QVERIFY2(isNumber && at >= 1 && at <= lines, line.constData());
        }
    }

    // A void main program is compiled from a copy whose #line names the
    // user's file: any name builds, and the messages show it as it is.
    void voidMainSourceOfAnyName_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("a line end") << QByteArray("two\nlines.c");
        QTest::newRow("a line end in C++") << QByteArray("two\nlines.cpp");
        QTest::newRow("a tab and a carriage return") << QByteArray("tab\there\r.c");
        QTest::newRow("a control character before a digit") << QByteArray("one\x01" "7.c");
        QTest::newRow("escape and delete") << QByteArray("esc\x1b del\x7f.cpp");
        QTest::newRow("a double quote and a backslash") << QByteArray("say \"hi\" \\n.c");
    }
    void voidMainSourceOfAnyName()
    {
        QFETCH(QByteArray, name);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString source = QFile::decodeName(name);
        QFile file(dir.filePath(source));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#include <stdio.h>\nvoid main() { int unused; puts(\"ran\"); }\n");
        file.close();
        const Result result = runProgram(kvncc, {QStringLiteral("-q"), QStringLiteral("-w"), QStringLiteral("-eprogram.exe"), source},
                                         dir.path());
        QVERIFY2(result.exitCode == 0, result.output.constData());
        QVERIFY2(result.output.contains(name + ":2:"), result.output.constData());
        QVERIFY2(result.output.contains("unused"), result.output.constData());
        const Result ran = runProgram(dir.filePath(QStringLiteral("program.exe")), {}, dir.path());
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.output, QByteArray("ran\n"));
    }

    // The warning about a void main names the user's file and line, and no
    // line of what kvncc adds around the user's code, with either compiler.
    void voidMainWarningNamesOnlyTheUsersFile_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::newRow("gcc") << "gcc";
        QTest::newRow("clang") << "clang";
    }
    void voidMainWarningNamesOnlyTheUsersFile()
    {
        QFETCH(QString, compiler);
        if (QStandardPaths::findExecutable(compiler).isEmpty())
            QSKIP("the compiler is not installed");
        QTemporaryDir dir;
        QVERIFY(copyFixture(QStringLiteral("void_main_args.c"), dir.path()));
        QVERIFY(copyFixture(QStringLiteral("old_answer.h"), dir.path()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KVNCC_COMPILER"), compiler);
        const Result result = runProgram(kvncc, {QStringLiteral("-w"), QStringLiteral("void_main_args.c")}, dir.path(),
                                         environment);
        QVERIFY2(result.exitCode == 0, result.output.constData());
        const QList<QByteArray> lines = result.output.split('\n');
        const auto aboutMain = [](const QByteArray &line) { return line.contains("'main'") || line.contains("\xe2\x80\x98main\xe2\x80\x99"); };
        QVERIFY2(std::any_of(lines.begin(), lines.end(), aboutMain), result.output.constData());
        for (const QByteArray &line : lines) {
            if (line.contains(": warning: ") || line.contains(": note: "))
                QVERIFY2(line.startsWith("void_main_args.c:"), result.output.constData());
        }
    }

    // The new-file template, compiled the way KVN does it: /bin/sh runs a
    // "Run.bat" whose first line leaves only kvncc's folder on the search
    // path, with a source path holding a space.
    void newFileTemplateCompilesThroughRunBatAndPauses()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("my programs"));
        QVERIFY(QDir().mkpath(folder));
        const QString source = folder + QStringLiteral("/noname.cpp");
        const QString executable = folder + QStringLiteral("/noname.exe");
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(NewFileTemplate::bytes());
        file.close();

        const QString results = dir.filePath(QStringLiteral("results.txt"));
        QFile runBat(dir.filePath(QStringLiteral("Run.bat")));
        QVERIFY(runBat.open(QIODevice::WriteOnly));
        runBat.write("PATH=" + QFileInfo(kvncc).absolutePath().toLocal8Bit() + "\n" + kvncc.toLocal8Bit() + " -e\""
                     + executable.toLocal8Bit() + "\" \"" + source.toLocal8Bit() + "\" > " + results.toLocal8Bit() + "\n");
        runBat.close();

        const Result shell = runProgram(QStringLiteral("/bin/sh"), {runBat.fileName()}, dir.path());
        const QByteArray output = fileBytes(results);
        QVERIFY2(shell.exitCode == 0, output.constData());
        QVERIFY2(!holdsFailureWord(output), output.constData());
        QVERIFY(output.startsWith("kvncc 2."));
        QVERIFY(QFile::exists(folder + QStringLiteral("/noname.obj")));

        // The program pauses for a key, then kvnrun reports and waits for another.
        const Result ran = runProgram(kvnrun, {executable}, folder, QProcessEnvironment::systemEnvironment(), "ab");
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.output.count("Press any key to continue . . ."), 2);
        QVERIFY2(ran.output.contains("with return value 0"), ran.output.constData());
    }

    void debugInformationGoesIntoATdsFile()
    {
        QTemporaryDir dir;
        QVERIFY(copyFixture(QStringLiteral("hello.c"), dir.path()));
        const Result result = runProgram(kvncc, {QStringLiteral("-v"), QStringLiteral("-eprog.exe"), QStringLiteral("hello.c")},
                                         dir.path());
        QVERIFY2(result.exitCode == 0, result.output.constData());
        const QByteArray tds = fileBytes(dir.filePath(QStringLiteral("prog.tds")));
        QVERIFY(tds.startsWith("\x7f" "ELF"));
        QVERIFY(tds.contains(".debug_info"));
        // The executable keeps its own debug information for the debugger.
        QVERIFY(fileBytes(dir.filePath(QStringLiteral("prog.exe"))).contains(".debug_info"));
    }

    void responseAndConfigurationFilesWithSpacedFolders()
    {
        QTemporaryDir dir;
        const QString include = dir.filePath(QStringLiteral("inc dir"));
        const QString library = dir.filePath(QStringLiteral("lib dir"));
        QVERIFY(QDir().mkpath(include) && QDir().mkpath(library));
        QVERIFY(copyFixture(QStringLiteral("kvnfix.h"), include));
        QVERIFY(copyFixture(QStringLiteral("kvnfix.c"), dir.path()));
        QVERIFY(copyFixture(QStringLiteral("uses_lib.c"), dir.path()));

        // The library, built with kvncc and archived with binutils' ar.
        const QString ar = QStandardPaths::findExecutable(QStringLiteral("ar"));
        if (ar.isEmpty())
            QSKIP("ar (binutils) is not installed");
        const Result object = runProgram(kvncc, {QStringLiteral("-q"), QStringLiteral("-c"), QStringLiteral("-I") + include,
                                                 QStringLiteral("kvnfix.c")},
                                         dir.path());
        QVERIFY2(object.exitCode == 0, object.output.constData());
        QCOMPARE(runProgram(ar, {QStringLiteral("rcs"), library + QStringLiteral("/libkvnfix.a"), QStringLiteral("kvnfix.obj")},
                            dir.path())
                     .exitCode,
                 0);

        // Configuration file: the include folder, quoted, among others.
        QFile cfg(dir.filePath(QStringLiteral("my project.cfg")));
        QVERIFY(cfg.open(QIODevice::WriteOnly));
        cfg.write("# folders of this project\n-I/nonexistent;\"" + include.toLocal8Bit() + "\"\n-q\n");
        cfg.close();
        // Response file: the library folder, the library in the old naming and the source.
        QFile rsp(dir.filePath(QStringLiteral("build.rsp")));
        QVERIFY(rsp.open(QIODevice::WriteOnly));
        rsp.write("-L\"" + library.toLocal8Bit() + "\" -e\"with lib.exe\"\r\nkvnfix.lib uses_lib.c\r\n");
        rsp.close();

        const Result result = runProgram(kvncc, {QStringLiteral("+") + cfg.fileName(), QStringLiteral("@build.rsp")}, dir.path());
        QVERIFY2(result.exitCode == 0, result.output.constData());
        QVERIFY2(!result.output.contains("kvncc 2."), result.output.constData()); // -q from the configuration file
        QCOMPARE(runProgram(dir.filePath(QStringLiteral("with lib.exe")), {}, dir.path()).output, QByteArray("fix 7\n"));

        // The same folders straight on the command line, as KVN passes values.
        const Result direct = runProgram(kvncc, {QStringLiteral("-q"), QStringLiteral("-I/nonexistent;") + include,
                                                 QStringLiteral("-L") + library, QStringLiteral("-edirect.exe"),
                                                 QStringLiteral("uses_lib.c"), QStringLiteral("kvnfix.lib")},
                                         dir.path());
        QVERIFY2(direct.exitCode == 0, direct.output.constData());
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("direct.exe"))));

        const Result missing = runProgram(kvncc, {QStringLiteral("@gone.rsp")}, dir.path());
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.output.contains("kvncc: fatal: cannot read response file gone.rsp"));
    }

    void conioReadsKeysAtOnceOnATerminal()
    {
        QTemporaryDir dir;
        QVERIFY(copyFixture(QStringLiteral("conio_keys.c"), dir.path()));
        const Result built = runProgram(kvncc, {QStringLiteral("-q"), QStringLiteral("conio_keys.c")}, dir.path());
        QVERIFY2(built.exitCode == 0, built.output.constData());
        // x and Enter unechoed and without waiting for a line end; y echoed.
        const PtySession session = PtySession::run({dir.filePath(QStringLiteral("conio_keys.exe"))},
                                                   {{"press", "x"}, {"1>", "\r"}, {"2>", "y"}});
        QVERIFY2(session.finished, session.output.constData());
        QCOMPARE(session.exitCode, 0);
        QVERIFY2(session.output.contains("\033[2J"), session.output.constData());
        QVERIFY2(session.output.contains("press1>2>y"), session.output.constData());
        QVERIFY2(session.output.contains("[120 13 y 0]"), session.output.constData());
    }

    // A copy of kvncc in PREFIX/bin reads kvncc.conf beside itself, else
    // PREFIX/etc/kvncc.conf; the one beside it wins.
    void compilerChoiceFromItsConfiguration_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("beside kvncc") << QStringList{"bin/kvncc.conf"} << QByteArray("the compiler /no/such/bin/g++");
        QTest::newRow("in the prefix's etc") << QStringList{"etc/kvncc.conf"} << QByteArray("the compiler /no/such/etc/g++");
        QTest::newRow("beside kvncc first") << QStringList{"etc/kvncc.conf", "bin/kvncc.conf"}
                                            << QByteArray("the compiler /no/such/bin/g++");
    }
    void compilerChoiceFromItsConfiguration()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, says);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")) && QDir(dir.path()).mkpath(QStringLiteral("etc")));
        const QString copy = dir.filePath(QStringLiteral("bin/kvncc"));
        QVERIFY(QFile::copy(kvncc, copy));
        QVERIFY(copyFixture(QStringLiteral("hello.c"), dir.path()));
        for (const QString &name : files) {
            QFile conf(dir.filePath(name));
            QVERIFY(conf.open(QIODevice::WriteOnly));
            conf.write("# chosen here\ncxx = /no/such/" + name.section(u'/', 0, 0).toUtf8() + "/g++\n");
        }
        const Result result = runProgram(copy, {QStringLiteral("-P"), QStringLiteral("hello.c")}, dir.path());
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.output.contains("kvncc: fatal: cannot find " + says), result.output.constData());
    }

    void copyWithoutItsHeadersSaysSoAndBuildsC()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("kvncc"));
        QVERIFY(QFile::copy(kvncc, copy));
        QVERIFY(copyFixture(QStringLiteral("hello.c"), dir.path()));
        const Result plain = runProgram(copy, {QStringLiteral("-q"), QStringLiteral("hello.c")}, dir.path());
        QCOMPARE(plain.exitCode, 0);
        QVERIFY(plain.output.contains("compatibility headers"));
    }

    void clangChosenByTheEnvironment()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("clang++")).isEmpty())
            QSKIP("clang is not installed");
        QTemporaryDir dir;
        QVERIFY(copyFixture(QStringLiteral("features.cpp"), dir.path()));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KVNCC_COMPILER"), QStringLiteral("clang"));
        const Result result = runProgram(kvncc, {QStringLiteral("-v"), QStringLiteral("features.cpp")}, dir.path(), environment);
        QVERIFY2(result.exitCode == 0, result.output.constData());
        QVERIFY(result.output.contains("clang++"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("features.tds"))));
        QVERIFY(runProgram(dir.filePath(QStringLiteral("features.exe")), {}, dir.path()).output.contains("padded [   42]"));
    }
};

QTEST_GUILESS_MAIN(TestKvnccBuild)
#include "tst_kvncc_build.moc"
