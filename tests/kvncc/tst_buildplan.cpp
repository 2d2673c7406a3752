#include "kvncc/buildplan.h"
#include "kvncc/commandline.h"

#include <QTest>

#include <algorithm>
#include <set>

using namespace kvncc;

namespace {

using Words = std::vector<std::string>;
using Kind = BuildStep::Kind;

Toolchain gccToolchain()
{
    Toolchain t;
    t.family = CompilerFamily::Gcc;
    t.cc = "/usr/bin/gcc";
    t.cxx = "/usr/bin/g++";
    t.objcopy = "/usr/bin/objcopy";
    t.searchPath = "/usr/bin";
    return t;
}

Toolchain clangToolchain()
{
    Toolchain t = gccToolchain();
    t.family = CompilerFamily::Clang;
    t.cc = "/usr/bin/clang";
    t.cxx = "/usr/bin/clang++";
    return t;
}

// Plans a command line against a disk on which every file but the named
// missing ones exists.
const std::string compatLibrary = "/kvn/lib/libkvncompat.a";

BuildPlan plan(const Words &args, const Toolchain &toolchain = gccToolchain(), const std::set<std::string> &missing = {},
               const SourceExaminer &examine = {})
{
    const ParseResult parsed = parseCommandLine(args, [](const std::string &, std::string &text) {
        text = "unused";
        return false;
    });
    return planBuild(parsed.options, toolchain, {"/kvn/include", "/kvn/include/wrap", compatLibrary},
                     [&missing](const std::string &file) { return !missing.contains(file); }, examine);
}

QStringList toQt(const Words &words)
{
    QStringList list;
    for (const std::string &word : words)
        list.append(QString::fromStdString(word));
    return list;
}

const BuildStep *stepOf(const BuildPlan &plan, Kind kind)
{
    const auto it = std::find_if(plan.steps.begin(), plan.steps.end(), [kind](const BuildStep &s) { return s.kind == kind; });
    return it == plan.steps.end() ? nullptr : &*it;
}

bool containsInOrder(const Words &argv, const Words &run)
{
    return std::search(argv.begin(), argv.end(), run.begin(), run.end()) != argv.end();
}

} // namespace

class TestBuildPlan : public QObject
{
    Q_OBJECT

private slots:
    // What each switch asks GCC to do when it compiles a C++ source.
    void mapsSwitchesToCompilerFlags_data()
    {
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        // Only the cases where switches interact or are spelled differently;
        // the plain one-to-one switches are proven by building real programs.
        QTest::newRow("no switches") << QStringList{}
                                     << QStringList{"-x", "c++", "-c", "-idirafter", "/kvn/include", "-isystem",
                                                    "/kvn/include/wrap", "-fpermissive", "-fno-diagnostics-show-caret"}
                                     << QStringList{"-O0", "-Os", "-O1", "-O2", "-g", "-w"};
        QTest::newRow("-O1 is smallest") << QStringList{"-O1"} << QStringList{"-Os"} << QStringList{"-O1"};
        QTest::newRow("-Oc alone is O1") << QStringList{"-Oc"} << QStringList{"-O1"} << QStringList{};
        QTest::newRow("-Oc under -O2") << QStringList{"-Oc", "-O2"} << QStringList{"-O2"} << QStringList{"-O1"};
        QTest::newRow("-v outranks -y") << QStringList{"-y", "-v"} << QStringList{"-g"} << QStringList{"-g1"};
        // The usual warnings are on unless -w- turns them off; -w adds the extra ones.
        QTest::newRow("warnings by default") << QStringList{} << QStringList{"-Wall"} << QStringList{"-Wextra", "-w", "-Werror"};
        QTest::newRow("-w adds the extra ones") << QStringList{"-w"} << QStringList{"-Wall", "-Wextra"} << QStringList{"-w"};
        QTest::newRow("-w- turns them off") << QStringList{"-w-"} << QStringList{"-w"} << QStringList{"-Wall", "-Wextra"};
        QTest::newRow("-w- after -w") << QStringList{"-w", "-w-"} << QStringList{"-w"} << QStringList{"-Wall", "-Wextra"};
        QTest::newRow("-w after -w-") << QStringList{"-w-", "-w"} << QStringList{"-Wall", "-Wextra"} << QStringList{"-w"};
        QTest::newRow("-w! keeps the usual ones") << QStringList{"-w!"} << QStringList{"-Wall", "-Werror"}
                                                  << QStringList{"-Wextra", "-w"};
        QTest::newRow("-vGd -vGt") << QStringList{"-vGd", "-vGt"} << QStringList{"-fsanitize=address,null"} << QStringList{};
        QTest::newRow("-T assembler") << QStringList{"-Tal=x.lst"} << QStringList{"-Xassembler", "-al=x.lst"} << QStringList{};
        QTest::newRow("-I list and macros") << QStringList{"-I/a;/b c", "-DX=1", "-UY"}
                                            << QStringList{"-I/a", "-I/b c", "-DX=1", "-UY"} << QStringList{};
        QTest::newRow("ignored switches add nothing") << QStringList{"-pr", "-3", "-Vmd", "-H"} << QStringList{"-c"}
                                                      << QStringList{"-pr", "-3", "-Vmd", "-H"};
    }
    void mapsSwitchesToCompilerFlags()
    {
        QFETCH(QStringList, switches);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        Words args;
        for (const QString &s : switches)
            args.push_back(s.toStdString());
        args.emplace_back("/src/a.cpp");
        const BuildPlan p = plan(args);
        QVERIFY(p.failure.empty());
        const QStringList argv = toQt(p.steps.at(0).argv);
        QCOMPARE(argv.first(), QStringLiteral("/usr/bin/g++"));
        for (const QString &flag : present)
            QVERIFY2(argv.contains(flag), qPrintable(flag + " missing from " + argv.join(' ')));
        for (const QString &flag : absent)
            QVERIFY2(!argv.contains(flag), qPrintable(flag + " in " + argv.join(' ')));
    }

