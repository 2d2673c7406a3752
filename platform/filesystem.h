#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Plain file operations on whole files. Paths are absolute or relative to the
// process's current folder; nothing here shows a message.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    struct WriteResult
    {
        bool ok = true;
        QString error; // a sentence for the user when !ok
    };

    // The process's current folder at the time of the call, with '/' at the end.
    virtual QString currentFolder() const = 0;

    // True for any existing file, hidden ones included.
    virtual bool exists(const QString &path) const = 0;

    // Deletes a file. False when it was missing or could not be deleted.
    virtual bool remove(const QString &path) = 0;

    // Whether the file is a program the user may run.
    virtual bool isExecutable(const QString &path) const = 0;

    // The file's length in bytes, or nothing when it does not exist.
    virtual std::optional<qint64> size(const QString &path) const = 0;

    // The whole file, or nothing when it cannot be read.
    virtual std::optional<QByteArray> read(const QString &path) const = 0;

    // Replaces the file's content atomically: after a failure the old file
    // is left as it was (or absent, when there was none). A symbolic link
    // is written through to its target and an existing file keeps its
    // permissions; a file the user may not write is not replaced.
    virtual WriteResult write(const QString &path, const QByteArray &bytes) = 0;
};
