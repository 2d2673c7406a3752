// Start-up time of a windowed program on the current X display: from the fork
// that starts it to the moment its first top-level window is mapped.
//
//   bench_startup [-n RUNS] [-t TIMEOUT_S] [-v] [--] COMMAND [ARG ...]
//
// Each run starts COMMAND in a process group of its own, waits for the map,
// then ends the group (SIGTERM, then SIGKILL). Prints each run's time and the
// median in milliseconds; -v also shows the window found and lets COMMAND's
// output through. Exit status: 0 when every run mapped a window, 1 when one
// did not (exited first or timed out), 2 on bad usage, 3 when there is no
// display.
//
// A window counts when it was created after the fork as a child of the root
// window and then mapped there. Without a window manager that is the
// program's own window; a reparenting window manager instead maps the frame
// it created for the window (the program's window is reparented into it
// first), and where that frame is not a child of the root (virtual roots)
// the reparenting itself is taken as the moment.

#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

namespace {

struct Options
{
    int runs = 10;
    double timeoutSeconds = 10;
    bool verbose = false;
    char **command = nullptr;
};

enum class Outcome { Mapped, Exited, TimedOut, NotStarted };

struct Run
{
    Outcome outcome = Outcome::NotStarted;
    Window window = 0;
    double millis = 0;
    int status = 0;
};

double nowMillis()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

void usage()
{
    std::fprintf(stderr, "usage: bench_startup [-n RUNS] [-t TIMEOUT_S] [-v] [--] COMMAND [ARG ...]\n");
    std::exit(2);
}

bool parseOptions(int argc, char **argv, Options &options)
{
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const char *arg = argv[i];
        if (!std::strcmp(arg, "--")) {
            ++i;
            break;
        }
        if (!std::strcmp(arg, "-v")) {
            options.verbose = true;
            continue;
        }
        if ((std::strcmp(arg, "-n") && std::strcmp(arg, "-t")) || i + 1 >= argc)
            return false;
        char *end = nullptr;
        const double value = std::strtod(argv[++i], &end);
        if (*end || !(value > 0))
            return false;
        if (arg[1] == 'n') {
            if (value != double(int(value)) || value > 10000)
                return false;
            options.runs = int(value);
        } else {
            options.timeoutSeconds = value;
        }
    }
    if (i >= argc)
        return false;
    options.command = argv + i;
    return true;
}

// True once the child has ended; it stays a zombie, so its process group
// cannot be reused before stopGroup() reaps it.
bool hasEnded(pid_t pid, int &status)
{
    siginfo_t info{};
    if (waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != pid)
        return false;
    status = info.si_status;
    return true;
}

void stopGroup(pid_t pid)
{
    kill(-pid, SIGTERM);
    int status = 0;
    const double deadline = nowMillis() + 2000;
    while (nowMillis() < deadline) {
        if (hasEnded(pid, status))
            break;
        usleep(10'000);
    }
    // Whatever of the group is left, the child's own children included.
    kill(-pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

pid_t start(const Options &options, int displayFd)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    setpgid(0, 0);
    close(displayFd);
    if (!options.verbose) {
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
    }
    execvp(options.command[0], options.command);
    std::fprintf(stderr, "bench_startup: cannot run %s: %s\n", options.command[0], std::strerror(errno));
    _exit(127);
}

// The title of a mapped window, or of the program's window inside a frame.
void printTitle(Display *display, Window window)
{
    char *name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        std::printf("  window 0x%lx \"%s\"\n", window, name);
        XFree(name);
        return;
    }
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &rootReturn, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i)
            printTitle(display, children[i]);
        if (children)
            XFree(children);
    }
}

Run runOnce(Display *display, Window root, const Options &options)
{
    // Events of earlier runs would only confuse this one.
    XSync(display, True);

    std::set<Window> created;
    Run run;
    const double started = nowMillis();
    const pid_t pid = start(options, ConnectionNumber(display));
    if (pid < 0) {
        std::fprintf(stderr, "bench_startup: fork: %s\n", std::strerror(errno));
        return run;
    }
    // Also in the parent, so that the group exists before any kill below.
    setpgid(pid, pid);

    const double deadline = started + options.timeoutSeconds * 1000;
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            const double at = nowMillis();
            if (event.type == CreateNotify) {
                const XCreateWindowEvent &e = event.xcreatewindow;
                if (e.parent == root && !e.override_redirect)
                    created.insert(e.window);
            } else if (event.type == MapNotify) {
                const XMapEvent &e = event.xmap;
                if (e.event == root && !e.override_redirect && created.count(e.window)) {
                    run.outcome = Outcome::Mapped;
                    run.millis = at - started;
                    run.window = e.window;
                }
            } else if (event.type == ReparentNotify) {
                const XReparentEvent &e = event.xreparent;
                // A frame that is a child of the root reports its own map;
                // any other new parent is a virtual root's, never seen here.
                if (e.event == root && e.parent != root && created.count(e.window) && !created.count(e.parent)) {
                    run.outcome = Outcome::Mapped;
                    run.millis = at - started;
                    run.window = e.window;
                }
            }
            if (run.outcome == Outcome::Mapped) {
                if (options.verbose) {
                    std::printf("  mapped 0x%lx\n", run.window);
                    printTitle(display, run.window);
                }
                stopGroup(pid);
                return run;
            }
        }
        if (hasEnded(pid, run.status)) {
            run.outcome = Outcome::Exited;
            run.millis = nowMillis() - started;
            stopGroup(pid);
            return run;
        }
        const double left = deadline - nowMillis();
        if (left <= 0) {
            run.outcome = Outcome::TimedOut;
            run.millis = nowMillis() - started;
            stopGroup(pid);
            return run;
        }
        // Woken by the X connection; a short period also notices an early exit.
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, int(std::min(left, 20.0)) + 1);
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parseOptions(argc, argv, options))
        usage();

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        const char *name = std::getenv("DISPLAY");
        std::fprintf(stderr, "bench_startup: cannot open X display '%s'\n", name ? name : "");
        return 3;
    }
    const Window root = DefaultRootWindow(display);
    // Before the first fork, so that no window of the program can be missed.
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);

    std::vector<double> mapped;
    int failed = 0;
    for (int i = 1; i <= options.runs; ++i) {
        const Run run = runOnce(display, root, options);
        switch (run.outcome) {
        case Outcome::Mapped:
            mapped.push_back(run.millis);
            std::printf("run %d: %.1f ms\n", i, run.millis);
            break;
        case Outcome::Exited:
            ++failed;
            std::printf("run %d: exited with status %d after %.1f ms without mapping a window\n", i,
                        run.status, run.millis);
            break;
        case Outcome::TimedOut:
            ++failed;
            std::printf("run %d: no window within %.1f s\n", i, options.timeoutSeconds);
            break;
        case Outcome::NotStarted:
            ++failed;
            std::printf("run %d: not started\n", i);
            break;
        }
        std::fflush(stdout);
    }
    XCloseDisplay(display);

    if (!mapped.empty())
        std::printf("median: %.1f ms over %zu runs\n", median(mapped), mapped.size());
    if (failed > 0) {
        std::printf("%d of %d runs mapped no window\n", failed, options.runs);
        return 1;
    }
    return 0;
}
