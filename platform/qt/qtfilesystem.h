#pragma once

#include "platform/filesystem.h"
#include "scratchfolder.h"

#include <functional>

class QtFileSystem : public FileSystem
{
public:
    // Removes the scratch folders that copies of the program killed
    // outright left behind.
    QtFileSystem();
    QtFileSystem(const QtFileSystem &) = delete;
    QtFileSystem &operator=(const QtFileSystem &) = delete;
    ~QtFileSystem() override;

    QString currentFolder() const override;
    bool exists(const QString &path) const override;
    bool remove(const QString &path) override;
    bool isExecutable(const QString &path) const override;
    std::optional<qint64> size(const QString &path) const override;
    QString whyNotAFile(const QString &path) const override;
    QString whyNotYoursAlone(const QString &path) const override;
    std::optional<QByteArray> read(const QString &path, qint64 limit = noLimit) const override;
    std::optional<Stamp> stamp(const QString &path) const override;
    WriteResult write(const QString &path, const QByteArray &bytes) override;
    QStringList leftoverBackups(const QString &path) const override;
    WriteResult replace(const QString &path, const QByteArray &bytes) override;
    QString scratchFolder() override;

    // The moments of a save after which a crash leaves something behind.
    enum class SaveStep {
        TemporaryWritten, // a new file's content is on disk under its temporary name
        BackupWritten,    // the backup's content is written, not yet under the backup's name
        BackupKept,       // the backup copy and its folder are on disk, the file not yet touched
        FileHalfWritten,  // an in-place rewrite has written part of the new content
        FileRewritten,    // the new content is on disk, the backup not yet removed
    };
    // Called at each of those moments, so that a crash there can be staged.
    void onSaveStep(std::function<void(SaveStep)> hook) { m_saveStep = std::move(hook); }

private:
    ScratchFolder m_scratch;
    std::function<void(SaveStep)> m_saveStep;
};
