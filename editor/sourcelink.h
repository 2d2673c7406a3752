#pragma once

#include <QString>

// What the document tells the Compile panel when it changes hands.
class SourceLink
{
public:
    virtual ~SourceLink() = default;
    // A new document: the source and output locations show as not specified.
    virtual void documentIsNew() = 0;
};
