#pragma once

#include "platform/terminal.h"

#include <QList>

// Records every program it is asked to run; answers with a scripted result
// (success unless failNext was called).
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

    QList<Call> calls;

private:
    Result m_next;
};
