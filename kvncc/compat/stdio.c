/* The old library's ways with stdio. fflush(stdin) threw away what had
   been typed and not yet read; programs of that time call it between
   reading a number and reading a line, which otherwise gets the rest of
   the number's line. Done only at a terminal, so that input from a file or
   a pipe is never lost; every other stream is flushed as always. Weak,
   like the whole old library. */
#include <wrap/stdio.h>

#include <stdio_ext.h>
#include <termios.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

/* The system's own fflush, under the name the C library also gives it. */
extern int _IO_fflush(FILE *stream);

KVN_WEAK int fflush(FILE *stream)
{
    if (stream == stdin && isatty(STDIN_FILENO)) {
        __fpurge(stdin);
        tcflush(STDIN_FILENO, TCIFLUSH);
        return 0;
    }
    return _IO_fflush(stream);
}

KVN_WEAK int flushall(void)
{
    return _IO_fflush(NULL) == 0 ? 0 : EOF;
}
