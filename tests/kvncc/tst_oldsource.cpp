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
        QTest::newRow("a prototype is no definition") << "int max(int a, int b);\nint main() {}" << true << false << 0
                                                      << false << "" << false;
        QTest::newRow("old-style C definition") << "int max(a, b)\nint a, b;\n{\n return a;\n}\n" << false << false << 0
                                                << false << "max" << false;
        QTest::newRow("a template of its own") << "template <class T> T max(T a, T b) { return a; }" << true << false
                                               << 0 << false << "max" << false;
        QTest::newRow("far pointers") << "char far *screen; int huge* big;" << false << false << 0 << false << ""
                                      << true;
        QTest::newRow("far as a word") << "int far = 3, nearest; far = 4;" << false << false << 0 << false << ""
                                       << false;
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
};

QTEST_GUILESS_MAIN(TestOldSource)
#include "tst_oldsource.moc"
