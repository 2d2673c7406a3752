#include "desktop/widgets/aboutwindowwidget.h"
#include "desktop/widgets/programicon.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

QImage rendered(const QIcon &icon, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, QRect(0, 0, side, side));
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

// The window icon drawn in code is the picture of kvn.svg.
class TestProgramIcon : public QObject
{
    Q_OBJECT

private slots:
    void looksLikeTheSvg_data()
    {
        QTest::addColumn<int>("side");
        QTest::newRow("16") << 16;
        QTest::newRow("32") << 32;
        QTest::newRow("64") << 64;
        QTest::newRow("128") << 128;
    }

    void looksLikeTheSvg()
    {
        QFETCH(int, side);
        const QIcon svg = AboutWindowWidget::icon();
        if (svg.availableSizes().isEmpty() && svg.pixmap(side, side).isNull())
            QSKIP("Qt's SVG icon support is not installed");
        const QImage expected = rendered(svg, side);
        const QImage drawn = rendered(ProgramIcon::icon(), side);
        // Edges are smoothed a little differently; the colours are the same.
        qint64 difference = 0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const QRgb a = expected.pixel(x, y);
                const QRgb b = drawn.pixel(x, y);
                difference += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b))
                    + qAbs(qAlpha(a) - qAlpha(b));
            }
        }
        const double perPixel = double(difference) / (side * side);
        QVERIFY2(perPixel < 12, qPrintable(QStringLiteral("%1 per pixel").arg(perPixel)));
    }

    void landmarksAtSixtyFour_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("blue back") << QPoint(6, 58) << QColor(0x1c, 0x37, 0x6b);
        QTest::newRow("white page") << QPoint(15, 30) << QColor(Qt::white);
        QTest::newRow("folded corner") << QPoint(40, 15) << QColor(0xc5, 0xd2, 0xea);
        QTest::newRow("orange line") << QPoint(30, 30) << QColor(0xf0, 0x8a, 0x24);
        QTest::newRow("green button") << QPoint(38, 46) << QColor(0x2f, 0x9e, 0x52);
        QTest::newRow("white play mark") << QPoint(45, 46) << QColor(Qt::white);
        QTest::newRow("transparent corner") << QPoint(0, 0) << QColor(Qt::transparent);
    }

    void landmarksAtSixtyFour()
    {
        QFETCH(QPoint, at);
        QFETCH(QColor, colour);
        const QColor drawn = rendered(ProgramIcon::icon(), 64).pixelColor(at);
        const int off = qAbs(drawn.red() - colour.red()) + qAbs(drawn.green() - colour.green())
            + qAbs(drawn.blue() - colour.blue()) + qAbs(drawn.alpha() - colour.alpha());
        QVERIFY2(off <= 12, qPrintable(drawn.name(QColor::HexArgb)));
    }
};

QTEST_MAIN(TestProgramIcon)
#include "tst_programicon.moc"
