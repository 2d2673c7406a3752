// Stands in the compiler's place for bench_compileloop: notes when the
// compiler starts and ends (CLOCK_MONOTONIC, the clock Qt's timers read)
// in the file named by KVN_BENCH_STAMPS, and runs KVN_BENCH_COMPILER with
// its own arguments in between. Its exit status is the compiler's. It links
// nothing but the C library, so it adds little to what it measures.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

long long now()
{
    timespec t {};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

void note(const char *what, long long when)
{
    const char *stamps = std::getenv("KVN_BENCH_STAMPS");
    if (!stamps)
        return;
    if (FILE *file = std::fopen(stamps, "a")) {
        std::fprintf(file, "%s %lld\n", what, when);
        std::fclose(file);
    }
}

} // namespace

int main(int, char **argv)
{
    const long long started = now();
    const char *compiler = std::getenv("KVN_BENCH_COMPILER");
    if (!compiler) {
        std::puts("compilerstamp: fatal: KVN_BENCH_COMPILER names no compiler");
        return 1;
    }
    argv[0] = const_cast<char *>(compiler);
    pid_t pid = 0;
    if (const int problem = ::posix_spawn(&pid, compiler, nullptr, nullptr, argv, environ)) {
        std::printf("compilerstamp: fatal: cannot start %s: %s\n", compiler, std::strerror(problem));
        return 1;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    note("start", started);
    note("end", now());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
