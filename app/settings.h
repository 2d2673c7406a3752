#pragma once

#include "editor/editorstate.h"

#include <QByteArray>
#include <QString>

// The nine preferences kept in "kvn.txt", one a line, CR LF after each.
struct Settings
{
    double fontSize = 8;                 // points of the editor font
    bool fileSavedConfirmation = true;   // "File saved." after a save
    bool deleteIntermediates = false;    // ask to delete *.obj and *.tds after a compile
    QString CompilerPath;                // empty: the default compiler
    QString configf;                     // configuration or response file
    IndicatorColours colours;

    friend bool operator==(const Settings &, const Settings &) = default;
};

namespace SettingsFormat {
// The file's bytes: sizes and colours with a space before a non-negative
// number and one after it (" 10 "), the switches as True or False, the two
// paths verbatim. The font size is written without its fraction.
QByteArray write(const Settings &settings);

// Reads a file of this layout. A field that is missing or cannot be read
// keeps its value from defaults; junk never fails the read.
Settings read(const QByteArray &bytes, const Settings &defaults = {});

// A number as the file has always printed it.
QByteArray number(qint64 value);
} // namespace SettingsFormat
