#pragma once

#include "colour.h"

#include <QString>
#include <QStringList>

#include <optional>

// The common dialogs. Filters are written "description|pattern|..." with
// pairs separated by '|', and the filter index counts from 1.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // The file picked to open, or nothing when the dialog was cancelled. The
    // dialog starts in startFolder, or where it last was when that is empty.
    virtual std::optional<QString> openFile(const QString &filter, int filterIndex, const QString &startFolder = {}) = 0;

    struct SavePick
    {
        QString path;
        int filterIndex = 1; // the filter chosen in the dialog
    };
    // The path picked to save under, as typed, and the filter the user left
    // chosen; nothing when cancelled. The dialog does not ask about replacing
    // an existing file; the caller does.
    virtual std::optional<SavePick> saveFile(const QString &filter, int filterIndex) = 0;

    // The colour picked, starting from initial, or nothing when cancelled.
    virtual std::optional<Colour> chooseColour(Colour initial) = 0;
};

// The path with the extension of the chosen filter ("*.cpp" gives ".cpp")
// added when its file name has none, so that the file shows under that
// filter later; a filter of every file ("*.*", "*") adds nothing.
inline QString withFilterExtension(const QString &path, const QString &filter, int filterIndex)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name.contains(QLatin1Char('.')))
        return path;
    const QStringList parts = filter.split(QLatin1Char('|'));
    const qsizetype patternAt = qsizetype(filterIndex) * 2 - 1;
    if (filterIndex < 1 || patternAt >= parts.size())
        return path;
    const QString pattern = parts.at(patternAt).section(QLatin1Char(';'), 0, 0).trimmed();
    if (!pattern.startsWith(QLatin1String("*.")))
        return path;
    const QString extension = pattern.mid(1);
    if (extension.size() < 2 || extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?')))
        return path;
    return path + extension;
}
