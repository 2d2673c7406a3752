#pragma once

#include "platform/folders.h"

#include <QDir>

class QtFolders : public Folders
{
public:
    bool makePath(const QString &folder) override { return QDir().mkpath(folder); }
};
