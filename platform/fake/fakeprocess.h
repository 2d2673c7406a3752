#pragma once

#include "platform/process.h"

#include <QList>

// A program that ends when the test says so.
class FakeProcess : public Process
{
public:
    struct Call
    {
        QString program;
        QStringList arguments;
        QString workingFolder;
    };

    void start(const QString &program, const QStringList &arguments, const QString &workingFolder,
               std::function<void(const Result &)> done) override
    {
        calls.append({program, arguments, workingFolder});
        m_done = std::move(done);
        if (onStart)
            onStart(calls.last());
    }
    bool isRunning() const override { return bool(m_done); }
    void stop() override
    {
        ++stops;
        finish({Result::Outcome::Stopped, -1, {}, QStringLiteral("stopped")});
    }

    // Ends the running program with this result.
    void finish(const Result &result)
    {
        auto done = std::move(m_done);
        m_done = nullptr;
        if (done)
            done(result);
    }

    // Runs at every start, before the test goes on: a stand-in for what the
    // program would do (write its output file, say).
    std::function<void(const Call &)> onStart;
    QList<Call> calls;
    int stops = 0;

private:
    std::function<void(const Result &)> m_done;
};
