#include "kvncc/toolchain.h"

#include <QTest>

#include <set>

using namespace kvncc;

namespace {

using Words = std::vector<std::string>;

// A pretend file system holding the named executables.
std::function<bool(const std::string &)> executables(std::set<std::string> files)
{
    return [files = std::move(files)](const std::string &path) { return files.contains(path); };
}

} // namespace

class TestToolchain : public QObject
{
    Q_OBJECT

private slots:
    void choosesTheCompiler_data()
    {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("cc");
        QTest::addColumn<QString>("cxx");
        QTest::addColumn<bool>("clang");
        QTest::newRow("defaults") << "" << "" << "gcc" << "g++" << false;
        QTest::newRow("file names clang") << "# pick one\ncompiler = clang\n" << "" << "clang" << "clang++" << true;
        QTest::newRow("variable outranks file") << "compiler = clang" << "gcc" << "gcc" << "g++" << false;
        QTest::newRow("versioned g++") << "" << "g++-12" << "gcc-12" << "g++-12" << false;
        QTest::newRow("clang++ path") << "" << "/opt/llvm/bin/clang++-16" << "/opt/llvm/bin/clang-16"
                                      << "/opt/llvm/bin/clang++-16" << true;
        QTest::newRow("g++ in a folder name only") << "compiler = /g++/bin/cxx" << "" << "/g++/bin/cxx" << "/g++/bin/cxx" << false;
        QTest::newRow("cc and cxx lines") << "compiler = clang\ncc = /x/cc\r\ncxx = /x/c++\n" << "" << "/x/cc" << "/x/c++" << true;
    }
    void choosesTheCompiler()
    {
        QFETCH(QString, config);
        QFETCH(QString, variable);
        QFETCH(QString, cc);
        QFETCH(QString, cxx);
        QFETCH(bool, clang);
        const CompilerChoice choice = chooseCompiler(config.toStdString(), variable.toStdString());
        QCOMPARE(QString::fromStdString(choice.cc), cc);
        QCOMPARE(QString::fromStdString(choice.cxx), cxx);
        QCOMPARE(choice.family == CompilerFamily::Clang, clang);
        QVERIFY(choice.warnings.empty());
    }

    void reportsLinesItDoesNotUnderstand()
    {
        const CompilerChoice choice = chooseCompiler("compiler = gcc\nfast please\ncolour = red\n", "");
        QCOMPARE(choice.warnings, (Words{"kvncc: warning: line 2 of kvncc.conf is not understood and is skipped",
                                         "kvncc: warning: line 3 of kvncc.conf is not understood and is skipped"}));
    }

    // "Run.bat" sets PATH to kvncc's own folder alone; the system compiler
    // must still be found, and the compiler must get a search path on which
    // its assembler and linker are.
    void findsTheSystemCompilerWithAPathOfKvnccAlone()
    {
        const CompilerChoice choice = chooseCompiler("", "");
        Toolchain toolchain;
        std::string problem;
        QVERIFY(findToolchain(choice, "/opt/kvn/bin", executables({"/usr/bin/gcc", "/usr/bin/g++", "/usr/bin/objcopy"}),
                              toolchain, problem));
        QCOMPARE(toolchain.cxx, "/usr/bin/g++");
        QCOMPARE(toolchain.cc, "/usr/bin/gcc");
        QCOMPARE(toolchain.objcopy, "/usr/bin/objcopy");
        QCOMPARE(toolchain.searchPath, "/usr/bin:/opt/kvn/bin:/usr/local/bin:/bin");
    }

    void searchesExtraFoldersThenPathThenSystem()
    {
        CompilerChoice choice = chooseCompiler("path = /tools/gcc13/bin:/more\n", "");
        Toolchain toolchain;
        std::string problem;
        QVERIFY(findToolchain(choice, "/home/u/bin:/usr/bin",
                              executables({"/tools/gcc13/bin/g++", "/home/u/bin/gcc", "/usr/bin/gcc", "/usr/bin/g++"}),
                              toolchain, problem));
        QCOMPARE(toolchain.cxx, "/tools/gcc13/bin/g++");
        QCOMPARE(toolchain.cc, "/home/u/bin/gcc");
        QCOMPARE(toolchain.searchPath, "/tools/gcc13/bin:/home/u/bin:/more:/usr/bin:/usr/local/bin:/bin");
        QVERIFY(toolchain.objcopy.empty());
    }

