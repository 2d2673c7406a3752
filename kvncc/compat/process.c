/* <process.h>: the spawn functions. Weak, like the whole old library, so
   that a program's own function of the same name wins. */
#define _GNU_SOURCE
#include <process.h>

#include "console.h"

#include <errno.h>
#include <spawn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

static int is_file(const char *path)
{
    struct stat status;
    return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

/* The program a DOS path names here: as it is, else with backslashes as
   folder separators and without a drive letter ("C:"), each also with the
   ".exe" the old systems added (the programs kvncc builds keep it). The
   p forms looked in the current folder before PATH, so a bare name found
   there is made "./name". NULL for a path that names no file here, which
   the p forms then look up in PATH. The result is the caller's to free. */
static char *program_path(const char *path, int search)
{
    size_t length = strlen(path);
    char *dos = malloc(length + 7);
    char *tried[2];
    int i, k;
    if (!dos)
        return NULL;
    strcpy(dos, path);
    if (((dos[0] >= 'A' && dos[0] <= 'Z') || (dos[0] >= 'a' && dos[0] <= 'z')) && dos[1] == ':')
        memmove(dos, dos + 2, length - 1);
    for (i = 0; dos[i]; ++i) {
        if (dos[i] == '\\')
            dos[i] = '/';
    }
    tried[0] = (char *)path;
    tried[1] = dos;
    for (k = 0; k < 2; ++k) {
        for (i = 0; i < 2; ++i) {
            char *candidate = malloc(strlen(tried[k]) + 7);
            if (!candidate)
                break;
            strcpy(candidate, search && !strchr(tried[k], '/') ? "./" : "");
            strcat(candidate, tried[k]);
            if (i)
                strcat(candidate, ".exe");
            if (is_file(candidate)) {
                free(dos);
                return candidate;
            }
            free(candidate);
        }
    }
    free(dos);
    return NULL;
}

static int spawn(int mode, const char *path, char *const argv[], char *const envp[], int search)
{
    char *program;
    pid_t child;
    int failure, status;
    if ((mode != P_WAIT && mode != P_NOWAIT && mode != P_OVERLAY) || !path || !argv) {
        errno = EINVAL;
        return -1;
    }
    /* What the caller wrote, to the screen and to its files, comes before
       what the program it starts does. */
    kvn_flush_output();
    fflush(NULL);
    program = program_path(path, search);
    if (!program && !(search && !strchr(path, '/') && !strchr(path, '\\'))) {
        errno = ENOENT;
        return -1;
    }
    if (mode == P_OVERLAY) {
        if (program)
            execve(program, argv, envp);
        else
            execvpe(path, argv, envp);
        free(program);
        return -1;
    }
    failure = program ? posix_spawn(&child, program, NULL, NULL, argv, envp)
                      : posix_spawnp(&child, path, NULL, NULL, argv, envp);
    free(program);
    if (failure) {
        errno = failure;
        return -1;
    }
    if (mode == P_NOWAIT)
        return (int)child;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status); /* as the shells report it */
    return WEXITSTATUS(status);
}

/* The arguments after arg0 up to the null pointer, and, with environment,
   the environment after it; NULL when memory runs out. */
static char **argument_list(const char *arg0, va_list arguments, int environment, char ***envp)
{
    va_list count;
    size_t n = 1, i;
    char **argv;
    va_copy(count, arguments);
    while (arg0 && va_arg(count, const char *))
        ++n;
    va_end(count);
    argv = malloc((n + 1) * sizeof *argv);
    if (!argv)
        return NULL;
    argv[0] = (char *)arg0;
    for (i = 1; arg0 && i < n; ++i)
        argv[i] = va_arg(arguments, char *);
    if (arg0)
        (void)va_arg(arguments, char *); /* the null pointer */
    argv[arg0 ? n : 0] = NULL;
    if (environment)
        *envp = va_arg(arguments, char **);
    return argv;
}

static int spawn_list(int mode, const char *path, const char *arg0, va_list arguments, int environment, int search)
{
    char **envp = environ;
    char **argv = argument_list(arg0, arguments, environment, &envp);
    int result;
    if (!argv) {
        errno = ENOMEM;
        return -1;
    }
    result = spawn(mode, path, argv, envp, search);
    free(argv);
    return result;
}

KVN_WEAK int spawnl(int mode, const char *path, const char *arg0, ...)
{
    va_list arguments;
    int result;
    va_start(arguments, arg0);
    result = spawn_list(mode, path, arg0, arguments, 0, 0);
    va_end(arguments);
    return result;
}

KVN_WEAK int spawnlp(int mode, const char *path, const char *arg0, ...)
{
    va_list arguments;
    int result;
    va_start(arguments, arg0);
    result = spawn_list(mode, path, arg0, arguments, 0, 1);
    va_end(arguments);
    return result;
}

KVN_WEAK int spawnle(int mode, const char *path, const char *arg0, ...)
{
    va_list arguments;
    int result;
    va_start(arguments, arg0);
    result = spawn_list(mode, path, arg0, arguments, 1, 0);
    va_end(arguments);
    return result;
}

KVN_WEAK int spawnv(int mode, const char *path, char *const argv[])
{
    return spawn(mode, path, argv, environ, 0);
}

KVN_WEAK int spawnvp(int mode, const char *path, char *const argv[])
{
    return spawn(mode, path, argv, environ, 1);
}

KVN_WEAK int spawnve(int mode, const char *path, char *const argv[], char *const envp[])
{
    return spawn(mode, path, argv, envp, 0);
}
