#pragma once

#include "platform/process.h"

#include <QObject>
#include <QProcess>

class QtProcess : public QObject, public Process
{
    Q_OBJECT
public:
    explicit QtProcess(QObject *parent = nullptr);
    ~QtProcess() override;

    void start(const QString &program, const QStringList &arguments, const QString &workingFolder,
               std::function<void(const Result &)> done) override;
    bool isRunning() const override { return m_process != nullptr; }
    void stop() override;

private:
    void finish(Result result);

    QProcess *m_process = nullptr;
    std::function<void(const Result &)> m_done;
    bool m_stopping = false;
};
