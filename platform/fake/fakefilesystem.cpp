#include "fakefilesystem.h"

#include <utility>

FakeFileSystem::FakeFileSystem(QString currentFolder)
    : m_currentFolder(std::move(currentFolder))
{
    if (!m_currentFolder.endsWith(QLatin1Char('/')))
        m_currentFolder += QLatin1Char('/');
}

void FakeFileSystem::addFolder(const QString &folder)
{
    m_folders.append(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

bool FakeFileSystem::knownFolder(const QString &folder) const
{
    if (m_folders.contains(folder))
        return true;
    for (auto it = files.keyBegin(); it != files.keyEnd(); ++it) {
        if (it->startsWith(folder))
            return true;
    }
    return false;
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

std::optional<qint64> FakeFileSystem::size(const QString &path) const
{
    if (reportedSizes.contains(path))
        return reportedSizes.value(path);
    if (!files.contains(path))
        return std::nullopt;
    return files.value(path).size();
}

QString FakeFileSystem::whyNotAFile(const QString &path) const
{
    if (specialFiles.contains(path))
        return QStringLiteral("it is not a regular file but a pipe, a device or a socket");
    if (files.contains(path))
        return {};
    if (m_folders.contains(path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/')))
        return QStringLiteral("it is a folder");
    return QStringLiteral("there is no such file");
}

std::optional<QByteArray> FakeFileSystem::read(const QString &path, qint64 limit) const
{
    if (m_unreadable.contains(path) || !files.contains(path) || specialFiles.contains(path))
        return std::nullopt;
    if (limit >= 0 && files.value(path).size() > limit)
        return std::nullopt;
    return files.value(path);
}

std::optional<FileSystem::Stamp> FakeFileSystem::stamp(const QString &path) const
{
    if (!files.contains(path))
        return std::nullopt;
    return Stamp{files.value(path).size(), m_versions.value(path), 1};
}

QStringList FakeFileSystem::leftoverBackups(const QString &path) const
{
    const QString backup = path + QStringLiteral(".kvn-backup");
    QStringList found;
    for (auto it = files.keyBegin(); it != files.keyEnd(); ++it) {
        if (*it == backup || it->startsWith(backup + QLatin1Char('-')))
            found.append(*it);
    }
    for (const QString &special : specialFiles) {
        if (special == backup)
            found.append(special);
    }
    found.sort();
    return found;
}

void FakeFileSystem::changeBehindTheProgram(const QString &path, const QByteArray &bytes)
{
    files.insert(path, bytes);
    ++m_versions[path];
}

FileSystem::WriteResult FakeFileSystem::replace(const QString &path, const QByteArray &bytes)
{
    replaced.append(path);
    return write(path, bytes);
}

QString FakeFileSystem::scratchFolder()
{
    const QString folder = QStringLiteral("/scratch/");
    if (!m_folders.contains(folder))
        addFolder(folder);
    return folder;
}

FileSystem::WriteResult FakeFileSystem::write(const QString &path, const QByteArray &bytes)
{
    writes.append(path);
    for (const QString &folder : m_readOnlyFolders) {
        if (path.startsWith(folder))
            return {false, QStringLiteral("Permission denied")};
    }
    if (m_readOnlyFiles.contains(path))
        return {false, QStringLiteral("Permission denied")};
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (!folder.isEmpty() && folder != m_currentFolder && !knownFolder(folder))
        return {false, QStringLiteral("No such file or directory")};
    if (m_diskSpace) {
        const bool fits = bytes.size() <= *m_diskSpace;
        m_diskSpace.reset();
        if (!fits)
            return {false, QStringLiteral("No space left on device")};
    }
    if (!m_halfwayBackup.isEmpty()) {
        const QString backup = std::exchange(m_halfwayBackup, QString());
        files.insert(backup, files.value(path));
        files.insert(path, bytes.left(bytes.size() / 2));
        ++m_versions[path];
        return {false, QStringLiteral("No space left on device; its old content is kept in %1").arg(backup), false};
    }
    if (m_failRename) {
        m_failRename = false;
        return {false, QStringLiteral("Device or resource busy")};
    }
    files.insert(path, bytes);
    ++m_versions[path];
    return {};
}
