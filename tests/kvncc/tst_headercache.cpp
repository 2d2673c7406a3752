// kvncc's cache of precompiled leading blocks: a compile through the cache
// says and builds exactly what one without it does.
#include "kvncc/leadingblock.h"
#include "kvnccruns.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList entries(const QString &cacheHome, const QString &name = QStringLiteral("block.h.gch"))
{
    QStringList found;
    QDirIterator it(cacheHome + QStringLiteral("/kvncc"), {name}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

} // namespace

class TestHeaderCache : public QObject
{
    Q_OBJECT

private slots:
    void leadingBlocks_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("block");
        QTest::newRow("includes then code") << "#include <iostream>\n#include<vector>\nint main() {}\n"
                                            << "#include <iostream>\n#include<vector>\n";
        QTest::newRow("comments and blank lines between") << "// prog\n/* a\n b */\n\n#include <cstdio>\n\nint x;\n"
                                                          << "// prog\n/* a\n b */\n\n#include <cstdio>\n";
        QTest::newRow("stops at the program's own header") << "#include <cstdio>\n#include \"mine.h\"\n#include <map>\n"
                                                           << "#include <cstdio>\n";
        QTest::newRow("stops at a macro") << "#include <cstdio>\n#define N 3\n#include <map>\n" << "#include <cstdio>\n";
        QTest::newRow("a macro first: nothing") << "#define _GNU_SOURCE\n#include <cstdio>\n" << "";
        QTest::newRow("code first: nothing") << "int x;\n#include <cstdio>\n" << "";
    }

    void leadingBlocks()
    {
        QFETCH(QString, source);
        QFETCH(QString, block);
        QCOMPARE(QString::fromStdString(kvncc::leadingBlock(source.toStdString())), block);
    }

    void dependenciesOfAMakeRule()
    {
        const std::string rule = "/c/k/block.h.gch: /c/k/block.h /usr/include/stdio.h \\\n /usr/my\\ dir/a.h\n";
        QCOMPARE(kvncc::ruleDependencies(rule),
                 (std::vector<std::string>{"/c/k/block.h", "/usr/include/stdio.h", "/usr/my dir/a.h"}));
    }

    // Built and run without the cache, then twice through it (the entry is
    // built, then used): the same status, messages and program.
    void throughTheCacheAsWithout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<bool>("cached");
        QTest::addColumn<QString>("compiler");
        QTest::newRow("errors in the program and in a header's template")
            << "errors.cpp"
            << QByteArray("#include <iostream>\n#include <vector>\n\nint main()\n{\n    std::vector<int> v;\n"
                          "    v.push_back(\"x\");\n    return y;\n}\n")
            << QStringList() << true << QString();
        QTest::newRow("warnings") << "warns.cpp"
                                  << QByteArray("#include <iostream>\nint main()\n{\n    int unused;\n"
                                                "    std::cout << \"w\\n\";\n}\n")
                                  << QStringList{"-w"} << true << QString();
        QTest::newRow("warnings by default") << "default.cpp"
                                             << QByteArray("#include <iostream>\nint main()\n{\n    int unused;\n"
                                                           "    std::cout << \"w\\n\";\n}\n")
                                             << QStringList() << true << QString();
        QTest::newRow("-w- and -w!") << "quiet.cpp"
                                     << QByteArray("#include <iostream>\nint main()\n{\n    int unused;\n"
                                                   "    std::cout << \"w\\n\";\n}\n")
                                     << QStringList{"-w-", "-w!"} << true << QString();
        QTest::newRow("a macro before the includes") << "macro.cpp"
                                                     << QByteArray("#define GREETING \"m\"\n#include <iostream>\n"
                                                                   "int main() { std::cout << GREETING << \"\\n\"; }\n")
                                                     << QStringList() << false << QString();
        QTest::newRow("-D, -I and -O2") << "flags.cpp"
                                        << QByteArray("#include <iostream>\n#include <extra.h>\n"
                                                      "int main() { std::cout << EXTRA + VALUE << \"\\n\"; }\n")
                                        << QStringList{"-DVALUE=2", "-Iinc", "-O2"} << true << QString();
        QTest::newRow("C") << "prog.c"
                           << QByteArray("#include <stdio.h>\n#include <string.h>\nint main(void)\n{\n"
                                         "    int unused;\n    printf(\"%d\\n\", (int)strlen(\"abc\"));\n    return 0;\n}\n")
                           << QStringList{"-w"} << true << QString();
        QTest::newRow("an old program") << "old.cpp"
                                        << QByteArray("#include <iostream.h>\n#include <conio.h>\nvoid main()\n{\n"
                                                      "    cout << \"old\" << endl;\n}\n")
                                        << QStringList() << true << QString();
        QTest::newRow("errors through Clang")
            << "clang.cpp"
            << QByteArray("#include <algorithm>\n#include <vector>\n\nstruct S {};\nint main()\n{\n"
                          "    std::vector<S> v;\n    std::sort(v.begin(), v.end());\n    return y;\n}\n")
            << QStringList() << true << "clang";
    }

    void throughTheCacheAsWithout()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, source);
        QFETCH(QStringList, switches);
        QFETCH(bool, cached);
        QFETCH(QString, compiler);
        if (!compiler.isEmpty() && QStandardPaths::findExecutable(compiler + QStringLiteral("++")).isEmpty())
            QSKIP("Clang is not installed");
        QTemporaryDir dir;
        write(dir.filePath(name), source);
        write(dir.filePath(QStringLiteral("inc/extra.h")), "#ifndef EXTRA_H\n#define EXTRA_H\n#define EXTRA 40\n#endif\n");
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        const QStringList args = switches + QStringList{QStringLiteral("-eprog.exe"), dir.filePath(name)};
        const Run plain = compile(dir.path(), cacheHome, args, false, compilerVariable(compiler));
        const QByteArray plainProgram = plain.status == 0 ? runProgram(dir.filePath(QStringLiteral("prog.exe"))) : QByteArray();
        QVERIFY(entries(cacheHome).isEmpty());
        for (const char *round : {"cold", "warm"}) {
            QFile::remove(dir.filePath(QStringLiteral("prog.exe")));
            const Run run = compile(dir.path(), cacheHome, args, true, compilerVariable(compiler));
            QCOMPARE(run.status, plain.status);
            QVERIFY2(run.output == plain.output, qPrintable(QString::fromUtf8(round) + QStringLiteral(":\n")
                                                            + QString::fromUtf8(run.output) + QStringLiteral("\nwithout:\n")
                                                            + QString::fromUtf8(plain.output)));
            if (plain.status == 0)
                QCOMPARE(runProgram(dir.filePath(QStringLiteral("prog.exe"))), plainProgram);
        }
        QCOMPARE(entries(cacheHome).size() + entries(cacheHome, QStringLiteral("block.h.pch")).size(), cached ? 1 : 0);
    }

    void aChangedFlagOrHeaderMakesANewEntry()
    {
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <iostream>\n#include <extra.h>\nint main() { return EXTRA - 40; }\n");
        // Guarded, as real headers are: the program's own #include of it
        // then adds nothing to a stale precompiled one.
        write(dir.filePath(QStringLiteral("inc/extra.h")), "#ifndef EXTRA_H\n#define EXTRA_H\n#define EXTRA 40\n#endif\n");
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        for (const char *flag : {"-DX=1", "-DX=2", "-DX=1"})
            QCOMPARE(compile(dir.path(), cacheHome, {QString::fromUtf8(flag), QStringLiteral("-Iinc"), QStringLiteral("a.cpp")}).status, 0);
        QCOMPARE(entries(cacheHome).size(), 2);

        // A header of the block edited since: its entry is built again and
        // the compile sees the new text, whatever the clock says.
        write(dir.filePath(QStringLiteral("inc/extra.h")), "#ifndef EXTRA_H\n#define EXTRA_H\n#define EXTRA 41\n#endif\n");
        QCOMPARE(compile(dir.path(), cacheHome, {QStringLiteral("-DX=1"), QStringLiteral("-Iinc"), QStringLiteral("a.cpp")}).status, 0);
        QCOMPARE(QProcess::execute(dir.filePath(QStringLiteral("a.exe")), {}), 1);
        QCOMPARE(entries(cacheHome).size(), 2);
    }

    // Each choice of warnings has an entry of its own, and a compile
    // through the cache shows the warnings its own switches ask for, never
    // those of an entry built under other switches.
    void warningSwitchesHaveEntriesOfTheirOwn()
    {
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("a.cpp")),
              "#include <iostream>\nstatic int f(int spare) { return 1; }\nint main()\n{\n    int unused;\n"
              "    return f(0) - 1;\n}\n");
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        struct Round
        {
            QStringList switches;
            int status;
            bool variable;  // the unused variable is reported
            bool parameter; // the unused parameter is reported
        };
        const QList<Round> rounds = {{{}, 0, true, false},         {{QStringLiteral("-w-")}, 0, false, false},
                                     {{QStringLiteral("-w")}, 0, true, true}, {{}, 0, true, false},
                                     {{QStringLiteral("-w-")}, 0, false, false}, {{QStringLiteral("-w!")}, 1, true, false}};
        for (const Round &round : rounds) {
            const Run run = compile(dir.path(), cacheHome, round.switches + QStringList{QStringLiteral("a.cpp")});
            const QString shown = round.switches.join(u' ') + QStringLiteral(":\n") + QString::fromUtf8(run.output);
            QVERIFY2(run.status == round.status, qPrintable(shown));
            QVERIFY2(run.output.contains("unused variable") == round.variable, qPrintable(shown));
            QVERIFY2(run.output.contains("unused parameter") == round.parameter, qPrintable(shown));
        }
        QCOMPARE(entries(cacheHome).size(), 4);
    }

    // The block is part of an entry's name: a header taken out of it is
    // gone from the program, though the source keeps its name and flags.
    void anEditedBlockMakesANewEntry()
    {
        QTemporaryDir dir;
        const QByteArray body = "#ifdef EXTRA\nint main() { return 1; }\n#else\nint main() { return 0; }\n#endif\n";
        write(dir.filePath(QStringLiteral("inc/extra.h")), "#ifndef EXTRA_H\n#define EXTRA_H\n#define EXTRA 40\n#endif\n");
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        const QStringList args = {QStringLiteral("-Iinc"), QStringLiteral("a.cpp")};
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <cstdio>\n#include <extra.h>\n" + body);
        QCOMPARE(compile(dir.path(), cacheHome, args).status, 0);
        QCOMPARE(QProcess::execute(dir.filePath(QStringLiteral("a.exe")), {}), 1);
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <cstdio>\n" + body);
        QCOMPARE(compile(dir.path(), cacheHome, args).status, 0);
        QCOMPARE(QProcess::execute(dir.filePath(QStringLiteral("a.exe")), {}), 0);
        QCOMPARE(entries(cacheHome).size(), 2);
    }

    void aDamagedEntryIsNotUsed_data()
    {
        QTest::addColumn<bool>("truncate");
        QTest::newRow("cut short") << true;
        QTest::newRow("overwritten") << false;
    }

    void aDamagedEntryIsNotUsed()
    {
        QFETCH(bool, truncate);
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <iostream>\nint main()\n{\n    std::cout << \"ok\\n\";\n    return z;\n}\n");
        const QString cacheHome = dir.filePath(QStringLiteral("cache"));
        const Run plain = compile(dir.path(), cacheHome, {QStringLiteral("a.cpp")}, false);
        QCOMPARE(compile(dir.path(), cacheHome, {QStringLiteral("a.cpp")}).output, plain.output);
        QCOMPARE(entries(cacheHome).size(), 1);
        QFile gch(entries(cacheHome).first());
        const qint64 size = gch.size();
        QVERIFY(gch.open(QIODevice::ReadWrite));
        if (truncate) {
            gch.resize(size / 2);
        } else {
            gch.write(QByteArray(4096, '\x5a')); // from its first byte: no longer a precompiled header
        }
        gch.close();
        const Run afterDamage = compile(dir.path(), cacheHome, {QStringLiteral("a.cpp")});
        QCOMPARE(afterDamage.status, plain.status);
        QVERIFY2(afterDamage.output == plain.output, afterDamage.output.constData());
        // The next compile finds a whole entry again.
        QCOMPARE(compile(dir.path(), cacheHome, {QStringLiteral("a.cpp")}).output, plain.output);
        QCOMPARE(entries(cacheHome).size(), 1);
        QVERIFY(QFileInfo(entries(cacheHome).first()).size() >= size * 9 / 10);
    }

    void twoCompilesAtOnce()
    {
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <iostream>\n#include <map>\nint main() { std::cout << \"both\\n\"; }\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
        environment.insert(QStringLiteral("KVNCC_CACHE_NOW"), QStringLiteral("1"));
        QProcess first, second;
        for (auto [process, exe] : {std::pair{&first, "-eone.exe"}, std::pair{&second, "-etwo.exe"}}) {
            process->setWorkingDirectory(dir.path());
            process->setProcessEnvironment(environment);
            process->setProcessChannelMode(QProcess::MergedChannels);
            process->start(kvnccProgram, {QStringLiteral("-q"), QString::fromUtf8(exe), QStringLiteral("a.cpp")});
        }
        QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
        QVERIFY2(first.exitCode() == 0 && second.exitCode() == 0, (first.readAll() + second.readAll()).constData());
        QCOMPARE(runProgram(dir.filePath(QStringLiteral("one.exe"))), QByteArray("both\n"));
        QCOMPARE(runProgram(dir.filePath(QStringLiteral("two.exe"))), QByteArray("both\n"));
        QCOMPARE(entries(dir.filePath(QStringLiteral("cache"))).size(), 1);
    }

    // Left to itself, kvncc builds a missing entry after the compile, for
    // the next one.
    void theEntryIsBuiltAfterTheFirstCompile()
    {
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("a.cpp")), "#include <iostream>\nint main() {}\n");
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
        environment.remove(QStringLiteral("KVNCC_CACHE_NOW"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        process.start(kvnccProgram, {QStringLiteral("-q"), QStringLiteral("a.cpp")});
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo::exists(QFileInfo(entries(dir.filePath(QStringLiteral("cache"))).value(0)).path()
                                                    + QStringLiteral("/stamp")),
                                  true, 30000);
    }
};

QTEST_GUILESS_MAIN(TestHeaderCache)
#include "tst_headercache.moc"
