#pragma once

#include "windowplacement.h"

#include "platform/filesystem.h"
#include "platform/folders.h"
#include "platform/formwindow.h"
#include "platform/timer.h"

#include <QProcessEnvironment>
#include <QString>

// Remembers the main window's place, size and state from one session to
// the next in a small file of its own (never in "kvn.txt"). The window is
// put back where the file says at start; the file is rewritten a moment
// after the window was last moved, sized, maximised or restored, so that a
// crash or a kill keeps it, and at once when the window closes, so that of
// several copies of KVN the last to close wins. Nothing here is ever
// reported to the user: a file that cannot be read or written only means
// that the window starts at its first-start size.
class WindowPlacementKeeper
{
public:
    struct Services
    {
        FormWindow &window;
        FileSystem &files;
        Folders &folders;
        Timer &timer; // waits for the window to settle before a write
    };

    // file is where the placement is kept; an empty name keeps nothing.
    WindowPlacementKeeper(Services services, QString file);
    ~WindowPlacementKeeper();

    WindowPlacementKeeper(const WindowPlacementKeeper &) = delete;
    WindowPlacementKeeper &operator=(const WindowPlacementKeeper &) = delete;

    // Puts the window where the file says, brought onto the screens there
    // are now; the window, not yet shown, then shows in the kept state.
    // False when there is no usable file: the window is left as it is.
    bool restore(TwipSize minimum);

    // The window moved, was resized or changed state: the file follows
    // once it has been still for settleMs.
    void changed();

    // Writes the window's placement now, when it differs from what the
    // file holds.
    void save();

    static constexpr int settleMs = 1000;

    // $XDG_CONFIG_HOME/kvn/window.conf, with ~/.config for an unset or
    // relative XDG_CONFIG_HOME.
    static QString defaultFile(const QProcessEnvironment &environment);

private:
    // The window's placement now: a window that is not in the normal state
    // has the normal bounds last seen.
    WindowPlacement current();

    Services m_services;
    QString m_file;
    std::optional<TwipRect> m_normalBounds;
    QByteArray m_written; // what the file is known to hold
};
