#include "fakefilesystem.h"

FakeFileSystem::FakeFileSystem(QString currentFolder)
    : m_currentFolder(std::move(currentFolder))
{
}

bool FakeFileSystem::exists(const QString &path) const
{
    return files.contains(path);
}

bool FakeFileSystem::remove(const QString &path)
{
    removals.append(path);
    for (const QString &folder : m_readOnlyFolders) {
        if (path.startsWith(folder))
            return false;
    }
    return files.remove(path) > 0;
}

std::optional<QByteArray> FakeFileSystem::read(const QString &path) const
{
    if (m_unreadable.contains(path) || !files.contains(path))
        return std::nullopt;
    return files.value(path);
}

FileSystem::WriteResult FakeFileSystem::write(const QString &path, const QByteArray &bytes)
{
    writes.append(path);
    for (const QString &folder : m_readOnlyFolders) {
        if (path.startsWith(folder))
            return {false, QStringLiteral("Permission denied")};
    }
    files.insert(path, bytes);
    return {};
}
