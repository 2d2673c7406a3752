#pragma once

#include "platform/timer.h"

// A timer that ticks only when the test says so.
class FakeTimer : public Timer
{
public:
    void setInterval(int milliseconds) override { m_interval = milliseconds; }
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    bool isEnabled() const override { return m_enabled; }
    void onTimeout(std::function<void()> handler) override { m_handler = std::move(handler); }

    // Delivers one tick if the timer is enabled; returns whether it did.
    bool tick()
    {
        if (!m_enabled || !m_handler)
            return false;
        m_handler();
        return true;
    }

private:
    int m_interval = 0;
    bool m_enabled = true;
    std::function<void()> m_handler;
};
