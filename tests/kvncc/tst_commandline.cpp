#include "kvncc/commandline.h"
#include "kvncc/words.h"

#include "compile/optioncatalogue.h"

#include <QTest>

#include <map>

using namespace kvncc;

namespace {

using Words = std::vector<std::string>;

QStringList toQt(const Words &words)
{
    QStringList list;
    for (const std::string &word : words)
        list.append(QString::fromStdString(word));
    return list;
}

// Files of a pretend disk for +file and @file.
struct Disk
{
    std::map<std::string, std::string> files;
    FileReader reader() const
    {
        return [this](const std::string &path, std::string &text) {
            const auto it = files.find(path);
            if (it == files.end()) {
                text = "No such file or directory";
                return false;
            }
            text = it->second;
            return true;
        };
    }
};

ParseResult parse(const Words &args, const Disk &disk = {})
{
    return parseCommandLine(args, disk.reader());
}

bool holdsFailureWord(const std::string &line)
{
    for (const char *word : {"Error", "Fatal", "error", "fatal"}) {
        if (line.find(word) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void splitsWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("blanks and line ends") << "-v  -y\r\n\t-w\n" << QStringList{"-v", "-y", "-w"};
        QTest::newRow("quoted stretch inside a word")
            << R"(-I"C:\My Files";"D:\x" -q)" << QStringList{R"(-IC:\My Files;D:\x)", "-q"};
        QTest::newRow("quoted file name with spaces") << R"("/tmp/a b/src.cpp")" << QStringList{"/tmp/a b/src.cpp"};
        QTest::newRow("backslashes stay") << R"(-LC:\lib\x)" << QStringList{R"(-LC:\lib\x)"};
        QTest::newRow("comment lines") << "# a comment -v\n  # another\n-q # not a comment\n"
                                       << QStringList{"-q", "#", "not", "a", "comment"};
        QTest::newRow("unclosed quote runs to the end") << "-e\"a b\n-c" << QStringList{"-ea b\n-c"};
        QTest::newRow("empty quotes are an empty word") << "\"\" x" << QStringList{"", "x"};
        QTest::newRow("nothing") << " \n\n " << QStringList{};
    }
    void splitsWords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QCOMPARE(toQt(splitWords(text.toStdString())), words);
    }

    void splitsFolderLists()
    {
        QCOMPARE(toQt(splitFolderList("/a;/b c;;/d;")), (QStringList{"/a", "/b c", "/d"}));
        QCOMPARE(toQt(splitFolderList("")), QStringList{});
    }

    // Every switch the option list offers reaches kvncc as KVN writes it:
    // the switch glued to a value when the item takes one. None may end in
    // a failure or be handed to GCC unknown, and a warning may never hold a
    // word that makes KVN judge the build failed.
    void acceptsEveryCatalogueSwitch()
    {
        const QStringList items = OptionCatalogue::items();
        QCOMPARE(items.size(), 110);
        for (const QString &item : items) {
            const QString name = OptionCatalogue::SplitItem(item)->Split1;
            if (name == QStringLiteral(" "))
                continue; // the free-text item carries switches of its own
            const std::string word = (name + (OptionCatalogue::takesValue(item) ? QStringLiteral("7") : QString()))
                                         .toStdString();
            const ParseResult result = parse({word, "x.cpp"});
            QVERIFY2(result.failure.empty(), word.c_str());
            QVERIFY2(result.options.compilerOptions.empty(), word.c_str());
            for (const std::string &line : result.warnings)
                QVERIFY2(!holdsFailureWord(line), line.c_str());
            const std::vector<SwitchMatch> match = matchSwitch(word);
            QCOMPARE(match.size(), std::size_t(1));
            QCOMPARE(QString::fromUtf8(match[0].info->name.data(), qsizetype(match[0].info->name.size())), name);
        }
    }

    void ignoredSwitchesAreReportedOnceWithTheirNameOnly()
    {
        const ParseResult result = parse({"-pr", "-H=fatal.csm", "-pr", "-x.cpp", "-Vd", "a.cpp"});
        QVERIFY(result.failure.empty());
        QCOMPARE(result.warnings.size(), std::size_t(3));
        QVERIFY(result.warnings[0].starts_with("kvncc: warning: -pr ignored: "));
        // The value typed after -H= never shows: it could hold any word.
        QCOMPARE(result.warnings[1].find("fatal"), std::string::npos);
        QVERIFY(result.warnings[1].starts_with("kvncc: warning: -H=... ignored: "));
        QCOMPARE(result.options.sources, (Words{"a.cpp"}));
    }

    void readsValuesGluedToSwitches()
    {
        const ParseResult result = parse({"-I/usr/inc;/opt/my inc", "-j5", "-lMap=out.map", "-Tal", "-tWCM", "src.cpp"});
        QVERIFY(result.failure.empty());
        QVERIFY(result.warnings.empty());
        const BuildOptions &o = result.options;
        QCOMPARE(o.includeFolders, (Words{"/usr/inc", "/opt/my inc"}));
        QCOMPARE(o.errorLimit, 5);
        // The linker and the assembler are handed "-x" for -lx and -Tx.
        QCOMPARE(o.linkerOptions, (Words{"-Map=out.map"}));
        QCOMPARE(o.assemblerOptions, (Words{"-al"}));
        QVERIFY(o.threads);
        QCOMPARE(o.sources, (Words{"src.cpp"}));
    }

    void laterSwitchesWin()
    {
        // KVN writes its own -e first; an -e ticked in the list comes later and wins.
        const ParseResult result = parse({"-e/a.exe", "-O1", "-Od", "-w", "-w-", "-P", "-P-", "-K", "-K-",
                                          "-e/b.exe", "-Tx", "-T-", "-Ty", "s.c"});
        const BuildOptions &o = result.options;
        QCOMPARE(o.executable, "/b.exe");
        QCOMPARE(o.optimisation, Optimisation::None);
        QCOMPARE(o.warnings, Warnings::Off);
        QCOMPARE(o.language, Language::ByExtension);
        QCOMPARE(o.unsignedChar, std::optional<bool>(false));
        QCOMPARE(o.assemblerOptions, (Words{"-y"}));
    }

    void sortsFilesByExtension()
    {
        const ParseResult result = parse({"a.cpp", "b.C", "c.obj", "d.o", "e.lib", "f.a", "g.so", "h.res",
                                          "i.def", "noext", "j.h"});
        const BuildOptions &o = result.options;
        QCOMPARE(o.sources, (Words{"a.cpp", "b.C", "noext", "j.h"}));
        QCOMPARE(o.objects, (Words{"c.obj", "d.o"}));
        QCOMPARE(o.libraries, (Words{"e.lib", "f.a", "g.so"}));
        QCOMPARE(result.warnings.size(), std::size_t(1)); // .res and .def share one line
    }

    void matchesLongestSwitchAndCombinedTargets()
    {
        const auto names = [](std::string_view word) {
            QStringList list;
            for (const SwitchMatch &m : matchSwitch(word))
                list.append(QString::fromStdString(std::string(m.info->name) + "|" + std::string(m.value)));
            return list;
        };
        QCOMPARE(names("-Hh=stop.h"), QStringList{"-Hh=|stop.h"});
        QCOMPARE(names("-H=x.csm"), QStringList{"-H=|x.csm"});
        QCOMPARE(names("-Hxxx"), QStringList{"-H|xxx"});
        QCOMPARE(names("-H"), QStringList{"-H|"});
        QCOMPARE(names("-l-x"), QStringList{"-l-|x"});
        QCOMPARE(names("-O-S"), QStringList{"-O-S|"});
        QCOMPARE(names("-w-par"), QStringList{"-w|-par"});
        QCOMPARE(names("-tWCM"), (QStringList{"-tWC|", "-tWM|"}));
        QCOMPARE(names("-WD"), QStringList{"-tWD|"});
        QCOMPARE(names("-W"), QStringList{"-tW|"});
        QCOMPARE(names("-WU"), QStringList{"-WU|"});
        QCOMPARE(names("-Wall"), QStringList{});
        QCOMPARE(names("-std=c++20"), QStringList{});
    }

    void unknownSwitchesGoToTheCompiler()
    {
        const ParseResult result = parse({"-std=c++20", "-Wextra", "-O3", "-fno-such", "a.cpp"});
        QVERIFY(result.failure.empty());
        QCOMPARE(result.options.compilerOptions, (Words{"-std=c++20", "-Wextra", "-O3", "-fno-such"}));
    }

    void emptyOrBadValuesAreReportedAndSkipped()
    {
        // Cancel at KVN's value prompt leaves the bare switch.
        const ParseResult result = parse({"-I", "-L", "-e", "-jmany", "-g", "a.cpp"});
        QVERIFY(result.failure.empty());
        QCOMPARE(result.warnings.size(), std::size_t(5));
        QVERIFY(result.options.includeFolders.empty());
        QVERIFY(result.options.executable.empty());
        QCOMPARE(result.options.errorLimit, -1);
        QCOMPARE(result.warnings[3], "kvncc: warning: -j needs a whole number; ignored");
    }

    void readsConfigurationAndResponseFiles()
    {
        Disk disk;
        disk.files["/p/kvn.cfg"] = "-I\"/inc with space\"\n-DFROM_CFG\n@/p/more.rsp\n";
        disk.files["/p/more.rsp"] = "-w \"/src/my file.cpp\"\n";
        const ParseResult result = parse({"+/p/kvn.cfg", "-e/o.exe", "-q"}, disk);
        QVERIFY(result.failure.empty());
        QCOMPARE(result.options.includeFolders, (Words{"/inc with space"}));
        QCOMPARE(result.options.macros, (std::vector<MacroSwitch>{{true, "FROM_CFG"}}));
        QCOMPARE(result.options.warnings, Warnings::Extra);
        QCOMPARE(result.options.sources, (Words{"/src/my file.cpp"}));
        QCOMPARE(result.options.executable, "/o.exe");
    }

    void unreadableOrLoopingFilesFail()
    {
        Disk disk;
        const ParseResult missing = parse({"@/p/none.rsp", "a.cpp"}, disk);
        QCOMPARE(missing.failure, "kvncc: fatal: cannot read response file /p/none.rsp: No such file or directory");
        const ParseResult missingCfg = parse({"+/p/none.cfg"}, disk);
        QVERIFY(missingCfg.failure.starts_with("kvncc: fatal: cannot read configuration file /p/none.cfg"));

        disk.files["/p/loop.rsp"] = "-v @/p/loop.rsp";
        const ParseResult loop = parse({"@/p/loop.rsp"}, disk);
        QVERIFY(loop.failure.starts_with("kvncc: fatal: response files nested more than"));

        const ParseResult bare = parse({"+", "a.cpp"}, disk);
        QVERIFY(bare.failure.empty());
        QCOMPARE(bare.warnings, (Words{"kvncc: warning: + without a file name ignored"}));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
