#include "app/maincatalogue.h"
#include "app/mainlayout.h"

#include <QTest>

Q_DECLARE_METATYPE(TwipSize)
Q_DECLARE_METATYPE(std::optional<TwipSize>)

class TestMainLayout : public QObject
{
    Q_OBJECT

private slots:
    void minimumSizeGivesTheInitialGeometry()
    {
        const QHash<QString, TwipRect> placed = MainLayout::place(MainCatalogue::minimumSize);
        QCOMPARE(placed.size(), MainCatalogue::controls().size());
        for (const ControlSpec &entry : MainCatalogue::controls()) {
            TwipRect got = placed.value(entry.key());
            // The lower location rows are stacked 495 apart, one button
            // height, where they were designed 480 apart: each row sits 15
            // twips (a pixel) lower than the one above it was drawn.
            if (entry.index > 0 && (entry.name == QLatin1String("cmdLocate") || entry.name == QLatin1String("cmdClrEntry"))) {
                QCOMPARE(got.top, entry.geometry.top + 15 * entry.index);
                got.top = entry.geometry.top;
            }
            QVERIFY2(got == entry.geometry,
                     qPrintable(QStringLiteral("%1: %2,%3 %4x%5").arg(entry.key()).arg(got.left).arg(got.top).arg(got.width).arg(got.height)));
        }
    }

    void widerAndTallerWindow()
    {
        const QHash<QString, TwipRect> g = MainLayout::place({8000, 9000});
        QCOMPARE(g.value(QStringLiteral("Frame1")).left, 790);
        QCOMPARE(g.value(QStringLiteral("cmdFindPrev")).left, 6020);
        QCOMPARE(g.value(QStringLiteral("cmdFind")).left, 6500);
        QCOMPARE(g.value(QStringLiteral("cmdFindNext")).left, 7220);
        QCOMPARE(g.value(QStringLiteral("fraMain(1)")), (TwipRect{0, 0, 7835, 8295}));
        QCOMPARE(g.value(QStringLiteral("Text1")), (TwipRect{120, 600, 7595, 6615}));
        QCOMPARE(g.value(QStringLiteral("lblFilename")).width, 7595);
        QCOMPARE(g.value(QStringLiteral("Frame1")).top, 6615 + 585);
        QCOMPARE(g.value(QStringLiteral("List1")), (TwipRect{120, 240, 7595, 5055}));
        QCOMPARE(g.value(QStringLiteral("cmdLocate(0)")), (TwipRect{1200, 5400, 4835, 495}));
        QCOMPARE(g.value(QStringLiteral("cmdLocate(3)")), (TwipRect{1200, 5400 + 3 * 495, 6515, 495}));
        QCOMPARE(g.value(QStringLiteral("cmdClrEntry(1)")), (TwipRect{120, 5895, 1095, 495}));
        QCOMPARE(g.value(QStringLiteral("cmdClrEntry(3)")).top, 6885);
        QCOMPARE(g.value(QStringLiteral("Command1")).top, 5400);
        QCOMPARE(g.value(QStringLiteral("cmdFindNext")).top, 5400);
        QCOMPARE(g.value(QStringLiteral("cmdCompile")), (TwipRect{120, 5055 + 2385, 7595, 735}));
        // Controls no rule moves keep their place in their frame.
        QCOMPARE(g.value(QStringLiteral("lblLine")), MainCatalogue::control(QStringLiteral("lblLine"))->geometry);
    }

    void snapsToTheMinimumOneDimensionAtATime_data()
    {
        QTest::addColumn<TwipSize>("outer");
        QTest::addColumn<std::optional<TwipSize>>("snapped");
        QTest::newRow("large enough") << TwipSize{6660, 6480} << std::optional<TwipSize>();
        QTest::newRow("too narrow") << TwipSize{5000, 9000} << std::optional<TwipSize>(TwipSize{6660, 9000});
        QTest::newRow("too short") << TwipSize{7000, 3000} << std::optional<TwipSize>(TwipSize{7000, 6480});
        QTest::newRow("both: width first") << TwipSize{100, 100} << std::optional<TwipSize>(TwipSize{6660, 100});
    }

    void snapsToTheMinimumOneDimensionAtATime()
    {
        QFETCH(TwipSize, outer);
        QFETCH(std::optional<TwipSize>, snapped);
        QCOMPARE(MainLayout::minimumSizeCorrection(outer), snapped);
    }

    void catalogueNamesAreUnique()
    {
        QSet<QString> keys;
        for (const ControlSpec &entry : MainCatalogue::controls())
            keys.insert(entry.key());
        for (const MenuSpec &entry : MainCatalogue::menus())
            keys.insert(entry.key());
        QCOMPARE(keys.size(), MainCatalogue::controls().size() + MainCatalogue::menus().size());
    }
};

QTEST_GUILESS_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
