#pragma once

#include "colour.h"

#include <QString>

#include <optional>

// The common dialogs. Filters are written "description|pattern|..." with
// pairs separated by '|', and the filter index counts from 1.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // The file picked to open, or nothing when the dialog was cancelled.
    virtual std::optional<QString> openFile(const QString &filter, int filterIndex) = 0;

    // The path picked to save under, or nothing when cancelled. The dialog
    // does not ask about replacing an existing file; the caller does.
    virtual std::optional<QString> saveFile(const QString &filter, int filterIndex) = 0;

    // The colour picked, starting from initial, or nothing when cancelled.
    virtual std::optional<Colour> chooseColour(Colour initial) = 0;
};
