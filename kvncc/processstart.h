#pragma once

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unistd.h>

namespace kvncc {

// When a living process started, in clock ticks after boot: field 22 of
// its /proc stat line. kvnrun records it beside the id of the program it
// runs, and KVN compares it before it signals that id, which a later
// process may have been given. 0 when the process is gone, has ended and
// only waits to be collected, or cannot be read.
// The first kilobyte of a small file (a /proc stat line, an id file),
// never read through a symbolic link; empty when it cannot be read.
inline std::string readSmallFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    char buffer[1024];
    ssize_t n = 0;
    do {
        n = ::read(fd, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    return std::string(buffer, n > 0 ? size_t(n) : 0);
}

inline unsigned long long processStartTime(pid_t pid)
{
    const std::string line = readSmallFile("/proc/" + std::to_string(pid) + "/stat");
    const std::string_view stat(line);
    // The name in parentheses may hold anything, spaces and ')' included;
    // the fields after its last ')' are the state (field 3) up to the start
    // time (field 22).
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string_view::npos || nameEnd + 2 >= stat.size())
        return 0;
    const char state = stat[nameEnd + 2];
    if (state == 'Z' || state == 'X')
        return 0;
    size_t at = nameEnd + 1;
    for (int field = 3; field <= 22; ++field) {
        at = stat.find(' ', at);
        if (at == std::string_view::npos)
            return 0;
        ++at;
    }
    const size_t stop = stat.find(' ', at);
    const std::string start(stat.substr(at, stop == std::string_view::npos ? std::string_view::npos : stop - at));
    if (start.empty() || start.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::strtoull(start.c_str(), nullptr, 10);
}

} // namespace kvncc
