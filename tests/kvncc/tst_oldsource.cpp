#include "kvncc/leadingblock.h"
#include "kvncc/oldrules.h"
#include "kvncc/oldsource.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kvncc;

namespace {
using Names = std::vector<std::string>;
} // namespace

class TestOldSource : public QObject
{
    Q_OBJECT

private slots:
    void findsWhatAnOldProgramNeeds_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<bool>("voidMain");
        QTest::addColumn<int>("parameters");
        QTest::addColumn<bool>("untypedMain");
        QTest::addColumn<QString>("ownNames");
        QTest::addColumn<bool>("oldPointers");
        QTest::newRow("modern") << "int main() { return 0; }" << true << false << 0 << false << "" << false;
        QTest::newRow("void main") << "void main()\n{\n}\n" << true << true << 0 << false << "" << false;
        QTest::newRow("void main (void)") << "void  main ( void ) {}" << false << true << 0 << false << "" << false;
        QTest::newRow("void main with arguments") << "void main(int argc, char *argv[]) {}" << true << true << 2 << false
                                                  << "" << false;
        QTest::newRow("with the environment") << "void main(int c, char **v, char **e) {}" << false << true << 3 << false
                                              << "" << false;
        QTest::newRow("only in a comment or a string") << "// void main()\nint main() { puts(\"void main() {\"); }" << true
                                                       << false << 0 << false << "" << false;
        QTest::newRow("main without a type") << "#include <stdio.h>\nmain()\n{\n}\n" << true << false << 0 << true << ""
                                             << false;
        QTest::newRow("C takes it as it is") << "main()\n{\n}\n" << false << false << 0 << false << "" << false;
        QTest::newRow("a call of main is no definition") << "int main() {\n  main();\n}" << true << false << 0 << false
                                                         << "" << false;
        QTest::newRow("own functions, not calls") << "char *strrev(char *s) { return s; }\nvoid clrscr()\n{\n}\n"
                                                     "int main() { strrev(x); gotoxy(1, 1); return max(1, 2); }"
                                                  << true << false << 0 << false << "strrev clrscr" << false;
        // A prototype names the function as the program means it, so the old
        // meaning of the name steps aside, as it does for a definition.
        QTest::newRow("a prototype is the program's own") << "int max(int a, int b);\nint main() {}" << true << false << 0
                                                          << false << "max" << false;
        QTest::newRow("the C library's random declared") << "long random(void);\nint main(void) { return random(); }"
                                                         << false << false << 0 << false << "random" << false;
        QTest::newRow("a prototype at block scope") << "int main(void)\n{\n    long random(void);\n    return 0;\n}"
                                                    << false << false << 0 << false << "random" << false;
        QTest::newRow("prototypes after a preprocessor line, extern \"C\"")
            << "#include <stdio.h>\nchar *strupr(char *s);\nextern \"C\" int kbhit(void);" << true << false << 0 << false
            << "strupr kbhit" << false;
        QTest::newRow("a prototype over two lines") << "static unsigned int\nsleep(unsigned int seconds);" << false
                                                    << false << 0 << false << "sleep" << false;
        QTest::newRow("calls are no prototypes")
            << "int main(void)\n{\n    int x, n = 3;\n    x = random(10);\n    if (kbhit()) getch();\n"
               "    while (!kbhit()) delay(n);\n    clrscr();\nagain:\n    gotoxy(1, 2);\n    return random(5);\n}"
            << false << false << 0 << false << "" << false;
        QTest::newRow("calls after else and do") << "void f(void) { if (a) clrscr(); else clrscr(); do getch(); while (0); }"
                                                 << false << false << 0 << false << "" << false;
        QTest::newRow("calls with a type's name or through an object")
            << "void f() { Screen::clrscr(); s.gotoxy(1, 2); p->delay(3); (void)getch(); }" << true << false << 0
            << false << "" << false;
        QTest::newRow("a macro that calls is no prototype") << "#define PAUSE getch();\n#define ROLL random(6);"
                                                            << false << false << 0 << false << "" << false;
        QTest::newRow("an object made from a variable is no prototype")
            << "void f(int ms, int x) { Timer delay(ms); Pen putch(x); }" << true << false << 0 << false << "" << false;
        QTest::newRow("prototypes with types of their own, one word each")
            << "void gotoxy(COORD);\nint kbhit(size_t);\nvoid delay(unsigned);" << true << false << 0 << false
            << "kbhit gotoxy delay" << false;
        QTest::newRow("a member's prototype is the class's")
            << "class Screen {\npublic:\n    void clrscr();\n    int getch(void);\n};\n"
               "void Screen::clrscr() { ::clrscr(); }\nstruct S { void delay(int); };"
            << true << false << 0 << false << "" << false;
        QTest::newRow("old-style C definition") << "int max(a, b)\nint a, b;\n{\n return a;\n}\n" << false << false << 0
                                                << false << "max" << false;
        QTest::newRow("a template of its own") << "template <class T> T max(T a, T b) { return a; }" << true << false
                                               << 0 << false << "max" << false;
        QTest::newRow("own macros and variables") << "#define max(a, b) ((a) > (b) ? (a) : (b))\nint left[10], right;\n"
                                                     "int x = left[0] + max(1, 2);"
                                                  << true << false << 0 << false << "max left right" << false;
        QTest::newRow("the standard file streams through using namespace std")
            << "#include <fstream.h>\nusing  namespace\nstd;\nifstream in; ofstream out;" << true << false << 0 << false
            << "fstream ifstream ofstream" << false;
        QTest::newRow("using namespace std in C, or of another namespace")
            << "using namespace stdx;\nifstream in;\n" << true << false << 0 << false << "" << false;
        QTest::newRow("far pointers") << "char far *screen; int huge* big;" << false << false << 0 << false << ""
                                      << true;
        QTest::newRow("far as a word") << "int far = 3, nearest; far = 4;" << false << false << 0 << false << ""
                                       << false;
        QTest::newRow("void main over three lines") << "void\nmain\n(\n)\n{ }" << false << true << 0 << false << ""
                                                    << false;
        QTest::newRow("voidmain and avoid main are other names") << "voidmain() {}\nint avoid main();" << false << false
                                                                 << 0 << false << "" << false;
        QTest::newRow("a tab before main without a type") << "\tmain ()\n{\n}\n" << true << false << 0 << true << ""
                                                          << false;
        QTest::newRow("main after a word is typed") << "static main() {}" << true << false << 0 << false << "" << false;
        QTest::newRow("a spaced #define") << "  #  define\tmin(a, b) a\n#definemax 1\n# define maxi 2" << true << false
                                          << 0 << false << "min" << false;
        QTest::newRow("pointer declarations") << "unsigned long *left;\nchar **right[2];" << true << false << 0 << false
                                              << "left right" << false;
        QTest::newRow("a name used, not declared") << "int x = left;\nint y = f(right), z;" << true << false << 0 << false
                                                   << "" << false;
        QTest::newRow("a declaration's name on the next line") << "int\nleft;" << true << false << 0 << false << ""
                                                               << false;
        QTest::newRow("a name inside a longer one") << "int lefty, right_x;" << true << false << 0 << false << "" << false;
        QTest::newRow("pointer word after the star") << "char * far p;" << false << false << 0 << false << "" << true;
        QTest::newRow("pointer word and star on two lines") << "char near\n*p;" << false << false << 0 << false << ""
                                                            << true;
        QTest::newRow("pointer words inside longer words") << "int faraway *p; int *hugely;" << false << false << 0 << false
                                                           << "" << false;
    }

    void findsWhatAnOldProgramNeeds()
    {
        QFETCH(QString, source);
        QFETCH(bool, cpp);
        QFETCH(bool, voidMain);
        QFETCH(int, parameters);
        QFETCH(bool, untypedMain);
        QFETCH(QString, ownNames);
        QFETCH(bool, oldPointers);
        const SourceTraits traits = examineSource(source.toStdString(), cpp);
        QCOMPARE(traits.voidMain, voidMain);
        QCOMPARE(traits.mainParameters, parameters);
        QCOMPARE(traits.untypedMain, untypedMain);
        QStringList own;
        for (const std::string &name : traits.ownNames)
            own.append(QString::fromStdString(name));
        QCOMPARE(own.join(u' '), ownNames);
        QCOMPARE(traits.oldPointers, oldPointers);
    }

    void blanksCommentsAndLiteralsKeepingPositions()
    {
        const std::string text = "a /* b\nc */ \"d\\\"e\" 'f' // g\nh";
        const std::string code = codeOnly(text);
        QCOMPARE(code.size(), text.size());
        QCOMPARE(code, std::string("a     \n     \"    \" ' '     \nh"));
    }

    // The copy keeps every line where it was, and its messages name the
    // user's file: the compiler itself says so.
    void theCopyKeepsFileAndLines_data()
    {
        QTest::addColumn<bool>("cpp");
        QTest::newRow("C++") << true;
        QTest::newRow("C") << false;
    }

    void theCopyKeepsFileAndLines()
    {
        QFETCH(bool, cpp);
        const std::string text = "#include <stdio.h>\nvoid main(void)\n{\n    missing_name = 1;\n}\n";
        const std::string copy = rewrittenSource(text, examineSource(text, cpp), "/home/u/my \"old\" prog.c", cpp);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("x")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(copy.data(), qint64(copy.size()));
        file.close();
        QProcess compiler;
        compiler.setProcessChannelMode(QProcess::MergedChannels);
        compiler.start(cpp ? QStringLiteral("g++") : QStringLiteral("gcc"),
                       {QStringLiteral("-x"), cpp ? QStringLiteral("c++") : QStringLiteral("c"), QStringLiteral("-c"),
                        file.fileName(), QStringLiteral("-o"), dir.filePath(QStringLiteral("x.o"))});
        QVERIFY(compiler.waitForFinished(60000));
        const QByteArray said = compiler.readAll();
        QVERIFY2(said.contains("/home/u/my \"old\" prog.c:4:5: error:"), said.constData());
        QVERIFY2(!said.contains("main' must return"), said.constData());
    }

    // Which lines count as an include of a system header in the leading
    // block that is precompiled.
    void leadingBlockLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("counts");
        QTest::newRow("plain") << "#include <stdio.h>" << true;
        QTest::newRow("blanks and tabs everywhere") << " \t# \tinclude\t <sys/types.h> \t\r" << true;
        QTest::newRow("no blank after include") << "#include<map>" << true;
        QTest::newRow("a comment after it") << "#include <map> // the map" << true;
        QTest::newRow("empty brackets") << "#include <>" << false;
        QTest::newRow("an angle bracket inside") << "#include <a<b>" << false;
        QTest::newRow("a second name") << "#include <a> <b>" << false;
        QTest::newRow("code after it") << "#include <a> x" << false;
        QTest::newRow("unclosed") << "#include <a" << false;
        QTest::newRow("the program's own header") << "#include \"a.h\"" << false;
        QTest::newRow("includes") << "#includes <a>" << false;
    }
    void leadingBlockLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, counts);
        const std::string text = line.toStdString() + "\nint x;\n";
        QCOMPARE(leadingBlock(text), counts ? line.toStdString() + "\n" : std::string());
    }

    // The name in the copy's #line is a C string: the compiler reads its
    // escapes back into the name as it is.
    void lineDirectiveEscapesTheName_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << QByteArray("/p/a.c") << QByteArray("#line 1 \"/p/a.c\"\n");
        QTest::newRow("line end") << QByteArray("/p/a\nb.c") << QByteArray("#line 1 \"/p/a\\012b.c\"\n");
        QTest::newRow("control character before a digit") << QByteArray("/p/\x01" "7.c")
                                                           << QByteArray("#line 1 \"/p/\\0017.c\"\n");
        QTest::newRow("delete") << QByteArray("/p/\x7f.c") << QByteArray("#line 1 \"/p/\\177.c\"\n");
        QTest::newRow("quote and backslash") << QByteArray("/p/\"\\.c") << QByteArray("#line 1 \"/p/\\\"\\\\.c\"\n");
        QTest::newRow("UTF-8 as it is") << QByteArray("/p/\xc3\xa9t\xc3\xa9.c") << QByteArray("#line 1 \"/p/\xc3\xa9t\xc3\xa9.c\"\n");
    }
    void lineDirectiveEscapesTheName()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, line);
        const std::string text = "void main() {}\n";
        const std::string copy = rewrittenSource(text, examineSource(text, true), name.toStdString(), true);
        QVERIFY2(copy.starts_with(line.toStdString()), copy.c_str());
    }

    void readsTheMessagesThatCallForAMend()
    {
        const std::string gcc = "/p/a.cpp: In function \xe2\x80\x98int main()\xe2\x80\x99:\n"
                                "/p/a.cpp:4:17: error: \xe2\x80\x98i\xe2\x80\x99 was not declared in this scope\n"
                                "/p/a.cpp:11:7: error: jump to case label\n"
                                "/p/a.cpp:8:7: note:   crosses initialization of \xe2\x80\x98int j\xe2\x80\x99\n"
                                "/p/other.h:2:1: error: 'k' was not declared in this scope\n"
                                "/p/a.cpp:9:3: error: 'n' was not declared in this scope\n";
        using K = OldRuleMend::Kind;
        QCOMPARE(oldRuleMends(gcc, "/p/a.cpp", false),
                 (std::vector<OldRuleMend>{{K::ForScope, 4, 17, "i"}, {K::JumpPastInitialisation, 8, 7, {}},
                                           {K::ForScope, 9, 3, "n"}}));
        const std::string clang = "/p/a.cpp:4:17: error: use of undeclared identifier 'i'\n"
                                  "/p/a.cpp:11:2: error: cannot jump from switch statement to this case label\n"
                                  "/p/a.cpp:8:7: note: jump bypasses variable initialization\n";
        QCOMPARE(oldRuleMends(clang, "/p/a.cpp", true),
                 (std::vector<OldRuleMend>{{K::ForScope, 4, 17, "i"}, {K::JumpPastInitialisation, 8, 7, {}}}));
    }

    // Messages and sources with lines of a megabyte are read through, as
    // short ones are.
    void readsLinesOfAMegabyte()
    {
        const std::string name(std::size_t(1) << 20, 'n');
        const std::string messages = "/p/a.cpp:4:17: error: '" + name + "' was not declared in this scope\n"
                                     + "/p/a.cpp:8:7: note:" + std::string(std::size_t(1) << 20, ' ')
                                     + "crosses initialization of 'int j'\n";
        using K = OldRuleMend::Kind;
        QVERIFY(oldRuleMends(messages, "/p/a.cpp", false)
                == (std::vector<OldRuleMend>{{K::ForScope, 4, 17, name}, {K::JumpPastInitialisation, 8, 7, {}}}));

        const std::string blanks(std::size_t(1) << 20, ' ');
        const std::string text = "{\n for (int" + blanks + "i = 0; i < 3; i++) ;\n f(i);\n}";
        std::vector<std::string> warnings;
        const std::string mended = withOldRules(text, {{K::ForScope, 3, 4, "i"}}, "a.cpp", false, warnings);
        QVERIFY(mended == "{\n int" + blanks + "i = 0; for (; i < 3; i++) ;\n f(i);\n}");
        QCOMPARE(warnings.size(), std::size_t(1));
    }

    void mendsKeepEveryLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mended");
        const int forScope = int(OldRuleMend::Kind::ForScope);
        const int jump = int(OldRuleMend::Kind::JumpPastInitialisation);
        QTest::newRow("loop variable used after it") << "{\n for (int i = 0, j = 1; i < 3; i++) ;\n f(i);\n}" << forScope
                                                     << 3 << 4 << "i" << "{\n int i = 0, j = 1; for (; i < 3; i++) ;\n f(i);\n}";
        QTest::newRow("tab counted to column 9") << "{\n\tfor (long n=2;;) ;\n\tf(n);\n}" << forScope << 3 << 11 << "n"
                                                 << "{\n\tlong n=2; for (;;) ;\n\tf(n);\n}";
        QTest::newRow("not out of an unbraced if") << "{\n if (x) for (int i = 0;;) ;\n f(i);\n}" << forScope << 3 << 4
                                                   << "i" << "{\n if (x) for (int i = 0;;) ;\n f(i);\n}";
        QTest::newRow("no loop declares it") << "{\n f(i);\n}" << forScope << 2 << 4 << "i" << "{\n f(i);\n}";
        QTest::newRow("scalar jumped over") << "case 1:\n  int j = g(1, 2);\n" << jump << 2 << 7 << ""
                                            << "case 1:\n  int j; j = g(1, 2);\n";
        QTest::newRow("pointer jumped over") << "{ char *p = s;" << jump << 1 << 9 << "" << "{ char *p; p = s;";
        QTest::newRow("a class keeps its constructor") << "{ string s = \"x\";" << jump << 1 << 10 << ""
                                                       << "{ string s = \"x\";";
        QTest::newRow("two declarators") << "{ int a = 1, b = 2;" << jump << 1 << 7 << "" << "{ int a = 1, b = 2;";
        // An object jumped over ends before the next label of its switch.
        QTest::newRow("string in a case, to the next case")
            << "switch (k) {\ncase 1:\n    string s = \"x\";\n    f(s);\n    break;\ncase 2:\n    g();\n}" << jump << 3 << 12
            << "" << "switch (k) {\ncase 1:{\n    string s = \"x\";\n    f(s);\n    break;}\ncase 2:\n    g();\n}";
        QTest::newRow("on the label's line, no break, default next")
            << "switch (c) {\ncase 'a': ifstream in(name); in >> x;\ndefault: y();\n}" << jump << 2 << 20 << ""
            << "switch (c) {\ncase 'a':{ ifstream in(name); in >> x;}\ndefault: y();\n}";
        QTest::newRow("in an inner switch, to its own next label")
            << "switch (a) {\ncase 1:\n  switch (b) {\n  case 1: std::fstream f(\"a.txt\"); f << 1; break;\n  case 2: break;\n  }\n"
               "  break;\ncase 2:;\n}"
            << jump << 4 << 24 << ""
            << "switch (a) {\ncase 1:\n  switch (b) {\n  case 1:{ std::fstream f(\"a.txt\"); f << 1; break;}\n  case 2: break;\n  }\n"
               "  break;\ncase 2:;\n}";
        QTest::newRow("after an inner switch, past its labels")
            << "switch (a) {\ncase 1:\n  switch (b) { case 1: f(); default: g(); }\n  string t;\n  h(t);\ndefault: ;\n}"
            << jump << 4 << 10 << ""
            << "switch (a) {\ncase 1:\n  switch (b) { case 1: f(); default: g(); }{\n  string t;\n  h(t);}\ndefault: ;\n}";
        QTest::newRow("a class with two declarators")
            << "switch (k) {\ncase 0: string a = \"x\", b; f(a, b); break;\ncase 1:;\n}" << jump << 2 << 16 << ""
            << "switch (k) {\ncase 0:{ string a = \"x\", b; f(a, b); break;}\ncase 1:;\n}";
        QTest::newRow("scalars with two declarators")
            << "switch (k) {\ncase 0: int a = 1, b = 2; f(a + b);\ncase 1:;\n}" << jump << 2 << 13 << ""
            << "switch (k) {\ncase 0:{ int a = 1, b = 2; f(a + b);}\ncase 1:;\n}";
        QTest::newRow("labels in a comment or a string are none")
            << "switch (k) {\ncase 1: string s; // case 3: here\n  f(\"default:\"); break;\ncase 2:;\n}" << jump << 2 << 16
            << "" << "switch (k) {\ncase 1:{ string s; // case 3: here\n  f(\"default:\"); break;}\ncase 2:;\n}";
        QTest::newRow("longer names after the label are other names")
            << "switch (k) {\ncase 1: string s; f(s); break;\ncase 2: ss = 1; s_x = t.s + p->s;\n}" << jump << 2 << 16 << ""
            << "switch (k) {\ncase 1:{ string s; f(s); break;}\ncase 2: ss = 1; s_x = t.s + p->s;\n}";
        QTest::newRow("declared before the first label")
            << "switch (k) { string s; case 1: f(); }" << jump << 1 << 21 << ""
            << "switch (k) {{ string s;} case 1: f(); }";
        QTest::newRow("no brace on a line of the preprocessor's")
            << "switch (k) {\ncase 1:\n#define T 1;\n  string s;\n  f(s);\n#ifdef X\n  g();\n#endif\ncase 2:;\n}" << jump << 4
            << 10 << ""
            << "switch (k) {\ncase 1:\n#define T 1;\n  {string s;\n  f(s);\n#ifdef X\n  g();\n#endif\n}case 2:;\n}";
        QTest::newRow("used after the next label: the error stands")
            << "switch (k) {\ncase 1:\n  string s;\ncase 2:\n  s = \"y\";\n}" << jump << 3 << 10 << ""
            << "switch (k) {\ncase 1:\n  string s;\ncase 2:\n  s = \"y\";\n}";
        QTest::newRow("a goto's label among the statements")
            << "switch (k) {\ncase 1:\n  string s;\nagain:\n  f(s);\n  break;\ncase 2:;\n}" << jump << 3 << 10 << ""
            << "switch (k) {\ncase 1:\n  string s;\nagain:\n  f(s);\n  break;\ncase 2:;\n}";
        QTest::newRow("no later label of its switch")
            << "switch (k) {\ncase 1:\n  if (x) { string s; case 2: f(s); }\n}" << jump << 3 << 19 << ""
            << "switch (k) {\ncase 1:\n  if (x) { string s; case 2: f(s); }\n}";
        QTest::newRow("a block that is no switch's") << "while (k) {\n  string s;\n  f(s);\n}" << jump << 2 << 10 << ""
                                                    << "while (k) {\n  string s;\n  f(s);\n}";
        const int empty = int(OldRuleMend::Kind::EmptyCharacter);
        QTest::newRow("empty character constant") << "  char c = '';\n" << empty << 1 << 12 << ""
                                                  << "  char c = '\\0';\n";
        QTest::newRow("after a tab, in GCC's columns") << "\tc = '';" << empty << 1 << 13 << "" << "\tc = '\\0';";
        QTest::newRow("the second of two on a line") << "f('', '');" << empty << 1 << 7 << "" << "f('', '\\0');";
        QTest::newRow("'' inside a string is no constant") << "f(\"''\");" << empty << 1 << 4 << "" << "f(\"''\");";
        QTest::newRow("'' inside a comment") << "x; // ''" << empty << 1 << 7 << "" << "x; // ''";
        QTest::newRow("a failure elsewhere at the place") << "x = ;" << empty << 1 << 5 << "" << "x = ;";
        // exit() without a status gets 0, wherever on the call the
        // compiler put its message: GCC's C at the name, its C++ at the
        // '(', Clang's C at the ')'.
        const int exitCall = int(OldRuleMend::Kind::ExitWithoutStatus);
        QTest::newRow("exit() at its name") << "  if (n)\n    exit();\n" << exitCall << 2 << 5 << ""
                                            << "  if (n)\n    exit(0);\n";
        QTest::newRow("exit() at its parenthesis") << "  if (n)\n    exit();\n" << exitCall << 2 << 9 << ""
                                                   << "  if (n)\n    exit(0);\n";
        QTest::newRow("exit() at its ')'") << "  if (n)\n    exit();\n" << exitCall << 2 << 10 << ""
                                           << "  if (n)\n    exit(0);\n";
        QTest::newRow("_exit with blanks, after another call") << "f(); _exit ( );" << exitCall << 1 << 6 << ""
                                                               << "f(); _exit ( 0);";
        QTest::newRow("another call at the place") << "f(); exit();" << exitCall << 1 << 2 << "" << "f(); exit();";
        QTest::newRow("a member's exit is the class's") << "a.exit(); p->exit();" << exitCall << 1 << 3 << ""
                                                        << "a.exit(); p->exit();";
        QTest::newRow("exit with an argument") << "exit(x);" << exitCall << 1 << 1 << "" << "exit(x);";
        QTest::newRow("exit() in a string") << "puts(\"exit()\");" << exitCall << 1 << 7 << ""
                                            << "puts(\"exit()\");";
        QTest::newRow("a longer name") << "myexit();" << exitCall << 1 << 1 << "" << "myexit();";
        // A label right before a '}' labels an empty statement.
        const int label = int(OldRuleMend::Kind::LabelAtBlockEnd);
        QTest::newRow("a goto's label before the block's end") << "    goto End;\nEnd:\n}" << label << 3 << 1 << ""
                                                                << "    goto End;\nEnd:;\n}";
        QTest::newRow("default, at Clang's place after the ':'") << "  default:\n  }" << label << 1 << 11 << ""
                                                                 << "  default:;\n  }";
        QTest::newRow("a case label of a character") << "  case 'x' :\n  }" << label << 2 << 3 << ""
                                                     << "  case 'x' :;\n  }";
        QTest::newRow("a case label of a scoped constant") << "  case Colour::Red: }" << label << 1 << 21 << ""
                                                           << "  case Colour::Red:; }";
        QTest::newRow("a line of the preprocessor's between") << "End:\n#endif\n}" << label << 3 << 1 << ""
                                                              << "End:;\n#endif\n}";
        QTest::newRow("the ':' of ?: is no label's") << "  x = a ? b :\n}" << label << 2 << 1 << ""
                                                    << "  x = a ? b :\n}";
        QTest::newRow("an access specifier is no label") << "class A { public: }" << label << 1 << 19 << ""
                                                         << "class A { public: }";
        QTest::newRow("a statement before the '}'") << "  x = 1;\n}" << label << 2 << 1 << "" << "  x = 1;\n}";
        QTest::newRow("no '}' at the place") << "End:\n  x = ;" << label << 2 << 7 << "" << "End:\n  x = ;";
    }

    void mendsKeepEveryLine()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, name);
        QFETCH(QString, mended);
        std::vector<std::string> warnings;
        const std::string result = withOldRules(text.toStdString(),
                                                {{OldRuleMend::Kind(kind), line, column, name.toStdString()}}, "a.cpp",
                                                false, warnings);
        QCOMPARE(QString::fromStdString(result), mended);
        QCOMPARE(warnings.size(), std::size_t(mended != text ? 1 : 0));
        for (const std::string &w : warnings)
            QVERIFY(w.find("error") == std::string::npos && w.find(": warning: ") != std::string::npos);
    }

    // Output on a C++ copy names the user's void main as written, in either
    // of GCC's quotes; other names that merely contain it stay.
    void namesTheUsersMainAsWritten_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("function context, plain quotes")
            << QByteArray("a.cpp: In function 'void void_main()':\na.cpp:3:9: warning: unused variable 'x'\n")
            << QByteArray("a.cpp: In function 'void main()':\na.cpp:3:9: warning: unused variable 'x'\n");
        QTest::newRow("function context, typographic quotes, with arguments")
            << QByteArray("a.cpp: In function \xe2\x80\x98void void_main(int, char**)\xe2\x80\x99:\n")
            << QByteArray("a.cpp: In function \xe2\x80\x98void main(int, char**)\xe2\x80\x99:\n");
        QTest::newRow("twice") << QByteArray("'void void_main()' 'void void_main()'")
                               << QByteArray("'void main()' 'void main()'");
        QTest::newRow("the user's own names stay")
            << QByteArray("'void my_void_main()' 'int void_main_count' void_main(")
            << QByteArray("'void my_void_main()' 'int void_main_count' void_main(");
    }
    void namesTheUsersMainAsWritten()
    {
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, shown);
        QCOMPARE(QByteArray::fromStdString(withUsersMainName(output.toStdString())), shown);
    }

    // The messages that call for a mend of '' or of an object jumped over;
    // kind -1: none.
    void readsEachMessageThatCallsForAMend_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("clang");
        QTest::addColumn<int>("kind");
        const int jump = int(OldRuleMend::Kind::JumpPastInitialisation);
        const int empty = int(OldRuleMend::Kind::EmptyCharacter);
        QTest::newRow("GCC: empty character constant") << "/p/a.cpp:4:14: error: empty character constant" << false
                                                       << empty;
        QTest::newRow("Clang warns of it") << "/p/a.cpp:4:14: warning: empty character constant [-Winvalid-pp-token]"
                                           << true << empty;
        QTest::newRow("Clang fails after it, warnings off") << "/p/a.cpp:4:14: error: expected expression" << true
                                                            << empty;
        QTest::newRow("GCC's failure after something else") << "/p/a.cpp:4:14: error: expected primary-expression "
                                                               "before ';' token"
                                                            << false << -1;
        QTest::newRow("another file's") << "/p/b.h:4:14: error: empty character constant" << false << -1;
        QTest::newRow("Clang: an object with a destructor jumped over")
            << "/p/a.cpp:6:13: note: jump bypasses variable with a non-trivial destructor" << true << jump;
        QTest::newRow("GCC: only a warning under -fpermissive")
            << "/p/a.cpp:6:13: note:   enters scope of 'Foo f', which has non-trivial destructor" << false << -1;
        QTest::newRow("GCC: an object's initialisation crossed")
            << "/p/a.cpp:6:13: note:   crosses initialization of \xe2\x80\x98std::string s\xe2\x80\x99" << false << jump;
        const int exitCall = int(OldRuleMend::Kind::ExitWithoutStatus);
        QTest::newRow("GCC's C: too few arguments to exit")
            << "/p/a.cpp:4:14: error: too few arguments to function \xe2\x80\x98" "exit\xe2\x80\x99" << false
            << exitCall;
        QTest::newRow("GCC's C++ names exit with its type")
            << "/p/a.cpp:4:14: error: too few arguments to function 'void exit(int)'" << false << exitCall;
        QTest::newRow("Clang's C: too few arguments to a call")
            << "/p/a.cpp:4:14: error: too few arguments to function call, expected 1, have 0" << true << exitCall;
        QTest::newRow("Clang's C++ finds no exit to call")
            << "/p/a.cpp:4:14: error: no matching function for call to '_exit'" << true << exitCall;
        QTest::newRow("no matching function of another name")
            << "/p/a.cpp:4:14: error: no matching function for call to 'print'" << true << -1;
        const int label = int(OldRuleMend::Kind::LabelAtBlockEnd);
        QTest::newRow("GCC's C++: nothing before a '}'")
            << "/p/a.cpp:16:1: error: expected primary-expression before \xe2\x80\x98}\xe2\x80\x99 token" << false
            << label;
        QTest::newRow("GCC's C++: nothing before another token")
            << "/p/a.cpp:16:1: error: expected primary-expression before ')' token" << false << -1;
        QTest::newRow("Clang: a statement expected") << "/p/a.cpp:16:1: error: expected statement" << true << label;
        QTest::newRow("Clang: a label at the end of a block")
            << "/p/a.cpp:10:13: error: label at end of compound statement: expected statement" << true << label;
    }
    void readsEachMessageThatCallsForAMend()
    {
        QFETCH(QString, message);
        QFETCH(bool, clang);
        QFETCH(int, kind);
        const std::vector<OldRuleMend> mends = oldRuleMends(message.toStdString() + "\n", "/p/a.cpp", clang);
        if (kind < 0) {
            QCOMPARE(mends.size(), std::size_t(0));
            return;
        }
        const std::size_t colon = std::size_t(message.indexOf(u':', 9));
        const int line = message.mid(9, qsizetype(colon) - 9).toInt();
        const int column = message.mid(qsizetype(colon) + 1).section(u':', 0, 0).toInt();
        QVERIFY(mends == (std::vector<OldRuleMend>{{OldRuleMend::Kind(kind), line, column, {}}}));
    }

    // The warnings of several mends come in the order of their lines.
    void warningsInTheOrderOfTheirLines()
    {
        using K = OldRuleMend::Kind;
        const std::string text = "switch (k) {\ncase 1: string s; f(s); break;\ncase 2: string t; g(t); break;\n"
                                 "case 3: h('');\n}";
        std::vector<std::string> warnings;
        const std::string mended = withOldRules(
            text, {{K::EmptyCharacter, 4, 11, {}}, {K::JumpPastInitialisation, 3, 16, {}}, {K::JumpPastInitialisation, 2, 16, {}}},
            "a.cpp", true, warnings);
        QCOMPARE(mended, std::string("switch (k) {\ncase 1:{ string s; f(s); break;}\ncase 2:{ string t; g(t); break;}\n"
                                     "case 3: h('\\0');\n}"));
        QCOMPARE(warnings.size(), std::size_t(3));
        QVERIFY(warnings[0].starts_with("a.cpp:2:16: warning: a jump to a case label passes the initialisation of 's';"));
        QVERIFY(warnings[1].starts_with("a.cpp:3:16: warning: a jump to a case label passes the initialisation of 't';"));
        QCOMPARE(warnings[2], std::string("a.cpp:4:11: warning: empty character constant taken as '\\0', as the old "
                                          "compilers did"));
    }

    // The warnings of exit() and of labels name the call and the label,
    // in the compiler's columns (GCC's tab to the next multiple of 8).
    void warningsNameTheCallAndTheLabel_data()
    {
        QTest::addColumn<bool>("clang");
        QTest::addColumn<int>("exitColumn");
        QTest::addColumn<int>("defaultLine");
        QTest::addColumn<int>("defaultColumn");
        QTest::addColumn<QString>("exitAt");
        QTest::addColumn<QString>("defaultAt");
        // Where each compiler puts its messages: GCC's C at exit's name and
        // its C++ at the '}', Clang at the ')' and right after the ':'.
        QTest::newRow("GCC") << false << 16 << 6 << 9 << "a.c:3:16:" << "a.c:5:9:";
        QTest::newRow("Clang") << true << 14 << 5 << 10 << "a.c:3:9:" << "a.c:5:2:";
    }
    void warningsNameTheCallAndTheLabel()
    {
        QFETCH(bool, clang);
        QFETCH(int, exitColumn);
        QFETCH(int, defaultLine);
        QFETCH(int, defaultColumn);
        QFETCH(QString, exitAt);
        QFETCH(QString, defaultAt);
        using K = OldRuleMend::Kind;
        const std::string text = "void f(int n)\n{\n\tif (n) exit();\n\tswitch (n) {\n\tdefault:\n\t}\nEnd:\n}";
        std::vector<std::string> warnings;
        const std::string mended = withOldRules(text,
                                                {{K::LabelAtBlockEnd, 8, 1, {}},
                                                 {K::LabelAtBlockEnd, defaultLine, defaultColumn, {}},
                                                 {K::ExitWithoutStatus, 3, exitColumn, {}}},
                                                "a.c", clang, warnings);
        QCOMPARE(mended, std::string("void f(int n)\n{\n\tif (n) exit(0);\n\tswitch (n) {\n\tdefault:;\n\t}\nEnd:;\n}"));
        QCOMPARE(warnings, (std::vector<std::string>{
                               exitAt.toStdString() + " warning: exit() without a status taken as exit(0)",
                               defaultAt.toStdString()
                                   + " warning: label 'default' at the end of a block taken as the label of an empty "
                                     "statement",
                               "a.c:7:1: warning: label 'End' at the end of a block taken as the label of an empty "
                               "statement"}));
    }

    // A main of another type than int, and the type written.
    void findsAMainOfAnotherType_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("type");
        QTest::newRow("void") << "void main() {}" << "void";
        QTest::newRow("float") << "#include <stdio.h>\nfloat main(void)\n{\n}\n" << "float";
        QTest::newRow("two words over two lines") << "unsigned\nchar  main ()\n{\n}\n" << "unsigned char";
        QTest::newRow("long int") << "long int main() {}" << "long int";
        QTest::newRow("a prototype first") << "double main(void);\ndouble main(void) { return 0; }" << "double";
        QTest::newRow("int") << "int main() { return 0; }" << "";
        QTest::newRow("signed int") << "signed int main() { return 0; }" << "";
        QTest::newRow("a type of its own") << "BOOL main() { return 0; }" << "";
        QTest::newRow("a call's cast") << "int f() { return (char) main(); }" << "";
        QTest::newRow("a longer word before it") << "int avoid main();" << "";
    }
    void findsAMainOfAnotherType()
    {
        QFETCH(QString, source);
        QFETCH(QString, type);
        for (const bool cpp : {true, false}) {
            const SourceTraits traits = examineSource(source.toStdString(), cpp);
            QCOMPARE(traits.voidMain, !type.isEmpty());
            QCOMPARE(QString::fromStdString(traits.mainType), type);
        }
    }

    // The copy of a main of another type: in C++ renamed, with a return at
    // its end when it has a value; in C its symbol moves, its type kept.
    void theCopyOfAMainOfAnotherType_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<QString>("copy");
        QTest::newRow("float, C++") << "float main(void)\n{\n    f();\n}\n" << true
                                    << "#line 1 \"a\"\nfloat void_main(void)\n{\n    f();\nreturn 0;}\n";
        QTest::newRow("a return of its own, C++") << "double main() { if (x) return 2; }" << true
                                                  << "#line 1 \"a\"\ndouble void_main() { if (x) return 2; return 0;}";
        QTest::newRow("a prototype gets none, C++") << "char main();\nchar main() {}" << true
                                                    << "#line 1 \"a\"\nchar void_main();\nchar void_main() {return 0;}";
        QTest::newRow("void gets none, C++") << "void main() { }" << true << "#line 1 \"a\"\nvoid void_main() { }";
        QTest::newRow("char, C") << "char main(void)\n{\n}\n" << false
                                 << "char main() __asm__(\"kvn_void_main\");\n";
        QTest::newRow("C keeps the text") << "unsigned char main(void)\n{\n}\n" << false
                                          << "#line 1 \"a\"\nunsigned char main(void)\n{\n}\n";
    }
    void theCopyOfAMainOfAnotherType()
    {
        QFETCH(QString, text);
        QFETCH(bool, cpp);
        QFETCH(QString, copy);
        const std::string source = text.toStdString();
        const std::string result = rewrittenSource(source, examineSource(source, cpp), "a", cpp);
        QVERIFY2(result.find(copy.toStdString()) != std::string::npos, result.c_str());
    }

    void namesAMainOfAnotherTypeAsWritten()
    {
        QCOMPARE(withUsersMainName("a.cpp: In function 'float void_main()':\n'void void_main()'", "float"),
                 std::string("a.cpp: In function 'float main()':\n'void void_main()'"));
        QCOMPARE(withUsersMainName("In function \xe2\x80\x98unsigned char void_main()\xe2\x80\x99", "unsigned char"),
                 std::string("In function \xe2\x80\x98unsigned char main()\xe2\x80\x99"));
    }

    // A program's own std (a type, variable or function of the whole
    // program) and where it first writes it; "" when there is none to
    // rename.
    void findsTheProgramsOwnStd_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("cpp");
        QTest::addColumn<QString>("renamed");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        const QString record = QStringLiteral("#include <iostream.h>\nstruct std {\n  int roll;\n};\nstd s;");
        QTest::newRow("a student record") << record << true << "std_" << 2 << 8;
        QTest::newRow("C knows no namespaces") << record << false << "" << 0 << 0;
        QTest::newRow("a program that uses the namespace")
            << "#include <iostream>\nstruct std { int r; };\nint main() { std::cout << 1; }" << true << "" << 0 << 0;
        QTest::newRow("std :: with blanks") << "struct std {};\nint x = std :: abs(1);" << true << "" << 0 << 0;
        QTest::newRow("the namespace only") << "namespace std { }\nusing namespace std;\nint main() {}" << true << ""
                                            << 0 << 0;
        QTest::newRow("using namespace std, and a std of its own")
            << "using namespace std;\ntypedef struct { int r; } std;" << true << "std_" << 2 << 27;
        QTest::newRow("a member, a local and a parameter clash with nothing")
            << "struct rec { int std; };\nvoid f(int std) {}\nint main() { int std = 1; f(std); }" << true << "" << 0 << 0;
        QTest::newRow("a function of its own") << "int std(int a) { return a; }" << true << "std_" << 1 << 5;
        QTest::newRow("std_ is taken") << "int std;\nint std_;" << true << "std_1" << 1 << 5;
        QTest::newRow("in comments and strings only") << "// struct std\nconst char *s = \"std\";" << true << "" << 0 << 0;
        QTest::newRow("an #include of std.h") << "#include <std.h>\n  #  include<std>\nint main() {}" << true << "" << 0
                                              << 0;
        QTest::newRow("longer names") << "int stdio, my_std, std2;" << true << "" << 0 << 0;
    }
    void findsTheProgramsOwnStd()
    {
        QFETCH(QString, source);
        QFETCH(bool, cpp);
        QFETCH(QString, renamed);
        QFETCH(int, line);
        QFETCH(int, column);
        const SourceTraits traits = examineSource(source.toStdString(), cpp);
        QCOMPARE(QString::fromStdString(traits.stdRenamed), renamed);
        QCOMPARE(traits.stdLine, line);
        QCOMPARE(traits.stdColumn, column);
        QCOMPARE(traits.needsCopy(), !renamed.isEmpty());
    }

    // The copy renames the program's own std where the program wrote it:
    // not in comments, strings, #include lines or "namespace std".
    void theCopyRenamesTheProgramsOwnStd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("copy");
        QTest::newRow("a record")
            << "#include <std.h> // std\nstruct std { int roll; };\nint main() { std s; s.roll = 1; cout << \"std\"; return 0; }\n"
            << "#line 1 \"a.cpp\"\n#include <std.h> // std\nstruct std_ { int roll; };\nint main() { std_ s; s.roll = 1; "
               "cout << \"std\"; return 0; }\n";
        QTest::newRow("using namespace std stays") << "using namespace std;\nint std;\nint f() { return ::std; }\n"
                                                   << "#line 1 \"a.cpp\"\nusing namespace std;\nint std_;\nint f() { return ::std_; }\n";
        QTest::newRow("with a void main") << "struct std { int r; };\nvoid main() { std s; }\n"
                                          << "#line 1 \"a.cpp\"\nstruct std_ { int r; };\nvoid void_main() { std_ s; }\n";
    }
    void theCopyRenamesTheProgramsOwnStd()
    {
        QFETCH(QString, text);
        QFETCH(QString, copy);
        const std::string source = text.toStdString();
        const std::string result = rewrittenSource(source, examineSource(source, true), "a.cpp", true);
        // kvncc's own main follows a void main's copy.
        QVERIFY2(result.starts_with(copy.toStdString()), result.c_str());
    }

    // Messages on the copy name the program's own std as written, inside
    // quotes only; other names that hold the new one stay.
    void namesTheProgramsOwnStdAsWritten_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("renamed");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("GCC's quotes")
            << QByteArray("a.cpp:3:31: error: \xe2\x80\x98struct std_\xe2\x80\x99 has no member named \xe2\x80\x98nme\xe2\x80\x99\n")
            << QByteArray("std_")
            << QByteArray("a.cpp:3:31: error: \xe2\x80\x98struct std\xe2\x80\x99 has no member named \xe2\x80\x98nme\xe2\x80\x99\n");
        QTest::newRow("Clang's quotes") << QByteArray("a.cpp:3:31: error: no member named 'nme' in 'std_'\n")
                                        << QByteArray("std_") << QByteArray("a.cpp:3:31: error: no member named 'nme' in 'std'\n");
        QTest::newRow("a path stays, a qualified name is named")
            << QByteArray("std_.cpp:3:1: error: 'int std_::roll' is private\n") << QByteArray("std_")
            << QByteArray("std_.cpp:3:1: error: 'int std::roll' is private\n");
        QTest::newRow("other names") << QByteArray("'std_1' 'my_std_' 'std_x' 'std'") << QByteArray("std_")
                                     << QByteArray("'std_1' 'my_std_' 'std_x' 'std'");
        QTest::newRow("another new name") << QByteArray("'std_1 *' and 'std_'") << QByteArray("std_1")
                                          << QByteArray("'std *' and 'std_'");
    }
    void namesTheProgramsOwnStdAsWritten()
    {
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, renamed);
        QFETCH(QByteArray, shown);
        QCOMPARE(QByteArray::fromStdString(withUsersStdName(output.toStdString(), renamed.toStdString())), shown);
    }
};

QTEST_GUILESS_MAIN(TestOldSource)
#include "tst_oldsource.moc"
