#include "kvncc/keywait.h"

#include <cerrno>
#include <termios.h>
#include <unistd.h>

namespace kvncc {

namespace {
bool readOne()
{
    char key = 0;
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, &key, 1);
        if (n == 1)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}
} // namespace

bool waitForKey(bool dropTypeahead)
{
    termios saved;
    if (::tcgetattr(STDIN_FILENO, &saved) != 0)
        return readOne();
    termios raw = saved;
    raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(STDIN_FILENO, dropTypeahead ? TCSAFLUSH : TCSANOW, &raw);
    const bool got = readOne();
    // A key such as an arrow sends several bytes; the rest must not reach
    // whatever reads the terminal next.
    ::tcflush(STDIN_FILENO, TCIFLUSH);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    return got;
}

} // namespace kvncc
