#include "run/compileroutput.h"

#include <QFile>
#include <QTest>

namespace {

QString readFile(const QString &name)
{
    QFile file(QStringLiteral(OUTPUT_SAMPLES "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

QString sample(const QString &name)
{
    return readFile(name + QStringLiteral(".txt"));
}

// A message in the notation of expected.table.
QString described(const Diagnostic &d)
{
    // The codes in the order of Diagnostic::Severity.
    const QChar code = d.summary ? QLatin1Char('S') : QStringLiteral("EFWN").at(int(d.severity));
    return QStringLiteral("%1 | %2 | %3 | %4 | %5")
        .arg(code, d.file.isEmpty() ? QStringLiteral("-") : d.file)
        .arg(d.line)
        .arg(d.column)
        .arg(d.message);
}

} // namespace

class TestCompilerOutput : public QObject
{
    Q_OBJECT

private slots:
    // Every sample against the messages expected.table lists for it, in order.
    void diagnostics_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<ColumnUnit>("columns");
        QTest::addColumn<QStringList>("expected");
        struct Row { QString name; ColumnUnit columns; QStringList expected; };
        QList<Row> rows;
        for (const QString &line : readFile(QStringLiteral("expected.table")).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1Char('[')))
                rows.append({line.mid(1, line.indexOf(QLatin1Char(']')) - 1),
                             line.endsWith(QLatin1String("bytes")) ? ColumnUnit::Byte : ColumnUnit::Display, {}});
            else if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
                rows.last().expected.append(QString(line).replace(QStringLiteral(" | ~/"), QStringLiteral(" | /home/user/my work/")));
        }
        for (const Row &row : rows)
            QTest::newRow(qPrintable(row.name)) << row.name << row.columns << row.expected;
    }

    void diagnostics()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        const ParsedOutput parsed = CompilerOutput::parse(sample(name));
        QVERIFY(parsed.recognised);
        QTEST(parsed.columns, "columns");
        QCOMPARE(parsed.diagnostics.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(described(parsed.diagnostics.at(i)).left(expected.at(i).size()), expected.at(i));
    }

    // The lines of a message: the context before it, then the quoted
    // source, carets and linker details after it.
    void spans_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QList<int>>("lines"); // outputLine, firstLine, lastLine
        const auto row = [](const char *name, int index, QList<int> lines) {
            QTest::addRow("%s #%d", name, index) << QString::fromLatin1(name) << index << lines;
        };
        row("gcc-undeclared", 0, {1, 0, 3});
        row("gcc-undeclared", 1, {4, 4, 6});
        row("kvncc-undeclared", 0, {2, 1, 4});
        row("gcc-header", 0, {1, 0, 4});
        row("clang-semicolon", 0, {0, 0, 3});
        row("gcc-template", 0, {1, 0, 1});
        row("gcc-template", 2, {3, 3, 5});
        row("gcc-literal", 1, {5, 4, 7});
        row("clang-literal", 1, {3, 3, 5});
        row("gcc-missing", 0, {0, 0, 3});
        row("gcc-link", 0, {1, 0, 1});
        row("gcc-link", 1, {2, 2, 2});
        row("kvncc-link", 1, {3, 2, 3});
        row("lld-link", 0, {0, 0, 2});
        row("gcc-tmpnam", 0, {1, 0, 1});
        row("hand-classic", 3, {5, 5, 5});
    }

    void spans()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        const ParsedOutput parsed = CompilerOutput::parse(sample(name));
        QVERIFY(index < parsed.diagnostics.size());
        const Diagnostic &d = parsed.diagnostics.at(index);
        QTEST((QList<int>{d.outputLine, d.firstLine, d.lastLine}), "lines");
    }

    // Counts and context lines are understood but are no messages.
    void recognised_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("recognised");
        QTest::addColumn<ColumnUnit>("columns");
        const auto D = ColumnUnit::Display;
        QTest::newRow("nothing") << QString() << false << D;
        QTest::newRow("kvncc's banner") << QStringLiteral("kvncc 2.2 for KVN: the classic command line over g++\n") << false << D;
        QTest::newRow("other text") << QStringLiteral("make: Nothing to be done for 'all'.\n   a.cpp:1:2: error: b\n") << false << D;
        QTest::newRow("Clang's count") << QStringLiteral("1 warning and 1 error generated.\r\n") << true << ColumnUnit::Byte;
        QTest::newRow("classic count") << QStringLiteral("*** 1 errors in Compile ***\n") << true << D;
        QTest::newRow("context alone") << QStringLiteral("/p/a.cpp: In function ‘int main()’:\n") << true << D;
    }

    void recognised()
    {
        QFETCH(QString, output);
        const ParsedOutput parsed = CompilerOutput::parse(output);
        QVERIFY(parsed.diagnostics.isEmpty());
        QTEST(parsed.recognised, "recognised");
        QTEST(parsed.columns, "columns");
    }

    void offsetOfColumn_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<ColumnUnit>("unit");
        QTest::addColumn<int>("offset");
        const auto D = ColumnUnit::Display;
        const auto B = ColumnUnit::Byte;
        // The lines of undeclared.cpp and wide.cpp, at the columns GCC and
        // Clang reported for y, w and v.
        const QString tab = QStringLiteral("\tint x = y;");
        const QString accent = QStringLiteral("  /* é */ int z = w;");
        const QString wide = QStringLiteral("  /* 😀 中 */ int q = v;");
        QTest::newRow("after a tab, GCC") << tab << 17 << D << 9;
        QTest::newRow("after a tab, Clang") << tab << 10 << B << 9;
        QTest::newRow("inside a tab") << tab << 5 << D << 0;
        QTest::newRow("tab after text") << QStringLiteral("ab\tc") << 9 << D << 3;
        QTest::newRow("after é, GCC") << accent << 19 << D << 18;
        QTest::newRow("after é, Clang") << accent << 20 << B << 18;
        QTest::newRow("second byte of é") << accent << 7 << B << 5;
        QTest::newRow("after emoji and CJK, GCC") << wide << 23 << D << 21;
        QTest::newRow("after emoji and CJK, Clang") << wide << 26 << B << 21;
        QTest::newRow("second column of the emoji") << wide << 7 << D << 5;
        QTest::newRow("second column of 中") << wide << 10 << D << 8;
        QTest::newRow("third byte of the emoji") << wide << 8 << B << 5;
        QTest::newRow("past the end") << QStringLiteral("abc") << 10 << D << 3;
        QTest::newRow("below 1") << QStringLiteral("abc") << 0 << B << 0;
    }

    void offsetOfColumn()
    {
        QFETCH(QString, line);
        QFETCH(int, column);
        QFETCH(ColumnUnit, unit);
        QTEST(CompilerOutput::offsetOfColumn(line, column, unit), "offset");
    }
};

QTEST_GUILESS_MAIN(TestCompilerOutput)
#include "tst_compileroutput.moc"