    // A warning switch of the compiler's own, such as -Wno-unused-variable,
    // comes after kvncc's -Wall, so it has the last word.
    void compilersOwnWarningSwitchesComeLast()
    {
        const BuildPlan p = plan({"-w", "-Wno-unused-variable", "/src/a.cpp"});
        QVERIFY(p.failure.empty());
        const Words &argv = p.steps.at(0).argv;
        const auto at = [&argv](const char *flag) { return std::find(argv.begin(), argv.end(), flag) - argv.begin(); };
        QVERIFY(at("-Wall") < at("-Wextra"));
        QVERIFY(at("-Wextra") < at("-Wno-unused-variable"));
        QVERIFY(at("-Wno-unused-variable") < std::ptrdiff_t(argv.size()));
    }

    void defaultBuildLeavesObjectBesideSourceAndExecutableAtE()
    {
        const BuildPlan p = plan({"-e/out/hello.exe", "/src/hello.cpp"});
        QCOMPARE(p.steps.size(), std::size_t(2));
        QCOMPARE(p.steps[0].kind, Kind::Compile);
        QCOMPARE(p.steps[0].output, "/src/hello.obj");
        QVERIFY(containsInOrder(p.steps[0].argv, {"-c", "/src/hello.cpp", "-o", "/src/hello.obj"}));
        QCOMPARE(p.steps[1].kind, Kind::Link);
        QCOMPARE(p.steps[1].output, "/out/hello.exe");
        QCOMPARE(toQt(p.steps[1].argv), (QStringList{"/usr/bin/g++", "/src/hello.obj", "-o", "/out/hello.exe",
                                                     QString::fromStdString(compatLibrary)}));
    }

    void cSourcesUseTheCDriverAndTheMathsLibrary()
    {
        const BuildPlan p = plan({"/src/prog.c"});
        QVERIFY(containsInOrder(p.steps[0].argv, {"/usr/bin/gcc", "-x", "c"}));
        QCOMPARE(p.steps[1].argv.front(), "/usr/bin/gcc");
        QCOMPARE(p.steps[1].argv.back(), "-lm");
        QCOMPARE(p.steps[1].argv.at(p.steps[1].argv.size() - 2), compatLibrary); // after the program's own libraries
        QCOMPARE(p.steps[1].output, "/src/prog.exe"); // no -e: named after the source

        const BuildPlan upper = plan({"/src/OLD.C"});
        QCOMPARE(upper.steps[0].argv.front(), "/usr/bin/gcc");

        const BuildPlan forced = plan({"-P", "/src/prog.c"});
        QVERIFY(containsInOrder(forced.steps[0].argv, {"/usr/bin/g++", "-x", "c++"}));
        QCOMPARE(forced.steps[1].argv.front(), "/usr/bin/g++");

        const BuildPlan mixed = plan({"/src/a.c", "/src/b.cpp"});
        QCOMPARE(mixed.steps.size(), std::size_t(3));
        QCOMPARE(mixed.steps[2].argv.front(), "/usr/bin/g++");
        QVERIFY(containsInOrder(mixed.steps[2].argv, {"/src/a.obj", "/src/b.obj"}));
    }

