#pragma once

#include "platform/statefiles.h"

#include <QList>
#include <QMap>
#include <QStringList>

// State files in memory. Writes and removals happen at once, or, with
// holdBack set, wait for finish() or read() as a slow worker's would.
class FakeStateFiles : public StateFiles
{
public:
    QString folder() const override { return QStringLiteral("/home/user/.local/state/kvn"); }

    void write(const QString &name, std::function<QByteArray()> produce) override
    {
        m_jobs.append([this, name, produce = std::move(produce)] {
            files.insert(name, produce());
            writes.append(name);
        });
        if (!holdBack)
            finish();
    }

    void remove(const QString &name) override
    {
        m_jobs.append([this, name] {
            files.remove(name);
            removals.append(name);
        });
        if (!holdBack)
            finish();
    }

    void finish() override
    {
        while (!m_jobs.isEmpty())
            m_jobs.takeFirst()();
    }

    std::optional<QByteArray> read(const QString &name) override
    {
        finish();
        if (!files.contains(name))
            return std::nullopt;
        return files.value(name);
    }

    bool claim(const QString &name) override
    {
        if (claimedElsewhere.contains(name))
            return false;
        if (!claimed.contains(name))
            claimed.append(name);
        return true;
    }

    void release(const QString &name) override { claimed.removeAll(name); }

    bool holdBack = false;
    QStringList claimed;          // by this copy of the program
    QStringList claimedElsewhere; // by another copy, still running
    QMap<QString, QByteArray> files;
    QStringList writes;   // names, in the order written
    QStringList removals; // names, in the order removed

private:
    QList<std::function<void()>> m_jobs;
};
