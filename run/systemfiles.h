#pragma once

#include <QString>

// The files a compiler's message may lie in that the user did not write:
// the system's headers and libraries and the compiler's own files. They are
// shown to be read, never to be changed.
namespace SystemFiles {
// Whether path lies among them. A relative path is never one. Files under
// the compiled source's folder are the user's wherever that folder is; the
// compiler's own files are those of the installation holding compilerPath
// (its include, lib, libexec and share/kvn folders beside its bin folder).
bool contains(const QString &path, const QString &sourceFolder, const QString &compilerPath);
} // namespace SystemFiles
