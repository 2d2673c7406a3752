#pragma once

#include <QByteArray>
#include <QString>

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

    // The whole file, once the writes asked for before are done; nothing
    // when it is missing or is not a plain file.
    virtual std::optional<QByteArray> read(const QString &name) = 0;

    // Marks the file as this copy of the program's own until release() or
    // the program's end, however it ends. False when another running copy
    // has marked it (or the folder cannot be used).
    virtual bool claim(const QString &name) = 0;
    virtual void release(const QString &name) = 0;
};
