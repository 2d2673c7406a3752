#pragma once

#include "controls.h"

#include <QList>

// The read-only box that shows a compiler's output, with the lines that
// state its messages set apart. Lines count from 0 as the box breaks them:
// at CR LF, LF or a lone CR.
class OutputBox : public Entry
{
public:
    enum class LineKind { Error, Warning, Note };
    struct MarkedLine
    {
        int line = 0;
        LineKind kind = LineKind::Error;
        friend bool operator==(const MarkedLine &, const MarkedLine &) = default;
    };

    // Sets these lines apart by kind, in place of any marked before; a new
    // text clears the marks.
    virtual void markLines(const QList<MarkedLine> &lines) = 0;
    // Lights lines first to last as the message in hand and scrolls them into
    // view; first = -1 puts the light out.
    virtual void showCurrent(int first, int last) = 0;
    virtual void setFontSize(double points) = 0;
};
