#pragma once

#include <QString>

// The files a compile run leaves in the working folder.
namespace RunFiles {
// The compiler's captured output; it lives until the next run or the exit.
inline QString results(const QString &workDir) { return workDir + QStringLiteral("results.txt"); }
} // namespace RunFiles
