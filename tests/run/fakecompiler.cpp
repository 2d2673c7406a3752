// A stand-in compiler whose behaviour the environment chooses, so that the
// run can be tried against every way a compiler ends.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    const char *mode = std::getenv("FAKE_COMPILER_MODE");
    if (!mode)
        mode = "clean";
    std::printf("fake compiler, %d arguments:", argc - 1);
    for (int i = 1; i < argc; ++i)
        std::printf(" [%s]", argv[i]);
    std::printf("\n");
    std::fflush(stdout);
    if (!std::strcmp(mode, "clean"))
        return 0;
    if (!std::strcmp(mode, "warnings")) {
        std::printf("a.cpp:2:5: warning: unused variable 'x'\n");
        return 0;
    }
    if (!std::strcmp(mode, "errors")) {
        std::printf("a.cpp:3:1: error: expected ';'\n");
        return 1;
    }
    if (!std::strcmp(mode, "fatal0")) {
        std::printf("Fatal F1003 a.cpp 1: cannot go on\n");
        return 0;
    }
    if (!std::strcmp(mode, "stderr")) {
        std::fprintf(stderr, "a.cpp:1: error: said on standard error\n");
        return 1;
    }
    if (!std::strcmp(mode, "crash")) {
        std::raise(SIGSEGV);
        return 0;
    }
    if (!std::strcmp(mode, "hang")) {
        // A child of its own as well, as a compiler driver has.
        if (fork() == 0) {
            for (;;)
                pause();
        }
        for (;;)
            pause();
    }
    return 2;
}
