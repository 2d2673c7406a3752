#include "run/linkersymbol.h"
#include "run/messageplacement.h"
#include "run/nameuses.h"
#include "run/systemfiles.h"
#include "support/outputsamples.h"

#include <QFile>
#include <QHash>
#include <QTest>

namespace {

QString sample(const QString &name)
{
    return QString::fromUtf8(OutputSamples::read(name));
}

using Kind = NameUses::Use::Kind;

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Call: return QStringLiteral("call");
    case Kind::Use: return QStringLiteral("use");
    case Kind::Declaration: return QStringLiteral("declaration");
    case Kind::Definition: return QStringLiteral("definition");
    }
    return {};
}

// "line:offset kind" for each use, so a failure shows them all.
QStringList described(const QList<NameUses::Use> &uses)
{
    QStringList out;
    for (const NameUses::Use &use : uses)
        out.append(QStringLiteral("%1:%2 %3").arg(use.line).arg(use.offset).arg(kindName(use.kind)));
    return out;
}

const QString folder = QStringLiteral("/home/user/my work/");

// The sources the samples were compiled from, as they were on disk.
const QString squareCpp = QString::fromUtf8(OutputSamples::squareCpp);
const QString squareC = QStringLiteral("#include <stdio.h>\n"
                                       "\n"
                                       "int square(int x);\n"
                                       "\n"
                                       "int main(void)\n"
                                       "{\n"
                                       "    printf(\"%d\\n\", square(3));\n"
                                       "    return 0;\n"
                                       "}\n");
const QString memberCpp = QString::fromUtf8(OutputSamples::memberCpp);
const QString twiceCpp = QStringLiteral("int shared()\n{\n    return 1;\n}\n\nint main()\n{\n    return shared();\n}\n");
const QString onceCpp = QStringLiteral("int shared()\n{\n    return 2;\n}\n");
const QString nomainCpp = QStringLiteral("int helper(int x)\n{\n    return x + 1;\n}\n");
const QString sortlistCpp = QString::fromUtf8(OutputSamples::sortlistCpp);

// Files on a pretend disk, found by name in the compile's folder.
struct Disk
{
    QHash<QString, QString> files;

    MessagePlacement::Sources sources(const QString &compiled)
    {
        MessagePlacement::Sources s;
        s.find = [this](const QString &file) {
            const QString path = file.startsWith(QLatin1Char('/')) ? file : folder + file;
            return files.contains(path) || path.startsWith(QLatin1String("/usr/")) ? path : QString();
        };
        s.text = [this](const QString &path) -> std::optional<QString> {
            if (!files.contains(path))
                return std::nullopt;
            return files.value(path);
        };
        s.isSystem = [](const QString &path) { return SystemFiles::contains(path, folder, QStringLiteral("/usr/bin/g++")); };
        s.compiledSource = folder + compiled;
        return s;
    }
};

// "file:line:offset message" of the first error or warning placed, the file
// without the compile's folder.
QString firstErrorPlaced(const QString &sampleName, Disk &disk, const QString &compiled)
{
    const ParsedOutput parsed = CompilerOutput::parse(sample(sampleName));
    const QList<Placement> placed = MessagePlacement::place(parsed.diagnostics, disk.sources(compiled));
    for (qsizetype i = 0; i < parsed.diagnostics.size(); ++i) {
        if (!parsed.diagnostics.at(i).isError())
            continue;
        const Placement &p = placed.at(i);
        return QStringLiteral("%1:%2:%3 %4")
            .arg(QString(p.path).remove(folder))
            .arg(p.line)
            .arg(p.offset >= 0 ? p.offset : p.column)
            .arg(p.message);
    }
    return {};
}

} // namespace

