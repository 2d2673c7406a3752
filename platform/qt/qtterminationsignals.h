#pragma once

#include "platform/terminationsignals.h"

#include <memory>

class QSocketNotifier;

// The signal handler only writes the signal's number into one end of a
// socket pair; a notifier on the other end calls the program's handler from
// the event loop, where it may do anything. When several instances live at
// once, the one that set its handler last is told.
class QtTerminationSignals : public TerminationSignals
{
public:
    QtTerminationSignals();
    ~QtTerminationSignals() override;
    QtTerminationSignals(const QtTerminationSignals &) = delete;
    QtTerminationSignals &operator=(const QtTerminationSignals &) = delete;

    void onSignal(std::function<void(int signal)> handler) override;

    // Ends the process as the signal's usual action would, so that whoever
    // sent it sees the program ended by it.
    [[noreturn]] static void endBy(int signal);

private:
    void arrived();

    std::function<void(int)> m_handler;
    int m_sockets[2] = {-1, -1}; // [0] written by the signal handler, [1] read by the notifier
    std::unique_ptr<QSocketNotifier> m_notifier;
};
