#pragma once

#include <QByteArray>
#include <QList>

#include <algorithm>

#include <dirent.h>

// The names in folder that match (a predicate on the name), sorted; none
// when the folder cannot be read. Nothing is followed or opened.
template<typename Match>
QList<QByteArray> folderEntries(const QByteArray &folder, Match match)
{
    QList<QByteArray> found;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return found;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (match(name))
            found.append(name);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}
