#pragma once

#include "platform/statefiles.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <algorithm>

// State files in memory. Writes, removals and releases happen at once, or,
// with holdBack set, wait for finish() or a read as a slow worker's would.
class FakeStateFiles : public StateFiles
{
public:
    QString folder() const override { return QStringLiteral("/home/user/.local/state/kvn"); }

    void write(const QString &name, std::function<QByteArray()> produce) override
    {
        m_jobs.append([this, name, produce = std::move(produce)] {
            QByteArray bytes = produce();
            if (!failWrites.isEmpty()) {
                lastError = failWrites;
                return;
            }
            lastError.reset();
            files.insert(name, std::move(bytes));
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

    std::optional<qint64> size(const QString &name) override
    {
        finish();
        if (!files.contains(name))
            return std::nullopt;
        return sizes.value(name, files.value(name).size());
    }

    std::optional<QByteArray> read(const QString &name, qint64 limit) override
    {
        finish();
        reads.append(name);
        if (!files.contains(name) || sizes.value(name, files.value(name).size()) > limit)
            return std::nullopt;
        return files.value(name);
    }

    QStringList names() override
    {
        finish();
        return files.keys();
    }

    void removeLeftovers() override { ++leftoverSweeps; }

    std::optional<QString> writeError() override { return lastError; }

    bool claim(const QString &name) override
    {
        if (claimedElsewhere.contains(name))
            return false;
        if (!claimed.contains(name))
            claimed.append(name);
        return true;
    }

    bool claimedByAnother(const QString &prefix) override
    {
        return std::any_of(claimedElsewhere.cbegin(), claimedElsewhere.cend(),
                           [&prefix](const QString &name) { return name.startsWith(prefix); });
    }

    void release(const QString &name) override
    {
        m_jobs.append([this, name] { claimed.removeAll(name); });
        if (!holdBack)
            finish();
    }

    bool holdBack = false;
    QString failWrites;           // when set, every write fails for this reason
    std::optional<QString> lastError;
    QStringList claimed;          // by this copy of the program
    QStringList claimedElsewhere; // by another copy, still running
    QMap<QString, QByteArray> files;
    QMap<QString, qint64> sizes; // a size to report in place of a file's own
    QStringList writes;   // names, in the order written
    QStringList removals; // names, in the order removed
    QStringList reads;    // names, in the order read
    int leftoverSweeps = 0;

private:
    QList<std::function<void()>> m_jobs;
};
