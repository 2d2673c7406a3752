#include "qtprinter.h"

#include <QFontMetricsF>
#include <QPrinterInfo>

QtPrinter::~QtPrinter()
{
    if (m_painter)
        m_painter->end();
}

bool QtPrinter::begin(QString &error)
{
    m_painter.reset();
    if (m_pdfFile.isEmpty()) {
        if (QPrinterInfo::defaultPrinter().isNull()) {
            error = QStringLiteral("no printer is installed. Add one in your desktop's printer settings, then print again.");
            return false;
        }
        m_printer = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    } else {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(m_pdfFile);
    }
    m_printer->setDocName(QStringLiteral("KVN"));
    if (!m_printer->isValid()) {
        error = QStringLiteral("the printer cannot be used.");
        return false;
    }
    m_x = 0;
    m_y = 0;
    return true;
}

void QtPrinter::setFont(const QString &family, double points)
{
    m_font = QFont(family);
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setPointSizeF(points);
    if (m_painter)
        m_painter->setFont(m_font);
}

int QtPrinter::toTwips(double pixels) const
{
    return int(pixels * 1440.0 / m_printer->resolution() + 0.5);
}

double QtPrinter::toPixels(int twips) const
{
    return twips * double(m_printer->resolution()) / 1440.0;
}

int QtPrinter::pageWidth() const
{
    return toTwips(m_printer->pageLayout().paintRectPixels(m_printer->resolution()).width());
}

int QtPrinter::pageHeight() const
{
    return toTwips(m_printer->pageLayout().paintRectPixels(m_printer->resolution()).height());
}

int QtPrinter::textWidth(const QString &text) const
{
    return toTwips(QFontMetricsF(m_font, m_printer.get()).horizontalAdvance(text));
}

int QtPrinter::lineHeight() const
{
    return toTwips(QFontMetricsF(m_font, m_printer.get()).lineSpacing());
}

void QtPrinter::printLine(const QString &text)
{
    // The job starts with its first line, so an empty document sends nothing.
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>();
        if (!m_painter->begin(m_printer.get())) {
            m_painter.reset();
            return;
        }
        m_painter->setFont(m_font);
    } else if (m_y + lineHeight() > pageHeight()) {
        m_printer->newPage();
        m_y = 300;
    }
    const double ascent = QFontMetricsF(m_font, m_printer.get()).ascent();
    m_painter->drawText(QPointF(toPixels(m_x), toPixels(m_y) + ascent), text);
    m_x = 0;
    m_y += lineHeight();
}

void QtPrinter::endDoc()
{
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
}
