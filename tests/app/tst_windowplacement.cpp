#include "app/windowplacement.h"

#include <QTest>

namespace {

// Rectangles in the tests are written in pixels, as the file holds them.
TwipRect px(int left, int top, int width, int height)
{
    return {Twips::fromPixels(left), Twips::fromPixels(top), Twips::fromPixels(width), Twips::fromPixels(height)};
}

QString toString(const TwipRect &r)
{
    return QStringLiteral("%1,%2 %3x%4 px")
        .arg(Twips::toPixels(r.left))
        .arg(Twips::toPixels(r.top))
        .arg(Twips::toPixels(r.width))
        .arg(Twips::toPixels(r.height));
}

QString toString(const std::optional<WindowPlacement> &p)
{
    if (!p)
        return QStringLiteral("(none)");
    return toString(p->bounds) + (p->maximised ? QStringLiteral(" maximised") : QStringLiteral(" normal"));
}

// 436 x 404 pixels, the window's first and smallest size.
constexpr TwipSize minimum{6660, 6480};

} // namespace

// The window placement file: what is written, what is read back, what is
// refused, and how a kept placement is brought onto today's screens.
class TestWindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    void writtenTextReadsBack_data()
    {
        QTest::addColumn<WindowPlacement>("placement");
        QTest::newRow("normal") << WindowPlacement{px(120, 80, 700, 520), false};
        QTest::newRow("maximised") << WindowPlacement{px(0, 0, 436, 404), true};
        QTest::newRow("left of the primary screen") << WindowPlacement{px(-1800, -20, 900, 1000), false};
    }

    void writtenTextReadsBack()
    {
        QFETCH(WindowPlacement, placement);
        const std::optional<WindowPlacement> read = WindowPlacement::parse(placement.toText());
        QCOMPARE(toString(read), toString(placement));
    }

    void textIsKeyPerLine()
    {
        QCOMPARE(WindowPlacement{px(120, 80, 700, 520)}.toText(),
                 QByteArray("# KVN's main window as it was last put away; KVN rewrites this file.\n"
                            "left=120\ntop=80\nwidth=700\nheight=520\nstate=normal\n"));
        QVERIFY((WindowPlacement{px(1, 2, 500, 500), true}.toText().endsWith("\nstate=maximised\n")));
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        const QString normal = QStringLiteral("10,20 500x400 px normal");
        QTest::newRow("plain") << QByteArray("left=10\ntop=20\nwidth=500\nheight=400\n") << normal;
        QTest::newRow("CR LF, blanks and comments")
            << QByteArray("# mine\r\n\r\n left = 10 \r\ntop=20\r\nwidth=500\r\nheight=400\r\n") << normal;
        QTest::newRow("unknown keys passed over")
            << QByteArray("colour=red\nleft=10\ntop=20\nwidth=500\nheight=400\nzoom\n") << normal;
        QTest::newRow("last of a repeated key") << QByteArray("left=99\nleft=10\ntop=20\nwidth=500\nheight=400") << normal;
        QTest::newRow("maximised") << QByteArray("left=10\ntop=20\nwidth=500\nheight=400\nstate=maximised")
                                   << QStringLiteral("10,20 500x400 px maximised");
        QTest::newRow("maximized, as Americans write it")
            << QByteArray("left=10\ntop=20\nwidth=500\nheight=400\nstate=maximized")
            << QStringLiteral("10,20 500x400 px maximised");
        QTest::newRow("minimised shows normal")
            << QByteArray("left=10\ntop=20\nwidth=500\nheight=400\nstate=minimised") << normal;
        QTest::newRow("unknown state is normal")
            << QByteArray("left=10\ntop=20\nwidth=500\nheight=400\nstate=sideways") << normal;
        QTest::newRow("negative place") << QByteArray("left=-1920\ntop=-5\nwidth=500\nheight=400")
                                        << QStringLiteral("-1920,-5 500x400 px normal");

        const QString none = QStringLiteral("(none)");
        QTest::newRow("empty") << QByteArray() << none;
        QTest::newRow("binary") << QByteArray("\x00\xff\x13garbage\x01", 12) << none;
        QTest::newRow("height missing") << QByteArray("left=10\ntop=20\nwidth=500\n") << none;
        QTest::newRow("not a number") << QByteArray("left=ten\ntop=20\nwidth=500\nheight=400") << none;
        QTest::newRow("fraction") << QByteArray("left=10.5\ntop=20\nwidth=500\nheight=400") << none;
        QTest::newRow("zero width") << QByteArray("left=10\ntop=20\nwidth=0\nheight=400") << none;
        QTest::newRow("negative height") << QByteArray("left=10\ntop=20\nwidth=500\nheight=-400") << none;
        QTest::newRow("far beyond any screen") << QByteArray("left=10\ntop=200000\nwidth=500\nheight=400") << none;
        QTest::newRow("overflowing number")
            << QByteArray("left=99999999999999999999\ntop=20\nwidth=500\nheight=400") << none;
        QTest::newRow("absurd size") << QByteArray("left=10\ntop=20\nwidth=500\nheight=2147483647") << none;
        QTest::newRow("kvn.txt instead")
            << QByteArray(" 8 \r\nTrue\r\nFalse\r\n/usr/bin/kvncc\r\n\r\n 16777215 \r\n 0 \r\n 255 \r\n 65535 \r\n") << none;
    }

    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QCOMPARE(toString(WindowPlacement::parse(text)), expected);
    }

    void fittedTo_data()
    {
        QTest::addColumn<TwipRect>("kept");
        QTest::addColumn<QList<TwipRect>>("screens");
        QTest::addColumn<TwipRect>("expected");
        const QList<TwipRect> hd{px(0, 0, 1920, 1050)};
        // A second screen to the left of the primary one, a little lower.
        const QList<TwipRect> two{px(0, 0, 1920, 1050), px(-1280, 100, 1280, 1000)};

        QTest::newRow("on the screen stays") << px(100, 100, 800, 600) << hd << px(100, 100, 800, 600);
        QTest::newRow("partly off to the right stays") << px(1700, 100, 800, 600) << hd << px(1700, 100, 800, 600);
        QTest::newRow("on the second screen stays") << px(-1000, 200, 800, 600) << two << px(-1000, 200, 800, 600);
        QTest::newRow("screen gone: centred on the primary")
            << px(-1000, 200, 800, 600) << hd << px(560, 225, 800, 600);
        QTest::newRow("far away: centred on the primary") << px(9000, 9000, 800, 600) << two << px(560, 225, 800, 600);
        QTest::newRow("title above the screen: moved down") << px(100, -200, 800, 600) << hd << px(100, 0, 800, 600);
        QTest::newRow("title below the screen: moved up") << px(100, 1040, 800, 600) << hd << px(100, 450, 800, 600);
        QTest::newRow("title a sliver on the left: moved in") << px(-750, 100, 800, 600) << hd << px(0, 100, 800, 600);
        QTest::newRow("wider than the screen: as wide")
            << px(300, 100, 2500, 600) << hd << px(0, 100, 1920, 600);
        QTest::newRow("taller than the screen: as tall")
            << px(100, 300, 800, 1400) << hd << px(100, 0, 800, 1050);
        QTest::newRow("larger than a small screen")
            << px(0, 0, 1920, 1050) << QList<TwipRect>{px(0, 0, 1024, 740)} << px(0, 0, 1024, 740);
        QTest::newRow("smaller than the minimum: grown")
            << px(100, 100, 200, 100) << hd << px(100, 100, 444, 432);
        QTest::newRow("screen smaller than the minimum: minimum")
            << px(0, 0, 800, 600) << QList<TwipRect>{px(0, 0, 400, 300)} << px(0, 0, 444, 432);
        QTest::newRow("no screens known: as kept") << px(-5000, -5000, 800, 600) << QList<TwipRect>{}
                                                   << px(-5000, -5000, 800, 600);
    }

    void fittedTo()
    {
        QFETCH(TwipRect, kept);
        QFETCH(QList<TwipRect>, screens);
        QFETCH(TwipRect, expected);
        const WindowPlacement fitted = WindowPlacement{kept, true}.fittedTo(screens, minimum);
        QCOMPARE(toString(fitted.bounds), toString(expected));
        QVERIFY(fitted.maximised);
    }
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
