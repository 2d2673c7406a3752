#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Files the program keeps for itself between runs, in a folder of its own
// that only the user may enter. A file is replaced whole: a reader finds the
// old content or the new, never a mixture, and a symbolic link in the
// folder's place or a file's place is never written through.
//
// Writes may happen on a worker thread so that a large file does not hold up
// the window; writes and removals still take effect in the order asked.
class StateFiles
{
public:
    virtual ~StateFiles() = default;

    // The folder, for messages that name it.
    virtual QString folder() const = 0;

    // Replaces the file name with what produce returns. produce may run on
    // another thread, so it must work only on what it captured by value.
    virtual void write(const QString &name, std::function<QByteArray()> produce) = 0;

    // Removes the file; a missing file is no error.
    virtual void remove(const QString &name) = 0;

    // Waits until every write and removal asked for is done.
    virtual void finish() = 0;

    // The size of the file, once the writes asked for before are done;
    // nothing when it is missing or is not a plain file.
    virtual std::optional<qint64> size(const QString &name) = 0;

    // The whole file, once the writes asked for before are done; nothing
    // when it is missing, is not a plain file or holds more than limit
    // bytes, whatever size it reported.
    virtual std::optional<QByteArray> read(const QString &name, qint64 limit) = 0;

    // The names of the plain files in the folder, hidden ones (names that
    // begin with '.') left out, once the writes asked for before are done.
    virtual QStringList names() = 0;

    // Removes what writes left half done when a program ended in the
    // middle of them, and the marks ended copies left on names that are no
    // file; what copies still running have made stays.
    virtual void removeLeftovers() = 0;

    // Why the last write that ended failed, as a phrase for the user;
    // nothing when it succeeded or none ended yet. Does not wait for writes
    // under way.
    virtual std::optional<QString> writeError() = 0;

    // Marks the file as this copy of the program's own until release() or
    // the program's end, however it ends; a name may be marked without a
    // file of that name. False when another running copy has marked it (or
    // the folder cannot be used).
    virtual bool claim(const QString &name) = 0;
    // Whether another running copy holds a mark on a name that begins
    // with prefix.
    virtual bool claimedByAnother(const QString &prefix) = 0;
    // Lets go of the mark once the writes and removals asked for before are
    // done, so that another copy never takes a file this one is about to
    // remove; a claim() made before then keeps it.
    virtual void release(const QString &name) = 0;
};
