#pragma once

#include "platform/paths.h"

// The executable a source file builds: the source path with ".exe" in place
// of its extension (see withExtension).
inline QString outputPathFor(const QString &source)
{
    return withExtension(source, QStringLiteral(".exe"));
}
