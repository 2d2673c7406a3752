#pragma once

#include "platform/fake/fakefilesystem.h"
#include "platform/folders.h"

#include <QStringList>

// Makes folders in a FakeFileSystem, so that files can then be written
// there; a folder can be made to refuse, as one without write rights would.
class FakeFolders : public Folders
{
public:
    explicit FakeFolders(FakeFileSystem &files) : m_files(files) {}

    bool makePath(const QString &folder) override
    {
        made.append(folder);
        for (const QString &refused : std::as_const(m_refused)) {
            if (folder == refused || folder.startsWith(refused + QLatin1Char('/')))
                return false;
        }
        m_files.addFolder(folder);
        return true;
    }

    void refuse(const QString &folder) { m_refused.append(folder); }

    QStringList made;

private:
    FakeFileSystem &m_files;
    QStringList m_refused;
};