    void clangPrefersLlvmObjcopy()
    {
        const CompilerChoice choice = chooseCompiler("", "clang");
        Toolchain toolchain;
        std::string problem;
        QVERIFY(findToolchain(choice, "",
                              executables({"/usr/bin/clang", "/usr/bin/clang++", "/usr/bin/objcopy", "/usr/bin/llvm-objcopy"}),
                              toolchain, problem));
        QCOMPARE(toolchain.family, CompilerFamily::Clang);
        QCOMPARE(toolchain.objcopy, "/usr/bin/llvm-objcopy");
    }

    void picksTheQuickestLinkerInstalled_data()
    {
        QTest::addColumn<QStringList>("linkers");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("all three") << QStringList{"/usr/bin/ld.gold", "/usr/bin/mold", "/usr/bin/ld.lld"} << "lld";
        QTest::newRow("mold before gold") << QStringList{"/usr/bin/ld.gold", "/usr/local/bin/mold"} << "mold";
        QTest::newRow("gold alone") << QStringList{"/usr/bin/ld.gold"} << "gold";
        QTest::newRow("none: the default") << QStringList{} << "";
    }

    void picksTheQuickestLinkerInstalled()
    {
        QFETCH(QStringList, linkers);
        QFETCH(QString, chosen);
        std::set<std::string> programs = {"/usr/bin/gcc", "/usr/bin/g++"};
        for (const QString &linker : linkers)
            programs.insert(linker.toStdString());
        Toolchain toolchain;
        std::string problem;
        QVERIFY(findToolchain(chooseCompiler("", ""), "", executables(programs), toolchain, problem));
        QCOMPARE(QString::fromStdString(toolchain.fastLinker), chosen);
    }

    void missingCompilerIsAFatalMessageWithAHint()
    {
        Toolchain toolchain;
        std::string problem;
        QVERIFY(!findToolchain(chooseCompiler("", ""), "/opt/kvn", executables({"/usr/bin/gcc"}), toolchain, problem));
        QVERIFY(problem.starts_with("kvncc: fatal: cannot find the compiler g++ (looked in /opt/kvn /usr/local/bin /usr/bin /bin)"));
        QVERIFY(problem.find("KVNCC_COMPILER") != std::string::npos);

        QVERIFY(!findToolchain(chooseCompiler("", "/no/such/g++"), "", executables({"/usr/bin/gcc", "/usr/bin/g++"}),
                               toolchain, problem));
        QVERIFY(problem.starts_with("kvncc: fatal: cannot find the compiler /no/such/g++ (looked in that path only)"));
    }

    void compilerEnvironmentSpeaksEnglish()
    {
        const Words env = compilerEnvironment({"HOME=/h", "PATH=/x", "LC_ALL=de_DE.UTF-8", "LC_CTYPE=C",
                                               "LANGUAGE=de", "LC_MESSAGES=de_DE.UTF-8", "LANG=de_DE.UTF-8"},
                                              "/usr/bin:/bin");
        QCOMPARE(env, (Words{"HOME=/h", "LANG=de_DE.UTF-8", "LC_CTYPE=de_DE.UTF-8", "LC_MESSAGES=C", "PATH=/usr/bin:/bin"}));
        const Words plain = compilerEnvironment({"LANG=fr_FR.UTF-8"}, "/usr/bin");
        QCOMPARE(plain, (Words{"LANG=fr_FR.UTF-8", "LC_MESSAGES=C", "PATH=/usr/bin"}));
    }
};

QTEST_GUILESS_MAIN(TestToolchain)
#include "tst_toolchain.moc"
