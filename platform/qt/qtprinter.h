#pragma once

#include "platform/printer.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <memory>

// The default printer through Qt. With an output file it prints a PDF
// there instead, which is how the printing is checked without a printer.
class QtPrinter : public Printer
{
public:
    explicit QtPrinter(QString pdfFile = {}) : m_pdfFile(std::move(pdfFile)) {}
    ~QtPrinter() override;

    bool begin(QString &error) override;
    void setFont(const QString &family, double points) override;
    void setX(int twips) override { m_x = twips; }
    void setY(int twips) override { m_y = twips; }
    int pageWidth() const override;
    int textWidth(const QString &text) const override;
    void printLine(const QString &text) override;
    void endDoc() override;

private:
    int toTwips(double pixels) const;
    double toPixels(int twips) const;
    int lineHeight() const;
    int pageHeight() const;

    QString m_pdfFile;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QFont m_font;
    int m_x = 0;
    int m_y = 0;
};