class TestMessagePlacement : public QObject
{
    Q_OBJECT

private slots:
    // The symbols of the captured linker messages and the name each is
    // looked for by.
    void linkerSymbol_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("problem"); // -1: no symbol message
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("name");
        const int undefined = int(LinkerSymbol::Problem::Undefined);
        const int twice = int(LinkerSymbol::Problem::DefinedTwice);
        const int noMain = int(LinkerSymbol::Problem::NoMain);
        QTest::newRow("GNU ld, C++ function") << QStringLiteral("undefined reference to `square(int)'") << undefined
                                              << QStringLiteral("square(int)") << QStringLiteral("square");
        QTest::newRow("GNU ld, C function") << QStringLiteral("undefined reference to `square'") << undefined
                                            << QStringLiteral("square") << QStringLiteral("square");
        QTest::newRow("GNU ld, member of a class in a namespace")
            << QStringLiteral("undefined reference to `ns::Box::area() const'") << undefined
            << QStringLiteral("ns::Box::area() const") << QStringLiteral("area");
        QTest::newRow("lld, variable") << QStringLiteral("undefined symbol: counter") << undefined
                                       << QStringLiteral("counter") << QStringLiteral("counter");
        QTest::newRow("lld, member") << QStringLiteral("undefined symbol: ns::Box::area() const") << undefined
                                     << QStringLiteral("ns::Box::area() const") << QStringLiteral("area");
        QTest::newRow("template arguments") << QStringLiteral("undefined reference to `Stack<int>::push(int const&)'")
                                            << undefined << QStringLiteral("Stack<int>::push(int const&)")
                                            << QStringLiteral("push");
        QTest::newRow("function template") << QStringLiteral("undefined reference to `void show<int>(int)'")
                                           << undefined << QStringLiteral("void show<int>(int)") << QStringLiteral("show");
        QTest::newRow("destructor") << QStringLiteral("undefined reference to `Box::~Box()'") << undefined
                                    << QStringLiteral("Box::~Box()") << QStringLiteral("~Box");
        QTest::newRow("virtual table") << QStringLiteral("undefined reference to `vtable for Shape'") << undefined
                                       << QStringLiteral("vtable for Shape") << QStringLiteral("Shape");
        QTest::newRow("operator: no name to look for")
            << QStringLiteral("undefined reference to `operator<<(std::ostream&, Box const&)'") << undefined
            << QStringLiteral("operator<<(std::ostream&, Box const&)") << QString();
        QTest::newRow("an ABI tag of a function returning a string")
            << QStringLiteral("undefined reference to `label[abi:cxx11](int)'") << undefined << QStringLiteral("label(int)")
            << QStringLiteral("label");
        QTest::newRow("lld, an ABI tag of a member")
            << QStringLiteral("undefined symbol: Box::name[abi:cxx11]() const") << undefined
            << QStringLiteral("Box::name() const") << QStringLiteral("name");
        QTest::newRow("a conversion operator names no type to look for")
            << QStringLiteral("undefined reference to `Money::operator int() const'") << undefined
            << QStringLiteral("Money::operator int() const") << QString();
        QTest::newRow("GNU ld, multiple definition")
            << QStringLiteral("multiple definition of `shared()'; /tmp/cc32G5HC.o:twice.cpp:(.text+0x0): first defined here")
            << twice << QStringLiteral("shared()") << QStringLiteral("shared");
        QTest::newRow("lld, duplicate symbol") << QStringLiteral("duplicate symbol: shared()") << twice
                                               << QStringLiteral("shared()") << QStringLiteral("shared");
        QTest::newRow("GNU ld, no main") << QStringLiteral("undefined reference to `main'") << noMain
                                         << QStringLiteral("main") << QStringLiteral("main");
        QTest::newRow("lld, no main") << QStringLiteral("undefined symbol: main") << noMain << QStringLiteral("main")
                                      << QStringLiteral("main");
        QTest::newRow("a library not found") << QStringLiteral("cannot find -lnosuchlib: No such file or directory")
                                             << -1 << QString() << QString();
        QTest::newRow("a warning naming a symbol")
            << QStringLiteral("/tmp/ccrIDpel.o: warning: relocation against `counter' in read-only section `.text'")
            << -1 << QString() << QString();
    }

    void linkerSymbol()
    {
        QFETCH(QString, message);
        QFETCH(int, problem);
        const std::optional<LinkerSymbol> symbol = LinkerSymbol::read(message);
        QCOMPARE(symbol.has_value(), problem >= 0);
        if (!symbol)
            return;
        QCOMPARE(int(symbol->problem), problem);
        QTEST(symbol->symbol, "symbol");
        QTEST(symbol->name, "name");
    }

    void linkerWording_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("wording");
        QTest::newRow("undefined") << QStringLiteral("undefined reference to `square(int)'")
                                   << QStringLiteral("declared but never defined: square(int)");
        QTest::newRow("defined twice") << QStringLiteral("duplicate symbol: shared()")
                                       << QStringLiteral("defined more than once: shared()");
        QTest::newRow("no main") << QStringLiteral("undefined reference to `main'")
                                 << QStringLiteral("nomain.cpp has no main function: a program starts at main, so it needs one");
        QTest::newRow("virtual table") << QStringLiteral("undefined reference to `vtable for Shape'")
                                       << QStringLiteral("a virtual function of Shape is declared but never defined");
    }

    void linkerWording()
    {
        QFETCH(QString, message);
        QTEST(LinkerSymbol::read(message)->wording(QStringLiteral("nomain.cpp")), "wording");
    }

    // The uses of a name, told apart by the words around them; comments,
    // literals and other words that contain the name are passed over.
    void nameUses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("uses");
        QTest::newRow("square.cpp") << squareCpp << QStringLiteral("square")
                                    << QStringList{QStringLiteral("3:4 declaration"), QStringLiteral("7:17 call")};
        QTest::newRow("square.c") << squareC << QStringLiteral("square")
                                  << QStringList{QStringLiteral("3:4 declaration"), QStringLiteral("7:19 call")};
        QTest::newRow("member.cpp, a variable") << memberCpp << QStringLiteral("counter")
                                                << QStringList{QStringLiteral("8:11 declaration"), QStringLiteral("13:4 use")};
        QTest::newRow("member.cpp, a member function")
            << memberCpp << QStringLiteral("area")
            << QStringList{QStringLiteral("4:8 declaration"), QStringLiteral("14:13 call")};
        QTest::newRow("twice.cpp, a definition and a call")
            << twiceCpp << QStringLiteral("shared")
            << QStringList{QStringLiteral("1:4 definition"), QStringLiteral("8:11 call")};
        QTest::newRow("comments, strings, characters and longer words")
            << QStringLiteral("// square(1)\n/* square(2)\n square */ char s[] = \"square(3)\";\n"
                              "int squared = 'q' + square2(1) + my_square(2);\nauto r = R\"(square(4))\";\nx = square (5);\n")
            << QStringLiteral("square") << QStringList{QStringLiteral("6:4 call")};
        QTest::newRow("qualified calls and definitions")
            << QStringLiteral("int Box::area() const { return w; }\nint f() { return ns::area(1) + p->area(); }\n")
            << QStringLiteral("area")
            << QStringList{QStringLiteral("1:9 definition"), QStringLiteral("2:21 call"), QStringLiteral("2:34 call")};
        QTest::newRow("digit separators are no character literal")
            << QStringLiteral("long n = 1'000'000; int m = square(n); char c = 'x';\n") << QStringLiteral("square")
            << QStringList{QStringLiteral("1:28 call")};
        QTest::newRow("CR LF lines and an initial value")
            << QStringLiteral("int counter = 0;\r\nvoid f()\r\n{\r\n\tcounter = 2;\r\n}\r\n") << QStringLiteral("counter")
            << QStringList{QStringLiteral("1:4 definition"), QStringLiteral("4:1 use")};
        QTest::newRow("an include line names no use")
            << QStringLiteral("#include \"square.h\"\n#  include <square>\nint y = square(2);\n")
            << QStringLiteral("square") << QStringList{QStringLiteral("3:8 call")};
        QTest::newRow("prefixed raw strings")
            << QStringLiteral("auto a = u8R\"(f()\n)\" ; auto b = LR\"x(f())x\"; f();\n") << QStringLiteral("f")
            << QStringList{QStringLiteral("2:27 call")};
        QTest::newRow("a comment carried on over a CR LF line end")
            << QStringLiteral("// f() \\\r\nf();\r\nint y = f();\r\n") << QStringLiteral("f")
            << QStringList{QStringLiteral("3:8 call")};
        QTest::newRow("a destructor") << QStringLiteral("struct Box {\n    ~Box();\n    Box();\n};\n")
                                      << QStringLiteral("~Box") << QStringList{QStringLiteral("2:4 call")};
    }

    void nameUses()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QTEST(described(NameUses::find(text, name)), "uses");
    }

    void quotedIncludes()
    {
        const QString text = QStringLiteral("#include <iostream>\n#include \"shapes.h\"\n  #  include \"lib/util.h\" // x\n"
                                            "// #include \"gone.h\"\n");
        QCOMPARE(NameUses::quotedIncludes(text), (QStringList{QStringLiteral("shapes.h"), QStringLiteral("lib/util.h")}));
    }

    // Which files a user did not write.
    void systemFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("sourceFolder");
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<bool>("system");
        const QString home = QStringLiteral("/home/user/my work");
        const QString kvncc = QStringLiteral("/usr/bin/kvncc");
        QTest::newRow("C++ library header") << QStringLiteral("/usr/include/c++/12/bits/stl_algo.h") << home << kvncc << true;
        QTest::newRow("as Clang names it")
            << QStringLiteral("/usr/bin/../lib/gcc/x86_64-linux-gnu/12/../../../../include/c++/12/bits/stl_algo.h") << home
            << kvncc << true;
        QTest::newRow("compiler's own header") << QStringLiteral("/usr/lib/gcc/x86_64-linux-gnu/12/include/stddef.h")
                                               << home << kvncc << true;
        QTest::newRow("Clang's own header") << QStringLiteral("/usr/lib/llvm-14/lib/clang/14.0.6/include/stddef.h")
                                            << home << kvncc << true;
        QTest::newRow("local header") << QStringLiteral("/usr/local/include/json.h") << home << kvncc << true;
        QTest::newRow("the user's source") << QStringLiteral("/home/user/my work/a.cpp") << home << kvncc << false;
        QTest::newRow("the user's header elsewhere") << QStringLiteral("/home/user/lib/shapes.h") << home << kvncc << false;
        QTest::newRow("a relative name") << QStringLiteral("bits/stl_algo.h") << home << kvncc << false;
        QTest::newRow("sources kept under /usr/share")
            << QStringLiteral("/usr/share/doc/examples/a.h") << QStringLiteral("/usr/share/doc/examples") << kvncc << false;
        QTest::newRow("a folder only named like the system's")
            << QStringLiteral("/usr/includes/a.h") << home << kvncc << false;
        QTest::newRow("a compiler's own installation")
            << QStringLiteral("/opt/gcc-13/include/c++/13/vector") << home << QStringLiteral("/opt/gcc-13/bin/g++") << true;
        QTest::newRow("kvncc's headers beside it")
            << QStringLiteral("/opt/kvn/share/kvn/include/conio.h") << home << QStringLiteral("/opt/kvn/bin/kvncc") << true;
        QTest::newRow("beside another compiler") << QStringLiteral("/opt/gcc-13/include/c++/13/vector") << home << kvncc
                                                 << false;
        QTest::newRow("a compiler in the user's own bin folder")
            << QStringLiteral("/home/u/include/mine.h") << QStringLiteral("/home/u/proj") << QStringLiteral("/home/u/bin/kvncc")
            << false;
    }

    void systemFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, sourceFolder);
        QFETCH(QString, compiler);
        QTEST(SystemFiles::contains(path, sourceFolder, compiler), "system");
    }

    // The include chain of a message, innermost first, from GCC's "from"
    // lines and from Clang's one line per include.
    void includedFrom_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("chain");
        QTest::newRow("GCC") << QStringLiteral("gcc-sort") << 0
                             << QStringList{QStringLiteral("/usr/include/c++/12/algorithm:61"), QStringLiteral("sortlist.cpp:1")};
        QTest::newRow("GCC, a later message") << QStringLiteral("gcc-sort") << 3
                                              << QStringList{QStringLiteral("/usr/include/c++/12/bits/stl_algobase.h:67"),
                                                             QStringLiteral("/usr/include/c++/12/algorithm:60")};
        QTest::newRow("Clang")
            << QStringLiteral("clang-sort") << 0
            << QStringList{QStringLiteral("/usr/bin/../lib/gcc/x86_64-linux-gnu/12/../../../../include/c++/12/algorithm:61"),
                           QStringLiteral("sortlist.cpp:1")};
        QTest::newRow("GCC, the user's header") << QStringLiteral("gcc-header") << 0
                                                << QStringList{QStringLiteral("/home/user/my work/use shapes.cpp:1")};
        QTest::newRow("none") << QStringLiteral("gcc-sort") << 2 << QStringList{};
    }

    void includedFrom()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        const ParsedOutput parsed = CompilerOutput::parse(sample(name));
        QVERIFY(index < parsed.diagnostics.size());
        QStringList chain;
        for (const Diagnostic::Place &place : parsed.diagnostics.at(index).includedFrom)
            chain.append(QStringLiteral("%1:%2").arg(place.file).arg(place.line));
        QTEST(chain, "chain");
    }

    // The first error of each captured output, placed on the user's line.
    void placed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("compiled");
        QTest::addColumn<QString>("placed"); // file:line:offset (or column) message
        const QString square = QStringLiteral("square.cpp:7:17 declared but never defined: square(int)");
        QTest::newRow("GNU ld") << QStringLiteral("gcc-link-square") << QStringLiteral("square.cpp") << square;
        QTest::newRow("lld") << QStringLiteral("lld-link-square") << QStringLiteral("square.cpp") << square;
        QTest::newRow("lld with debug information") << QStringLiteral("lld-link-g") << QStringLiteral("square.cpp")
                                                    << square;
        QTest::newRow("GNU ld through kvncc") << QStringLiteral("kvncc-link-square") << QStringLiteral("square.cpp") << square;
        QTest::newRow("GNU ld, a C name") << QStringLiteral("gcc-link-c") << QStringLiteral("square.c")
                                          << QStringLiteral("square.c:7:19 declared but never defined: square");
        QTest::newRow("lld, a C name") << QStringLiteral("lld-link-c") << QStringLiteral("square.c")
                                       << QStringLiteral("square.c:7:19 declared but never defined: square");
        QTest::newRow("GNU ld, a variable") << QStringLiteral("gcc-link-member") << QStringLiteral("member.cpp")
                                            << QStringLiteral("member.cpp:13:4 declared but never defined: counter");
        QTest::newRow("GNU ld with debug information, a variable")
            << QStringLiteral("gcc-link-member-g") << QStringLiteral("member.cpp")
            << QStringLiteral("member.cpp:13:4 declared but never defined: counter");
        QTest::newRow("lld, a variable") << QStringLiteral("lld-link-member") << QStringLiteral("member.cpp")
                                         << QStringLiteral("member.cpp:13:4 declared but never defined: counter");
        QTest::newRow("GNU ld, defined twice") << QStringLiteral("gcc-twice") << QStringLiteral("twice.cpp")
                                               << QStringLiteral("once.cpp:1:4 defined more than once: shared()");
        QTest::newRow("lld, defined twice") << QStringLiteral("lld-duplicate") << QStringLiteral("twice.cpp")
                                            << QStringLiteral("twice.cpp:1:4 defined more than once: shared()");
        QTest::newRow("GNU ld, no main")
            << QStringLiteral("gcc-nomain") << QStringLiteral("nomain.cpp")
            << QStringLiteral("nomain.cpp:1:0 nomain.cpp has no main function: a program starts at main, so it needs one");
        QTest::newRow("lld, no main")
            << QStringLiteral("lld-nomain") << QStringLiteral("nomain.cpp")
            << QStringLiteral("nomain.cpp:1:0 nomain.cpp has no main function: a program starts at main, so it needs one");
        QTest::newRow("GCC, an error in a library header")
            << QStringLiteral("gcc-sort") << QStringLiteral("sortlist.cpp")
            << QStringLiteral("sortlist.cpp:7:14 no match for ‘operator-’ (operand types are ‘std::_List_iterator<int>’ "
                              "and ‘std::_List_iterator<int>’) (in /usr/include/c++/12/bits/stl_algo.h:1938)");
        QTest::newRow("GCC through kvncc, an error in a library header")
            << QStringLiteral("kvncc-sort") << QStringLiteral("sortlist.cpp")
            << QStringLiteral("sortlist.cpp:7:14 no match for ‘operator-’ in ‘__last - __first’ (operand types are "
                              "‘std::_List_iterator<int>’ and ‘std::_List_iterator<int>’) (in "
                              "/usr/include/c++/12/bits/stl_algo.h:1938)");
        QTest::newRow("Clang, an error in a library header")
            << QStringLiteral("clang-sort") << QStringLiteral("sortlist.cpp")
            << QStringLiteral("sortlist.cpp:7:10 invalid operands to binary expression ('std::_List_iterator<int>' and "
                              "'std::_List_iterator<int>') (in /usr/bin/../lib/gcc/x86_64-linux-gnu/12/../../../../"
                              "include/c++/12/bits/stl_algo.h:1938)");
        QTest::newRow("GCC, a macro of the user's breaks a library header")
            << QStringLiteral("gcc-macro") << QStringLiteral("macro.cpp")
            << QStringLiteral("macro.cpp:1:0 attribute ‘access(__write_only__, 1, 4)’ positional argument 2 references "
                              "non-integer argument type ‘int*’ (in /usr/include/string.h:56)");
        QTest::newRow("an error in the user's own file stays")
            << QStringLiteral("gcc-header") << QStringLiteral("use shapes.cpp")
            << QStringLiteral("shapes.h:4:9 expected ‘;’ at end of member declaration");
    }

    void placed()
    {
        QFETCH(QString, name);
        QFETCH(QString, compiled);
        Disk disk;
        disk.files = {{folder + QStringLiteral("square.cpp"), squareCpp},   {folder + QStringLiteral("square.c"), squareC},
                      {folder + QStringLiteral("member.cpp"), memberCpp},   {folder + QStringLiteral("twice.cpp"), twiceCpp},
                      {folder + QStringLiteral("once.cpp"), onceCpp},       {folder + QStringLiteral("nomain.cpp"), nomainCpp},
                      {folder + QStringLiteral("sortlist.cpp"), sortlistCpp},
                      {folder + QStringLiteral("macro.cpp"), QStringLiteral("#include <cstdio>\n#define size_t int*\n")},
                      {folder + QStringLiteral("shapes.h"), QStringLiteral("struct Shape {\n\n\n    int sides\n};\n")},
                      {folder + QStringLiteral("use shapes.cpp"), QStringLiteral("#include \"shapes.h\"\n")}};
        QTEST(firstErrorPlaced(name, disk, compiled), "placed");
    }

    // GCC names the includes once for the messages of one header: each of
    // them is placed on the user's line that brought the header in.
    void laterMessagesOfTheSameHeader()
    {
        Disk disk;
        disk.files = {{folder + QStringLiteral("macro.cpp"), QStringLiteral("#include <cstdio>\n#define size_t int*\n")}};
        const ParsedOutput parsed = CompilerOutput::parse(sample(QStringLiteral("gcc-macro")));
        const QList<Placement> placed = MessagePlacement::place(parsed.diagnostics, disk.sources(QStringLiteral("macro.cpp")));
        int errors = 0;
        for (qsizetype i = 0; i < parsed.diagnostics.size(); ++i) {
            if (!parsed.diagnostics.at(i).isError())
                continue;
            ++errors;
            QCOMPARE(placed.at(i).path, folder + QStringLiteral("macro.cpp"));
            QCOMPARE(placed.at(i).line, 1);
        }
        QCOMPARE(errors, 10);
    }

    // A name used only in a header of the user's is found there; a call
    // in the source comes before a declaration in the header.
    void placedInTheUsersHeaders()
    {
        Disk disk;
        disk.files = {{folder + QStringLiteral("main.cpp"), QStringLiteral("#include \"lib/calc.h\"\nint main() { return 0; }\n")},
                      {folder + QStringLiteral("lib/calc.h"), QStringLiteral("#include \"inner.h\"\nint twice(int);\n")},
                      {folder + QStringLiteral("lib/inner.h"), QStringLiteral("inline int four() { return twice(2); }\n")}};
        const ParsedOutput parsed = CompilerOutput::parse(QStringLiteral(
            "/usr/bin/ld: /tmp/cc1.o: in function `four()':\nmain.cpp:(.text+0x5): undefined reference to `twice(int)'\n"));
        const QList<Placement> placed = MessagePlacement::place(parsed.diagnostics, disk.sources(QStringLiteral("main.cpp")));
        QCOMPARE(placed.size(), 1);
        QCOMPARE(placed[0].path, folder + QStringLiteral("lib/inner.h"));
        QCOMPARE((std::pair{placed[0].line, placed[0].offset}), (std::pair{1, 27}));
    }

    // A name found nowhere keeps the message, newly worded, without a line.
    void aNameFoundNowhere()
    {
        Disk disk;
        disk.files = {{folder + QStringLiteral("main.cpp"), QStringLiteral("int main() { return 0; }\n")}};
        const ParsedOutput parsed = CompilerOutput::parse(sample(QStringLiteral("gcc-link")));
        const QList<Placement> placed = MessagePlacement::place(parsed.diagnostics, disk.sources(QStringLiteral("main.cpp")));
        QVERIFY(!placed[0].hasLocation());
        QCOMPARE(placed[0].message,
                 QStringLiteral("used but defined nowhere: helper(int) (is the name misspelt, or its library not linked?)"));
    }

    // Real GNU ld output placed where the user wrote the name, also when the
    // linker names the source by its file name alone while a file of that
    // name lies in the folder the compiler ran in, and when with debug
    // information it gives an inline function of a header the compiled
    // file's name and the header's line.
    void linkerMessagesFindTheUsersFile_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("placed");
        QTest::newRow("file name alone, another file of that name in the working folder")
            << QStringLiteral("/usr/bin/ld: /tmp/cc1.o: in function `main':\n"
                              "main.cpp:(.text+0x12): undefined reference to `helper(int)'\n")
            << QStringLiteral("/proj/main.cpp:4 declared but never defined: helper(int)");
        QTest::newRow("debug information naming the header's line in the compiled file")
            << QStringLiteral("/usr/bin/ld: /tmp/cc2.o: in function `Box::Box(int)':\n"
                              "/proj/main.cpp:2: undefined reference to `vtable for Box'\n")
            << QStringLiteral("/proj/shapes.h:2 a virtual function of Box is declared but never defined");
        QTest::newRow("a name used and declared nowhere in the user's files")
            << QStringLiteral("/usr/bin/ld: /tmp/cc3.o: in function `main':\n"
                              "main.cpp:(.text+0x9): undefined reference to `sqaure'\n")
            << QStringLiteral("/proj/main.cpp:4 used but defined nowhere: sqaure (is the name misspelt, or its library not linked?)");
    }

    void linkerMessagesFindTheUsersFile()
    {
        QFETCH(QString, output);
        const QHash<QString, QString> files{
            {QStringLiteral("/proj/main.cpp"),
             QStringLiteral("#include \"shapes.h\"\n\nint helper(int);\nint main() { return helper(1) + sqaure(2) + Box(1).w; }\n")},
            {QStringLiteral("/proj/shapes.h"),
             QStringLiteral("struct Box {\n    Box(int w) : w(w) {}\n    virtual ~Box();\n    int w;\n};\n")},
            {QStringLiteral("/home/user/main.cpp"), QStringLiteral("int helper(int);\nint main() { return helper(2); }\n")}};
        MessagePlacement::Sources sources;
        // Relative names are found in the working folder first, as the run
        // window finds them.
        sources.find = [&files](const QString &file) {
            for (const QString &path : {file, QStringLiteral("/home/user/") + file, QStringLiteral("/proj/") + file}) {
                if (files.contains(path))
                    return path;
            }
            return QString();
        };
        sources.text = [&files](const QString &path) -> std::optional<QString> {
            return files.contains(path) ? std::optional<QString>(files.value(path)) : std::nullopt;
        };
        sources.isSystem = [](const QString &) { return false; };
        sources.compiledSource = QStringLiteral("/proj/main.cpp");
        const ParsedOutput parsed = CompilerOutput::parse(output);
        const QList<Placement> placed = MessagePlacement::place(parsed.diagnostics, sources);
        QStringList errors;
        for (qsizetype i = 0; i < parsed.diagnostics.size(); ++i) {
            if (parsed.diagnostics.at(i).isError())
                errors.append(QStringLiteral("%1:%2 %3").arg(placed.at(i).path).arg(placed.at(i).line).arg(placed.at(i).message));
        }
        QTEST(errors.value(0), "placed");
    }
};

QTEST_GUILESS_MAIN(TestMessagePlacement)
#include "tst_compilermessages_placement.moc"
