#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Runs one outside program at a time without blocking the windows; the
// program gets a process group of its own, so stopping it also stops what
// it started.
class Process
{
public:
    virtual ~Process() = default;

    struct Result
    {
        enum class Outcome { Finished, FailedToStart, Crashed, Stopped };
        Outcome outcome = Outcome::Finished;
        int exitCode = 0;
        QString errorOutput; // what the program wrote to its standard error
        QString error;       // why it did not start or finish, for the user
    };

    // Starts program; done is called once, later, on the user-interface
    // thread, also when the program could not be started.
    virtual void start(const QString &program, const QStringList &arguments, const QString &workingFolder,
                       std::function<void(const Result &)> done) = 0;
    virtual bool isRunning() const = 0;
    // Ends the running program and its children; done then reports Stopped.
    virtual void stop() = 0;
};
