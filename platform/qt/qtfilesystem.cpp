#include "qtfilesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString QtFileSystem::currentFolder() const
{
    QString folder = QDir::currentPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool QtFileSystem::exists(const QString &path) const
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool QtFileSystem::remove(const QString &path)
{
    return QFile::remove(path);
}

bool QtFileSystem::isExecutable(const QString &path) const
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

std::optional<qint64> QtFileSystem::size(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return std::nullopt;
    return info.size();
}

std::optional<QByteArray> QtFileSystem::read(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

static FileSystem::WriteResult failure(const QFileDevice &file)
{
    return {false, file.errorString()};
}

FileSystem::WriteResult QtFileSystem::write(const QString &path, const QByteArray &bytes)
{
    // Write through a symbolic link to the file it names, so the link stays.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    // Replacing goes through the folder, so a read-only file would be
    // replaced without complaint; it must refuse as a write to it would.
    // A file with no write permission for anyone counts as read-only even
    // for an administrator, who could otherwise write it regardless.
    const QFileInfo targetInfo(target);
    const QFileDevice::Permissions anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (targetInfo.exists() && (!targetInfo.isWritable() || !(targetInfo.permissions() & anyWrite)))
        return {false, QStringLiteral("The file is read-only")};
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return failure(file);
    }
    if (!file.commit())
        return failure(file);
    return {};
}
