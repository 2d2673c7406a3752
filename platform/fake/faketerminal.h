#pragma once

#include "platform/terminal.h"

#include <QList>
#include <QStringList>

// Records every program it is asked to run; answers with a scripted result
// (success unless failNext was called). The programs in running count as
// still running until stop() ends them, unless the test made them refuse.
class FakeTerminal : public Terminal
{
public:
    struct Call
    {
        QString program;
        QString workingFolder;
    };

    void failNext(const QString &error) { m_next = {false, error}; }

    Result run(const QString &program, const QString &workingFolder) override
    {
        calls.append({program, workingFolder});
        const Result result = m_next;
        m_next = {};
        return result;
    }

    bool isRunning(const QString &program) override { return running.contains(program); }

    bool stop(const QString &program) override
    {
        stops.append(program);
        if (!refuseToEnd)
            running.removeAll(program);
        return !running.contains(program);
    }

    QList<Call> calls;
    QStringList running;
    QStringList stops;
    bool refuseToEnd = false;

private:
    Result m_next;
};
