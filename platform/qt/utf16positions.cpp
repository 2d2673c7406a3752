#include "utf16positions.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>

namespace Utf16Positions {

namespace {

constexpr long utf16 = QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16;

} // namespace

int length(const QsciScintillaBase &box)
{
    const long lines = box.SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
    return int(box.SendScintilla(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, lines, utf16));
}

int offsetAt(const QsciScintillaBase &box, long position)
{
    const long line = box.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, position);
    const long lineByte = box.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    const long lineUnit = box.SendScintilla(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, line, utf16);
    return int(lineUnit + box.SendScintilla(QsciScintillaBase::SCI_COUNTCODEUNITS, lineByte, position));
}

long positionAt(const QsciScintillaBase &box, int offset)
{
    if (offset >= length(box))
        return box.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    offset = std::max(offset, 0);
    const long line = box.SendScintilla(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, offset, utf16);
    const long lineUnit = box.SendScintilla(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, line, utf16);
    const long lineByte = box.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    if (offset == lineUnit)
        return lineByte;
    const long position =
        box.SendScintilla(QsciScintillaBase::SCI_POSITIONRELATIVECODEUNITS, lineByte, offset - lineUnit);
    // Scintilla answers 0 for a count that ends inside a character of two
    // units; such a position belongs to the start of that character.
    if (position == 0 && offset - lineUnit > 0)
        return box.SendScintilla(QsciScintillaBase::SCI_POSITIONRELATIVECODEUNITS, lineByte, offset - lineUnit - 1);
    return position;
}

} // namespace Utf16Positions
