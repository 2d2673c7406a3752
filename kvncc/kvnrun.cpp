// kvnrun [--id-file FILE] PROGRAM [ARGUMENT ...]: runs a program KVN built
// inside the terminal window KVN opened for it, then says how long it ran
// and how it ended, and waits for a key so that the window stays readable.
// With --id-file, KVN learns which process is the program while it runs.
#include "kvncc/keywait.h"
#include "kvncc/process.h"
#include "kvncc/processstart.h"
#include "kvncc/runreport.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#ifndef KVNRUN_INSTALLED_PAUSE
#define KVNRUN_INSTALLED_PAUSE "../libexec/kvn"
#endif

extern char **environ;

namespace {

// Puts the folder of our "pause" command first on the search path, so that
// system("pause") in the program finds it.
void offerPause()
{
    const std::string own = kvncc::ownFolder();
    for (const std::string &folder : {own + "/libexec/kvn", own + "/" + KVNRUN_INSTALLED_PAUSE}) {
        if (kvncc::isExecutableFile(folder + "/pause")) {
            const char *path = std::getenv("PATH");
            const std::string value = folder + (path && *path ? ":" + std::string(path) : std::string());
            ::setenv("PATH", value.c_str(), 1);
            return;
        }
    }
    kvncc::writeOut("kvnrun: the pause command was not found beside kvnrun; system(\"pause\") will not wait\n");
}

// Names the program's process for KVN: its id and its start time, which a
// later process given the same id does not share. Written whole under
// another name first, so that KVN never reads half of it.
void writeIdFile(const std::string &file, pid_t pid)
{
    const std::string line = std::to_string(pid) + ' ' + std::to_string(kvncc::processStartTime(pid)) + '\n';
    const std::string partial = file + ".new";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    bool whole = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
    whole = ::close(fd) == 0 && whole;
    if (!whole || ::rename(partial.c_str(), file.c_str()) != 0)
        ::unlink(partial.c_str());
}

int finish(int status)
{
    kvncc::writeOut(kvncc::pausePrompt);
    kvncc::waitForKey(true);
    kvncc::writeOut("\n");
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    constexpr const char *usage = "Usage: kvnrun [--id-file FILE] [--] PROGRAM [ARGUMENT ...]\n"
                                  "Runs PROGRAM, reports how long it ran and how it ended, and waits for a key.\n"
                                  "Its exit status is PROGRAM's (128 + the signal that ended it; 127 when it\n"
                                  "could not be started). \"--\" lets PROGRAM begin with a dash.\n"
                                  "--id-file FILE: while PROGRAM runs, FILE holds its process id and start time.\n";
    int first = 1;
    if (first < argc) {
        const std::string_view word = argv[first];
        if (word == "--help" || word == "-h") {
            kvncc::writeOut(usage);
            return 0;
        }
        if (word == "--version") {
            kvncc::writeOut("kvnrun (Korvane) " KVN_VERSION "\n");
            return 0;
        }
    }
    std::string idFile;
    if (first + 1 < argc && std::string_view(argv[first]) == "--id-file") {
        idFile = argv[first + 1];
        first += 2;
    }
    if (first < argc && std::string_view(argv[first]) == "--")
        ++first;
    if (first >= argc) {
        kvncc::writeOut(usage);
        return 2;
    }
    offerPause();

    std::string program = argv[first];
    // A bare name means the file in the current folder, as on the classic console.
    if (program.find('/') == std::string::npos && kvncc::isExecutableFile(program))
        program = "./" + program;
    std::vector<char *> args(argv + first, argv + argc);
    args[0] = program.data();
    args.push_back(nullptr);

    // Ctrl+C ends the program, not the report after it.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, program.c_str(), nullptr, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        kvncc::writeOut("kvnrun: cannot start " + program + ": " + std::strerror(spawned) + "\n");
        return finish(127);
    }
    if (!idFile.empty())
        writeIdFile(idFile, pid);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!idFile.empty())
        ::unlink(idFile.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;

    kvncc::writeOut("\n" + kvncc::exitReport(seconds, exitCode, signal) + "\n");
    return finish(kvncc::reportedStatus(exitCode, signal));
}
