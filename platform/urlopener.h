#pragma once

#include <QString>

// Hands an address (a web address or a file: URL) to the desktop, which
// shows it in the user's web browser.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;

    // Asks the desktop to open address and returns at once. False when the
    // request was refused outright (no program to open it with); a browser
    // that fails later is not noticed.
    virtual bool open(const QString &address) = 0;
};
