#pragma once

#include <QIcon>

class QPainter;
class QRectF;

// KVN's icon, the picture of data/kvn.svg drawn with QPainter at any size,
// so that the windows carry it from their first showing without loading
// Qt's SVG support (an icon-engine plugin and a library: several
// milliseconds of the start-up). The About window shows the SVG itself.
namespace ProgramIcon {
QIcon icon();
// Draws the icon into rect (a square).
void draw(QPainter &painter, const QRectF &rect);
} // namespace ProgramIcon
