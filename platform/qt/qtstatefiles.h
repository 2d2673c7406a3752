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
    std::optional<qint64> size(const QString &name) override;
    std::optional<QByteArray> read(const QString &name, qint64 limit) override;
    QStringList names() override;
    // A write makes its temporary file under a hidden name and locks it
    // until the rename; a temporary file nobody has locked is a leftover,
    // as is the lock file of a claim nobody holds on a name that is no file.
    void removeLeftovers() override;
    std::optional<QString> writeError() override;
    // A claim is a lock on a hidden file beside the file; the system drops
    // it when the program ends.
    bool claim(const QString &name) override;
    // Another copy's mark is a lock this copy cannot share.
    bool claimedByAnother(const QString &prefix) override;
    void release(const QString &name) override;

private:
    void post(std::function<void()> job);
    void run();
    // The folder opened as a descriptor, made first when create is set;
    // -1 when it is missing or not safe to use, with why set to a phrase
    // for the user when asked for.
    int openFolder(bool create, QString *why = nullptr) const;
    // Empty when written, else why not.
    QString writeNow(const QString &name, const QByteArray &bytes) const;
    void removeNow(const QString &name) const;
    void releaseNow(const QString &name);
    void removeLeftoversNow() const;

    struct Claim
    {
        int fd = -1;          // the locked descriptor
        bool releasing = false; // a release is queued behind the worker's jobs
    };

    const QString m_folder;
    QHash<QString, Claim> m_claims; // guarded by m_mutex
    std::optional<QString> m_writeError; // guarded by m_mutex
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_worker; // started by the first job, so an idle program has no thread for it
};
