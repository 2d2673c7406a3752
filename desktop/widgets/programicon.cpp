#include "programicon.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

class ProgramIconEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(rect.width(), rect.height());
        const QRectF square(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0, side, side);
        ProgramIcon::draw(*painter, square);
    }
    QIconEngine *clone() const override { return new ProgramIconEngine; }
    QString key() const override { return QStringLiteral("ProgramIconEngine"); }
};

} // namespace

QIcon ProgramIcon::icon()
{
    return QIcon(new ProgramIconEngine);
}

void ProgramIcon::draw(QPainter &painter, const QRectF &rect)
{
    // The SVG's own 64 x 64 units.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 64.0, rect.height() / 64.0);
    painter.setPen(Qt::NoPen);

    QLinearGradient back(0, 2, 0, 62);
    back.setColorAt(0, QColor(0x2d, 0x5a, 0xa8));
    back.setColorAt(1, QColor(0x1b, 0x35, 0x68));
    painter.setBrush(back);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 11, 11);

    QPainterPath page;
    page.moveTo(13, 9);
    page.lineTo(37, 9);
    page.lineTo(46, 18);
    page.lineTo(46, 54);
    page.lineTo(13, 54);
    page.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(page);

    QPainterPath fold;
    fold.moveTo(37, 9);
    fold.lineTo(37, 18);
    fold.lineTo(46, 18);
    fold.closeSubpath();
    painter.setBrush(QColor(0xc5, 0xd2, 0xea));
    painter.drawPath(fold);

    const QColor dark(0x1b, 0x35, 0x68);
    const QColor orange(0xf0, 0x8a, 0x24);
    const struct
    {
        QRectF rect;
        QColor colour;
    } lines[] = {{{18, 20, 14, 4}, dark}, {{22, 28, 18, 4}, orange}, {{22, 36, 11, 4}, orange}, {{18, 44, 9, 4}, dark}};
    for (const auto &line : lines) {
        painter.setBrush(line.colour);
        painter.drawRoundedRect(line.rect, 1.5, 1.5);
    }

    painter.setBrush(QColor(0x2f, 0x9e, 0x52));
    painter.setPen(QPen(Qt::white, 2.5));
    painter.drawEllipse(QPointF(46, 46), 12, 12);

    QPainterPath play;
    play.moveTo(42, 39.5);
    play.lineTo(53, 46);
    play.lineTo(42, 52.5);
    play.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(play);
    painter.restore();
}
