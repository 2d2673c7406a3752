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

    // Why path cannot be read as a file: empty for a regular file;
    // otherwise a phrase for the user ("there is no such file", "it is a
    // folder", "it is not a regular file but a pipe or a device", or the
    // system's reason).
    virtual QString whyNotAFile(const QString &path) const = 0;

    // Empty when the file belongs to the user running the program and no
    // one else may change it; otherwise why someone else may have written
    // it ("it belongs to another user", "other users may change it").
    virtual QString whyNotYoursAlone(const QString &path) const = 0;

    // The whole file, or nothing when it cannot be read: it is not a
    // regular file (a pipe or a device is never opened for reading, so it
    // cannot hang the program), or it holds more than limit bytes, whatever
    // size it reported.
    static constexpr qint64 noLimit = -1;
    virtual std::optional<QByteArray> read(const QString &path, qint64 limit = noLimit) const = 0;

    // What tells one state of a file from another: when any of it differs,
    // another program has written the file.
    struct Stamp
    {
        qint64 size = 0;
        qint64 modifiedNs = 0;
        quint64 inode = 0;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    virtual std::optional<Stamp> stamp(const QString &path) const = 0;

    // Replaces the file's content atomically: after a failure the old file
    // is left as it was (or absent, when there was none). A symbolic link
    // is written through to its target and an existing file keeps its
    // permissions; a file the user may not write is not replaced. A file
    // with other names (hard links) or of another owner is rewritten in
    // place, a backup copy beside it until the new content is verified, so
    // it keeps its links and owner. The error names the system's reason.
    virtual WriteResult write(const QString &path, const QByteArray &bytes) = 0;

    // Puts bytes at path atomically as a file of the program's own, for its
    // scratch files: whatever is there (a symbolic link, a file planted by
    // someone else) is replaced, never followed or written through.
    virtual WriteResult replace(const QString &path, const QByteArray &bytes) = 0;

    // A folder of this process's own that only its user may enter, made on
    // first use and removed when the program ends, ending with '/'; empty
    // when none could be made.
    virtual QString scratchFolder() = 0;
};
