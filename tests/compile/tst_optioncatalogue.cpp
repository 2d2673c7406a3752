#include "compile/optioncatalogue.h"

#include <QSet>
#include <QTest>

class TestOptionCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void catalogueShape()
    {
        const QStringList &items = OptionCatalogue::items();
        QCOMPARE(items.size(), OptionStore::optionCount);
        QStringList valueItems;
        for (int i = 0; i < items.size(); ++i) {
            QVERIFY2(items[i].endsWith(QLatin1String(" 0")) || items[i].endsWith(QLatin1String(" 1")), qPrintable(items[i]));
            QVERIFY2(OptionCatalogue::SplitItem(items[i]).has_value(), qPrintable(items[i]));
            if (OptionCatalogue::takesValue(items[i]))
                valueItems.append(OptionCatalogue::SplitItem(items[i])->Split1);
        }
        QCOMPARE(valueItems,
                 (QStringList{" ", "-L", "-I", "-a", "-D", "-E", "-e", "-g", "-H=", "-H", "-Hh=", "-i", "-j",
                              "-l", "-l-", "-n", "-o", "-T", "-U"}));
        // Two items share "-H": the first takes no value, the second does.
        QCOMPARE(items[33], QStringLiteral("-H} Generate and use precompiled headers 0"));
        QCOMPARE(items[35], QStringLiteral("-H} Stop precompiling after header file xxx 1"));
        QCOMPARE(items[1], QStringLiteral("-P} Perform C++ compile, set output to exe 0"));
        QCOMPARE(items[8], QStringLiteral(" } Enter any extra options you want to use here 1"));
        QCOMPARE(items[19], QStringLiteral("-a} Align data on \"n\" boundaries 1"));
        QCOMPARE(items[109], QStringLiteral("-y} Debug line numbers on 0"));
        QCOMPARE(items.count(QStringLiteral("-p-} Use C calling convention 0")), 1);
        QCOMPARE(QSet<QString>(items.begin(), items.end()).size(), 110);
    }

    void splitItem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("Split1");
        QTest::addColumn<QString>("Split2");
        QTest::newRow("dash in switch") << "-O-S} Disables instruction scheduling 0" << "-O-S" << "} Disables instruction scheduling 0";
        QTest::newRow("single space") << " } Enter any extra options you want to use here 1" << " "
                                      << "} Enter any extra options you want to use here 1";
        QTest::newRow("equals sign") << "-Hh=} Stop precompiling after header file xxx 1" << "-Hh=" << "} Stop precompiling after header file xxx 1";
        QTest::newRow("first brace counts") << "-x} a } b 0" << "-x" << "} a } b 0";
        QTest::newRow("brace first") << "} nothing 0" << "" << "} nothing 0";
    }

    void splitItem()
    {
        QFETCH(QString, text);
        QFETCH(QString, Split1);
        QFETCH(QString, Split2);
        const std::optional<OptionCatalogue::Split> split = OptionCatalogue::SplitItem(text);
        QVERIFY(split);
        QCOMPARE(split->Split1, Split1);
        QCOMPARE(split->Split2, Split2);
        QVERIFY(!OptionCatalogue::SplitItem(QStringLiteral("no brace 1")));
    }

    void optionString_data()
    {
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<QStringList>("values"); // "index=value"
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing ticked") << QList<int>{} << QStringList{} << QString();
        QTest::newRow("list order, values glued")
            << QList<int>{100, 9, 8} << QStringList{"9=C:\\Lib", "8=-v -y"} << QStringLiteral(" -v -y -LC:\\Lib -w ");
        QTest::newRow("value item without a value") << QList<int>{9} << QStringList{} << QStringLiteral("-L ");
        QTest::newRow("both -H items") << QList<int>{35, 33} << QStringList{"35=stdio.h"} << QStringLiteral("-H -Hstdio.h ");
        QTest::newRow("unticked value ignored") << QList<int>{6} << QStringList{"10=/usr/include"} << QStringLiteral("-O1 ");
        QTest::newRow("values stay as typed") << QList<int>{24} << QStringList{"24=X=\"a b\";$y"} << QStringLiteral("-DX=\"a b\";$y ");
        QTest::newRow("second -e") << QList<int>{27} << QStringList{"27=other.exe"} << QStringLiteral("-eother.exe ");
    }

    void optionString()
    {
        QFETCH(QList<int>, ticked);
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        OptionStore store;
        store.reset();
        for (int i : ticked)
            store.setTicked(i, true);
        for (const QString &entry : values) {
            const qsizetype eq = entry.indexOf(QLatin1Char('='));
            store.setValue(entry.left(eq).toInt(), entry.mid(eq + 1));
        }
        QCOMPARE(OptionCatalogue::optionString(OptionCatalogue::items(), store), expected);
    }
};

QTEST_GUILESS_MAIN(TestOptionCatalogue)
#include "tst_optioncatalogue.moc"
