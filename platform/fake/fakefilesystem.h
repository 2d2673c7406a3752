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
    bool isExecutable(const QString &path) const override { return executables.contains(path) && files.contains(path); }
    std::optional<qint64> size(const QString &path) const override;
    QString whyNotAFile(const QString &path) const override;
    QString whyNotYoursAlone(const QString &path) const override { return othersFiles.value(path); }
    std::optional<QByteArray> read(const QString &path, qint64 limit = noLimit) const override;
    std::optional<Stamp> stamp(const QString &path) const override;
    WriteResult write(const QString &path, const QByteArray &bytes) override;
    // The files named path + ".kvn-backup", with or without a suffix.
    QStringList leftoverBackups(const QString &path) const override;
    WriteResult replace(const QString &path, const QByteArray &bytes) override;
    QString scratchFolder() override;

    // Another program writes the file: its content and stamp change.
    void changeBehindTheProgram(const QString &path, const QByteArray &bytes);
    // Paths that are not regular files (pipes, devices), and folders.
    QStringList specialFiles;
    QStringList replaced; // paths put in place by replace()

    void failWritesUnder(const QString &folder) { m_readOnlyFolders.append(folder); }
    void failReadsOf(const QString &path) { m_unreadable.append(path); }
    // The next write stops after this many bytes, as a full disk would.
    void failNextWriteAfter(qsizetype bytes) { m_diskSpace = bytes; }
    // The next write gets its bytes out but cannot take the file's place.
    void failNextRename() { m_failRename = true; }
    // The next write fails halfway through the file, whose old content is
    // then only in the backup, as an in-place save that could not undo
    // itself leaves it.
    void failNextWriteHalfway(const QString &backup) { m_halfwayBackup = backup; }
    // A file the user may read but not write.
    void makeReadOnly(const QString &path) { m_readOnlyFiles.append(path); }
    // Files whose reported size differs from their content, to stand for
    // files too large to create in a test.
    QMap<QString, qint64> reportedSizes;

    // Folders exist when a file lies in them, when they are the current
    // folder, or when added here; a write into any other folder fails.
    void addFolder(const QString &folder);

    QMap<QString, QByteArray> files;
    QStringList executables; // files with the execute permission
    // Files someone else may have written, with the reason whyNotYoursAlone gives.
    QMap<QString, QString> othersFiles;
    QStringList writes;  // every path written, failed writes included
    QStringList removals;

private:
    bool knownFolder(const QString &folder) const;

    QString m_currentFolder;
    QStringList m_folders;
    QStringList m_readOnlyFolders;
    QStringList m_unreadable;
    QStringList m_readOnlyFiles;
    std::optional<qsizetype> m_diskSpace;
    bool m_failRename = false;
    QString m_halfwayBackup;
    QMap<QString, qint64> m_versions;
};