    void stagesAndOutputNames_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("outputs"); // kind:output of every step
        QTest::newRow("-c") << QStringList{"-c", "/s/a.cpp"} << QStringList{"compile:/s/a.obj"};
        QTest::newRow("-S") << QStringList{"-S", "/s/a.cpp"} << QStringList{"compile:/s/a.asm"};
        QTest::newRow("-B") << QStringList{"-B", "/s/a.cpp"}
                            << QStringList{"compile:/s/a.asm", "assemble:/s/a.obj", "link:/s/a.exe"};
        QTest::newRow("-o") << QStringList{"-o/x/named.obj", "/s/a.cpp"} << QStringList{"compile:/x/named.obj", "link:/s/a.exe"};
        QTest::newRow("-o without extension") << QStringList{"-c", "-onamed", "/s/a.cpp"} << QStringList{"compile:named.obj"};
        QTest::newRow("-n") << QStringList{"-n/build", "/s/a.cpp"} << QStringList{"compile:/build/a.obj", "link:/build/a.exe"};
        QTest::newRow("-n with bare -e and -o") << QStringList{"-n/build", "-eprog.exe", "-oo.obj", "/s/a.cpp"}
                                                << QStringList{"compile:/build/o.obj", "link:/build/prog.exe"};
        QTest::newRow("-n with a path in -e") << QStringList{"-n/build", "-e/bin/p", "/s/a.cpp"}
                                              << QStringList{"compile:/build/a.obj", "link:/bin/p"};
        QTest::newRow("-v") << QStringList{"-v", "-e/o/prog.exe", "/s/a.cpp"}
                            << QStringList{"compile:/s/a.obj", "link:/o/prog.exe", "debug:/o/prog.tds"};
        QTest::newRow("-v without extension") << QStringList{"-v", "-e/o.d/prog", "a.cpp"}
                                              << QStringList{"compile:a.obj", "link:/o.d/prog", "debug:/o.d/prog.tds"};
        QTest::newRow("-v -c makes no debug file") << QStringList{"-v", "-c", "/s/a.cpp"} << QStringList{"compile:/s/a.obj"};
        QTest::newRow("-tWD") << QStringList{"-tWD", "/s/lib.cpp"} << QStringList{"compile:/s/lib.obj", "link:/s/lib.so"};
        QTest::newRow("objects only") << QStringList{"/s/a.obj", "/s/b.o"} << QStringList{"link:/s/a.exe"};
        QTest::newRow("dotted folder") << QStringList{"/s.d/noext"} << QStringList{"compile:/s.d/noext.obj", "link:/s.d/noext.exe"};
    }
    void stagesAndOutputNames()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, outputs);
        Words words;
        for (const QString &a : args)
            words.push_back(a.toStdString());
        const BuildPlan p = plan(words);
        QVERIFY(p.failure.empty());
        QStringList got;
        for (const BuildStep &s : p.steps) {
            static const char *const names[] = {"compile", "assemble", "link", "debug"};
            got.append(QString::fromLatin1(names[int(s.kind)]) + ':' + QString::fromStdString(s.output));
        }
        QCOMPARE(got, outputs);
    }

    void linkStepCarriesLibrariesAndLinkerOptions()
    {
        const BuildPlan p = plan({"-L/my libs;/other", "-lMap=x.map", "-M", "-tWM", "-tWD", "-e/o/lib.so",
                                  "/s/a.cpp", "extra.obj", "ncurses.lib", "/l/libz.a"},
                                 gccToolchain(), {"ncurses.lib"});
        const BuildStep *link = stepOf(p, Kind::Link);
        QVERIFY(link);
        QVERIFY(containsInOrder(link->argv, {"/s/a.obj", "extra.obj", "-o", "/o/lib.so", "-shared", "-pthread"}));
        QVERIFY(containsInOrder(link->argv, {"-L/my libs", "-L/other", "-lncurses", "/l/libz.a"}));
        QVERIFY(containsInOrder(link->argv, {"-Xlinker", "-Map=x.map", "-Xlinker", "-Map=/o/lib.map"}));
        QVERIFY(std::find(link->argv.begin(), link->argv.end(), "-lm") == link->argv.end());
    }

    void linksWithTheQuickerLinker()
    {
        Toolchain quick = gccToolchain();
        quick.fastLinker = "lld";
        const BuildPlan p = plan({"/s/a.cpp"}, quick);
        QVERIFY(containsInOrder(p.steps[1].argv, {"/usr/bin/g++", "-fuse-ld=lld", "/s/a.obj"}));
        const BuildPlan plain = plan({"/s/a.cpp"});
        QCOMPARE(std::count_if(plain.steps[1].argv.begin(), plain.steps[1].argv.end(),
                               [](const std::string &a) { return a.starts_with("-fuse-ld"); }),
                 0);
    }

    void debugFileUsesObjcopyOrACopy()
    {
        const BuildPlan p = plan({"-v", "-e/o/p.exe", "/s/a.cpp"});
        QCOMPARE(toQt(p.steps.back().argv), (QStringList{"/usr/bin/objcopy", "--only-keep-debug", "/o/p.exe", "/o/p.tds"}));
        Toolchain bare = gccToolchain();
        bare.objcopy.clear();
        const BuildPlan copied = plan({"-v", "-e/o/p.exe", "/s/a.cpp"}, bare);
        QCOMPARE(copied.steps.back().kind, Kind::DebugFile);
        QVERIFY(copied.steps.back().argv.empty());
        QCOMPARE(copied.steps.back().input, "/o/p.exe");
    }

    void clangSpellsSomeFlagsItsOwnWay()
    {
        const BuildPlan p = plan({"-j3", "-OS", "-d", "/s/a.cpp"}, clangToolchain());
        const QStringList argv = toQt(p.steps[0].argv);
        QCOMPARE(argv.first(), QStringLiteral("/usr/bin/clang++"));
        QVERIFY(argv.contains("-ferror-limit=3"));
        QVERIFY(!argv.contains("-fmax-errors=3"));
        QVERIFY(!argv.contains("-fschedule-insns"));
        QVERIFY(!argv.contains("-fmerge-constants"));
        QVERIFY(argv.contains("-fno-caret-diagnostics"));
        QVERIFY(!argv.contains("-fpermissive"));
    }

    // What the look at the source found reaches the compile of that source.
    void oldSourcesGetTheirOwnFlags()
    {
        const SourceExaminer examine = [](const std::string &source, bool) {
            SourceTraits traits;
            if (source == "/s/old.cpp") {
                traits.voidMain = true;
                traits.ownNames = {"strrev", "clrscr"};
                traits.oldPointers = true;
            }
            return traits;
        };
        const BuildPlan p = plan({"/s/old.cpp", "/s/new.cpp"}, gccToolchain(), {}, examine);
        QVERIFY(p.steps[0].fromCopy);
        QVERIFY(containsInOrder(p.steps[0].argv, {"-DKVN_OWN_strrev", "-DKVN_OWN_clrscr", "-Dfar=", "-Dnear=", "-Dhuge=",
                                                  "-iquote", "/s"}));
        QVERIFY(!p.steps[1].fromCopy);
        const QStringList modern = toQt(p.steps[1].argv);
        QVERIFY(!modern.contains("-Dfar=") && !modern.contains("-iquote") && !modern.contains("-DKVN_OWN_strrev"));
    }

    void refusesWhatCannotBeBuilt()
    {
        QCOMPARE(plan({"-v"}).failure, "kvncc: fatal: no source file given");
        QCOMPARE(plan({"-c", "a.obj"}).failure, "kvncc: fatal: no source file given");
        QCOMPARE(plan({"-ox.obj", "a.cpp", "b.cpp"}).failure,
                 "kvncc: fatal: -o names one object file, but 2 sources were given");
        QCOMPARE(plan({"a.cpp", "/s/gone.cpp"}, gccToolchain(), {"/s/gone.cpp"}).failure,
                 "kvncc: fatal: cannot find source file /s/gone.cpp");
    }
};

QTEST_GUILESS_MAIN(TestBuildPlan)
#include "tst_buildplan.moc"
