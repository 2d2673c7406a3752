#pragma once

class QsciScintillaBase;

// Scintilla counts positions in bytes of UTF-8; Qt counts characters in
// UTF-16 units. These convert through the box's index of where each line
// starts in UTF-16 units, so each costs a few lookups wherever in the text it
// lands. The index must be allocated (SCI_ALLOCATELINECHARACTERINDEX with
// SC_LINECHARACTERINDEX_UTF16) while they are used.
namespace Utf16Positions {

// The text's length in UTF-16 units.
int length(const QsciScintillaBase &box);
// The UTF-16 offset of a byte position.
int offsetAt(const QsciScintillaBase &box, long position);
// The byte position of a UTF-16 offset; one inside a character of two units
// gives that character's start, one past the end the end of the text.
long positionAt(const QsciScintillaBase &box, int offset);

} // namespace Utf16Positions
