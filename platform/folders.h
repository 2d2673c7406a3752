#pragma once

#include <QString>

// Folders on disk, for files that live in folders a fresh account may not
// have yet (~/.local/share/applications, ~/.config/kvn).
class Folders
{
public:
    virtual ~Folders() = default;

    // Creates the folder and any missing folders above it. True when it
    // exists afterwards, also when it existed before.
    virtual bool makePath(const QString &folder) = 0;
};
