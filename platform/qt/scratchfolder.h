#pragma once

#include <QString>

// A folder of this process's own that only its user may enter, for the
// program's scratch files. It is made on first use and removed when its
// owner goes, when the program ends normally and when a termination signal
// (SIGTERM, SIGHUP, SIGINT) ends it. A folder whose program was killed
// outright is removed by the next start: every folder is locked for as long
// as its program runs.
class ScratchFolder
{
public:
    ScratchFolder() = default;
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    ~ScratchFolder();

    // The folder, ending with '/'; made anew when a signal's handler removed
    // it. Empty when none could be made.
    QString path();

    // Removes this user's scratch folders that no running program holds.
    // Never follows a symbolic link.
    static void removeStale();

private:
    void remove();

    QString m_path;
    int m_fd = -1; // open and locked while the folder is in use
    int m_slot = -1;
};
