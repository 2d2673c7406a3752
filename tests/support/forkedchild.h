#pragma once

#include <QByteArray>

#include <functional>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// A copy of the test process that runs body and ends as body ends it (a
// signal, _exit) or with status 0. What it writes to the descriptor body is
// given comes back in output. For a crash staged at a chosen moment.
struct ForkedChild
{
    int status = -1;
    QByteArray output;

    static ForkedChild run(const std::function<void(int out)> &body)
    {
        ForkedChild child;
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return child;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            body(fds[1]);
            ::_exit(0);
        }
        ::close(fds[1]);
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
            child.output.append(buffer, n);
        ::close(fds[0]);
        if (pid > 0)
            ::waitpid(pid, &child.status, 0);
        return child;
    }

    static void say(int out, const QByteArray &bytes)
    {
        [[maybe_unused]] const ssize_t written = ::write(out, bytes.constData(), size_t(bytes.size()));
    }
};
