#pragma once

// Waits (at most two seconds) until the clock has left the tick in which
// anything under folder last changed. kvncc does not keep a precompiled
// header built from a file that changed in or after the tick its build
// started, since it cannot tell which text the compiler read; a test that
// writes a header and compiles at once would otherwise race the clock.
#include <QDirIterator>
#include <QFile>
#include <QString>

#include <chrono>
#include <thread>

#include <sys/stat.h>
#include <time.h>

inline void waitUntilSettled(const QString &folder)
{
    const auto nanoseconds = [](const timespec &t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    std::int64_t latest = 0;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        struct stat info {};
        if (::stat(QFile::encodeName(it.next()).constData(), &info) == 0)
            latest = std::max(latest, nanoseconds(info.st_ctim));
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
        timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        // Two ticks of the kernel's coarse clock, with room to spare.
        if (nanoseconds(now) - 25'000'000 > latest || std::chrono::steady_clock::now() > until)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
