#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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
        // False when a failed write could not put the old content back; the
        // error then says where that content is kept.
        bool fileUnchanged = true;
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
    // another program has written the file. The change time cannot be set
    // back by the file's owner, so a file swapped for one of the same size
    // and modification time still shows.
    struct Stamp
    {
        qint64 size = 0;
        qint64 modifiedNs = 0;
        quint64 inode = 0;
        qint64 changedNs = 0;
        quint32 mode = 0;
        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    virtual std::optional<Stamp> stamp(const QString &path) const = 0;

    // Replaces the file's content, atomically where it can: after a failure
    // the old file is left as it was (or absent, when there was none), or,
    // when it cannot be put back, its old content stays in the backup that
    // the error names (fileUnchanged false). Symbolic links
    // are followed to their end, as many as there are, and the file they
    // end at is written (made when it does not exist yet); an existing file
    // keeps its permissions; a file the user may not write is not replaced.
    // A file with other names (hard links) or of another owner, or one in
    // a folder where no new file can be made, is rewritten in place: a
    // backup copy of its old content, private to the user, is kept until
    // the new content is verified, so the file keeps its links and owner. A
    // backup left by an earlier save is never overwritten or removed. The
    // error is a sentence for the user; it names the file it is about when
    // that is not path (the folder, the file a link leads to, the backup).
    virtual WriteResult write(const QString &path, const QByteArray &bytes) = 0;

    // The backups that saves of path (followed to its end, as write() does)
    // left behind when they were stopped midway, sorted by name. Each
    // may hold the only whole copy of the file's old content.
    virtual QStringList leftoverBackups(const QString &path) const = 0;

    // Puts bytes at path atomically as a file of the program's own, for its
    // scratch files: whatever is there (a symbolic link, a file planted by
    // someone else) is replaced, never followed or written through.
    virtual WriteResult replace(const QString &path, const QByteArray &bytes) = 0;

    // A folder of this process's own that only its user may enter, made on
    // first use and removed when the program ends (normally or by a
    // termination signal; one left by a killed copy is removed at the next
    // start), ending with '/'; empty when none could be made.
    virtual QString scratchFolder() = 0;
};
