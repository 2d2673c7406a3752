#pragma once

#include "platform/printer.h"

#include <QList>
#include <QStringList>

// A printer whose characters are all one width, recording each line with
// where it started.
class FakePrinter : public Printer
{
public:
    struct Line
    {
        int x = 0;
        QString text;
    };

    bool begin(QString &error) override
    {
        ++jobs;
        if (!available)
            error = QStringLiteral("No printer is installed.");
        return available;
    }
    void setFont(const QString &family, double points) override
    {
        fontFamily = family;
        fontSize = points;
    }
    void setX(int twips) override { m_x = twips; }
    void setY(int twips) override { firstY = twips; }
    int pageWidth() const override { return width; }
    int textWidth(const QString &text) const override { return int(text.size()) * charWidth; }
    void printLine(const QString &text) override
    {
        lines.append({m_x, text});
        m_x = 0;
    }
    void endDoc() override { ++ended; }

    QStringList texts() const
    {
        QStringList result;
        for (const Line &line : lines)
            result.append(line.text);
        return result;
    }

    bool available = true;
    int width = 1000;
    int charWidth = 100;
    QString fontFamily;
    double fontSize = 0;
    int firstY = -1;
    QList<Line> lines;
    int jobs = 0;
    int ended = 0;

private:
    int m_x = 0;
};
