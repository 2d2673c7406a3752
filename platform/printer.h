#pragma once

#include <QString>

// The default printer as a page of lines. Lengths are in twips.
class Printer
{
public:
    virtual ~Printer() = default;

    // Opens a job on the default printer. False, with a sentence for the
    // user in error, when there is no printer or it cannot be used.
    virtual bool begin(QString &error) = 0;
    virtual void setFont(const QString &family, double points) = 0;
    virtual void setX(int twips) = 0;
    virtual void setY(int twips) = 0;
    // The usable width of the page.
    virtual int pageWidth() const = 0;
    virtual int textWidth(const QString &text) const = 0;
    // Prints text at the print position as one line; the position then
    // returns to the left edge and moves down a line, onto a new page when
    // the page is full.
    virtual void printLine(const QString &text) = 0;
    // Sends the job; a job with nothing printed sends nothing.
    virtual void endDoc() = 0;
};
