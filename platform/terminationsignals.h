#pragma once

#include <functional>

// The requests to end the program that arrive as signals: SIGTERM (kill, a
// shutdown, a logout without a session manager), SIGHUP (the terminal went
// away) and SIGINT (Ctrl+C in the terminal that started it).
class TerminationSignals
{
public:
    virtual ~TerminationSignals() = default;

    // handler runs on the user-interface thread, soon after the signal came,
    // with the signal's number. Without a handler the signals keep their
    // usual effect.
    virtual void onSignal(std::function<void(int signal)> handler) = 0;
};
