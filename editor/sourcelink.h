#pragma once

#include <QString>

// What the document tells the Compile panel as it changes hands.
class SourceLink
{
public:
    virtual ~SourceLink() = default;
    // A new document: the source and output show as not specified; the
    // paths themselves stay for the next compile.
    virtual void documentIsNew() = 0;
    // A file was opened: it becomes the source, its output path is derived
    // from it, and both show as specified.
    virtual void documentOpened(const QString &path) = 0;
    // The document was saved under path: source and output follow it.
    virtual void documentSaved(const QString &path) = 0;
    // The user asked to compile a file of another type as C++.
    virtual void forceCppCompile() = 0;
};
