#pragma once

#include <QString>

// The path with everything from its last "." (searched over the whole path,
// folders included) replaced by extension, or with extension appended when
// it has no "." at all: "/w/a.b/prog" gives "/w/a" + extension.
inline QString withExtension(const QString &path, const QString &extension)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? path : path.left(dot)) + extension;
}

// The folder part of a path: everything before its last '/', or the whole
// path when it has none.
inline QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.left(slash);
}
