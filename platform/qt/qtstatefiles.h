#pragma once

#include "platform/statefiles.h"

#include <QHash>
#include <QProcessEnvironment>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// State files in a folder of the user's, written and removed by one worker
// thread in the order asked. The folder is made (mode 0700) on the first
// write; a folder that others may enter is closed to them, and one that is
// a symbolic link or belongs to another user is not used at all.
class QtStateFiles : public StateFiles
{
public:
    explicit QtStateFiles(QString folder);
    ~QtStateFiles() override;

    // $XDG_STATE_HOME/kvn, or ~/.local/state/kvn when XDG_STATE_HOME is not
    // set to an absolute path.
    static QString defaultFolder(const QProcessEnvironment &environment);

    QString folder() const override { return m_folder; }
    void write(const QString &name, std::function<QByteArray()> produce) override;
    void remove(const QString &name) override;
    void finish() override;
    std::optional<QByteArray> read(const QString &name) override;
    // A claim is a lock on a hidden file beside the file; the system drops
    // it when the program ends.
    bool claim(const QString &name) override;
    void release(const QString &name) override;

private:
    void post(std::function<void()> job);
    void run();
    // The folder opened as a descriptor, made first when create is set;
    // -1 when it is missing or not safe to use.
    int openFolder(bool create) const;
    bool writeNow(const QString &name, const QByteArray &bytes) const;
    void removeNow(const QString &name) const;

    const QString m_folder;
    QHash<QString, int> m_claims; // name, and the locked descriptor; touched by the caller's thread only
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_worker; // started by the first job, so an idle program has no thread for it
};
