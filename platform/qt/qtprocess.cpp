#include "qtprocess.h"

#include <QPointer>
#include <QTimer>

#include <csignal>
#include <unistd.h>

QtProcess::QtProcess(QObject *parent)
    : QObject(parent)
{
}

QtProcess::~QtProcess()
{
    if (m_process) {
        m_done = nullptr;
        stop();
        m_process->waitForFinished(3000);
    }
}

void QtProcess::start(const QString &program, const QStringList &arguments, const QString &workingFolder,
                      std::function<void(const Result &)> done)
{
    m_done = std::move(done);
    m_stopping = false;
    m_process = new QProcess(this);
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    m_process->setWorkingDirectory(workingFolder);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    // A group of its own, so that stopping it reaches the compiler it runs.
    m_process->setChildProcessModifier([] { ::setpgid(0, 0); });
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        Result result;
        result.exitCode = exitCode;
        result.outcome = m_stopping ? Result::Outcome::Stopped
                         : status == QProcess::CrashExit ? Result::Outcome::Crashed
                                                         : Result::Outcome::Finished;
        if (result.outcome == Result::Outcome::Crashed)
            result.error = m_process->errorString();
        finish(result);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        Result result;
        result.outcome = Result::Outcome::FailedToStart;
        result.exitCode = -1;
        result.error = m_process->errorString();
        finish(result);
    });
    m_process->start();
}

void QtProcess::stop()
{
    if (!m_process || m_process->processId() <= 0)
        return;
    m_stopping = true;
    const pid_t group = pid_t(m_process->processId());
    ::kill(-group, SIGTERM);
    // A program that ignores the request is ended for good a little later.
    QPointer<QProcess> process = m_process;
    QTimer::singleShot(2000, this, [process, group] {
        if (process && process->state() != QProcess::NotRunning)
            ::kill(-group, SIGKILL);
    });
}

void QtProcess::finish(Result result)
{
    if (!m_process)
        return;
    QProcess *process = m_process;
    m_process = nullptr;
    result.errorOutput = QString::fromLocal8Bit(process->readAllStandardError());
    process->deleteLater();
    if (auto done = std::move(m_done)) {
        m_done = nullptr;
        done(result);
    }
}
