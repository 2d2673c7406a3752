#pragma once

#include <QByteArray>

#include <cerrno>
#include <unistd.h>

// Writes all of bytes to the descriptor, going on after interrupted and short
// writes. False on an error, which errno then tells.
inline bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}
