#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

// Runs a program on a pseudo-terminal, as in a terminal window: the test
// waits for a text to appear and then types keys, one exchange after the
// other.
struct PtySession
{
    struct Exchange
    {
        QByteArray waitFor; // typed once this has appeared in the output
        QByteArray keys;    // typed a moment later, once the program waits for them
    };

    QByteArray output;
    int exitCode = -1;
    bool canonicalAfterwards = false; // the terminal's line mode when the program ended
    bool finished = false;

    // Runs argv (argv[0] a path) with the given exchanges; gives up after
    // timeoutMs.
    static PtySession run(const QStringList &argv, const QList<Exchange> &exchanges, int timeoutMs = 20000)
    {
        PtySession session;
        int master = -1;
        const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
        if (pid < 0)
            return session;
        if (pid == 0) {
            QList<QByteArray> storage;
            std::vector<char *> args;
            for (const QString &a : argv)
                storage.append(a.toLocal8Bit());
            for (QByteArray &a : storage)
                args.push_back(a.data());
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        QElapsedTimer clock;
        clock.start();
        qsizetype next = 0;
        qsizetype searchFrom = 0;
        for (;;) {
            if (next < exchanges.size()) {
                const qsizetype at = session.output.indexOf(exchanges[next].waitFor, searchFrom);
                if (at >= 0) {
                    searchFrom = at + exchanges[next].waitFor.size();
                    // The program prints its prompt just before it switches
                    // the terminal to single keys; a key typed in between
                    // would still go through the line editing.
                    ::usleep(100000);
                    (void)!::write(master, exchanges[next].keys.constData(), size_t(exchanges[next].keys.size()));
                    ++next;
                    continue;
                }
            }
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                termios mode;
                session.canonicalAfterwards = ::tcgetattr(master, &mode) == 0 && (mode.c_lflag & ICANON);
                session.drain(master);
                session.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                session.finished = true;
                break;
            }
            if (clock.elapsed() > timeoutMs) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                break;
            }
            pollfd readable{master, POLLIN, 0};
            if (::poll(&readable, 1, 50) > 0)
                session.drain(master);
        }
        ::close(master);
        return session;
    }

private:
    void drain(int master)
    {
        char buffer[4096];
        pollfd readable{master, POLLIN, 0};
        while (::poll(&readable, 1, 0) > 0) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            output.append(buffer, n);
        }
    }
};
