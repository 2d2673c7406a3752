#pragma once

#include <QString>

// The executable a source file builds: the path up to its last "." (searched
// over the whole path, folders included) with ".exe" in place of the rest,
// or the path with ".exe" appended when it has no "." at all.
inline QString outputPathFor(const QString &source)
{
    const qsizetype dot = source.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? source : source.left(dot)) + QStringLiteral(".exe");
}
