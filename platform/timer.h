#pragma once

#include <functional>

// A repeating timer on the user-interface thread. Handlers that want a
// one-shot event disable the timer on their first tick.
class Timer
{
public:
    virtual ~Timer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    // Replaces the handler called on every tick.
    virtual void onTimeout(std::function<void()> handler) = 0;
};
