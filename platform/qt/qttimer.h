#pragma once

#include "platform/timer.h"

#include <QTimer>

class QtTimer : public Timer
{
public:
    QtTimer() { QObject::connect(&m_timer, &QTimer::timeout, [this] { if (m_handler) m_handler(); }); }
    void setInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int interval() const override { return m_timer.interval(); }
    void setEnabled(bool enabled) override { enabled ? m_timer.start() : m_timer.stop(); }
    bool isEnabled() const override { return m_timer.isActive(); }
    void onTimeout(std::function<void()> handler) override { m_handler = std::move(handler); }

private:
    QTimer m_timer;
    std::function<void()> m_handler;
};
