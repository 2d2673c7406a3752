#include "kvncc/diagnosticfilter.h"

#include <QTest>

using namespace kvncc;

namespace {

// Output of g++ -Wall for a file with three warnings and one error, one
// of the warnings in a header.
const std::string gccOutput = "prog.cpp: In function 'int main()':\n"
                              "prog.cpp:3:9: warning: unused variable 'a' [-Wunused-variable]\n"
                              "    3 |     int a;\n"
                              "      |         ^\n"
                              "In file included from prog.cpp:1:\n"
                              "my.h: In function 'int f()':\n"
                              "my.h:2:9: warning: unused variable 'b' [-Wunused-variable]\n"
                              "    2 |     int b;\n"
                              "prog.cpp:5:5: error: 'x' was not declared in this scope\n"
                              "    5 |     x = 1;\n"
                              "prog.cpp: At global scope:\n"
                              "prog.cpp:9:12: warning: 'int g()' defined but not used [-Wunused-function]\n"
                              "prog.cpp:9:12: note: declared here\n";

std::string run(DiagnosticFilter &filter, const std::string &text, std::size_t piece)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += piece)
        out += filter.feed(std::string_view(text).substr(i, piece));
    return out + filter.finish();
}

} // namespace

class TestDiagnosticFilter : public QObject
{
    Q_OBJECT

private slots:
    void withoutLimitEverythingPasses_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("piece");
        QTest::newRow("no limit, whole") << 0 << 100000;
        QTest::newRow("no limit, byte by byte") << 0 << 1;
        QTest::newRow("limit above the count") << 3 << 7;
    }
    void withoutLimitEverythingPasses()
    {
        QFETCH(int, limit);
        QFETCH(int, piece);
        DiagnosticFilter filter(limit);
        QCOMPARE(run(filter, gccOutput, std::size_t(piece)), gccOutput);
        QCOMPARE(filter.warnings(), 3);
        QCOMPARE(filter.withheld(), 0);
    }

    void limitHoldsBackLaterWarningsWithTheirLinesButNeverErrors()
    {
        for (const std::size_t piece : {std::size_t(1), std::size_t(5), gccOutput.size()}) {
            DiagnosticFilter filter(1);
            const std::string shown = run(filter, gccOutput, piece);
            QCOMPARE(shown, "prog.cpp: In function 'int main()':\n"
                            "prog.cpp:3:9: warning: unused variable 'a' [-Wunused-variable]\n"
                            "    3 |     int a;\n"
                            "      |         ^\n"
                            "prog.cpp:5:5: error: 'x' was not declared in this scope\n"
                            "    5 |     x = 1;\n");
            QCOMPARE(filter.warnings(), 3);
            QCOMPARE(filter.withheld(), 2);
        }
    }

    void unfinishedLastLineIsShown()
    {
        DiagnosticFilter filter(0);
        QCOMPARE(filter.feed("ld: cannot find -lfoo"), "");
        QCOMPARE(filter.finish(), "ld: cannot find -lfoo");
        // A lead line with nothing after it still shows.
        QCOMPARE(filter.feed("a.cpp: At global scope:\n"), "");
        QCOMPARE(filter.finish(), "a.cpp: At global scope:\n");
    }
};

QTEST_GUILESS_MAIN(TestDiagnosticFilter)
#include "tst_diagnosticfilter.moc"
