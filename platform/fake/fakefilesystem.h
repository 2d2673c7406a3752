#pragma once

#include "platform/filesystem.h"

#include <QMap>
#include <QStringList>

// An in-memory file system. Files are whole byte arrays keyed by path; a
// folder can be made to refuse writes, as a read-only or full disk would.
class FakeFileSystem : public FileSystem
{
public:
    explicit FakeFileSystem(QString currentFolder = QStringLiteral("/work/"));

    QString currentFolder() const override { return m_currentFolder; }
    bool exists(const QString &path) const override;
    bool remove(const QString &path) override;
    std::optional<QByteArray> read(const QString &path) const override;
    WriteResult write(const QString &path, const QByteArray &bytes) override;

    void failWritesUnder(const QString &folder) { m_readOnlyFolders.append(folder); }
    void failReadsOf(const QString &path) { m_unreadable.append(path); }

    QMap<QString, QByteArray> files;
    QStringList writes;  // every path written, failed writes included
    QStringList removals;

private:
    QString m_currentFolder;
    QStringList m_readOnlyFolders;
    QStringList m_unreadable;
};
