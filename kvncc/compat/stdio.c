/* The old library's ways with stdio input. Weak, like the whole old
   library. gets() after cin >> is in input.c.

   fflush(stdin) threw away the rest of the line being read: programs of
   that time call it between reading a number and reading a line, which
   otherwise gets the rest of the number's line. At a terminal everything
   typed and not yet read goes, as there; from a file or a pipe (how
   teachers feed a program its answers) only the rest of the current line,
   so that the next answer is the next line, as it was when typed. */
#include <wrap/stdio.h>

#include <stdio_ext.h>
#include <termios.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

/* The system's own fflush, under the name the C library also gives it. */
extern int _IO_fflush(FILE *stream);

/* Whether the last character read from stdin ended a line (or nothing
   was read yet): then there is no rest of a line to throw away. */
static int at_line_start(void)
{
    if (!stdin->_IO_read_base)
        return 1;
    if (stdin->_IO_read_ptr > stdin->_IO_read_base)
        return stdin->_IO_read_ptr[-1] == '\n';
    /* Just after a refill, the character before is gone from the buffer; a
       line end waiting next is what scanf() leaves, and the one to drop. */
    return !(stdin->_IO_read_ptr < stdin->_IO_read_end && *stdin->_IO_read_ptr == '\n');
}

static int drop_input(void)
{
    int c;
    if (isatty(STDIN_FILENO)) {
        __fpurge(stdin);
        tcflush(STDIN_FILENO, TCIFLUSH);
        return 0;
    }
    if (!at_line_start()) {
        /* To the next line end, reading on when the buffer holds none. */
        while ((c = getc(stdin)) != EOF && c != '\n')
            ;
    }
    /* A file's offset follows what was read, for a program that system()
       starts on the same input. */
    return _IO_fflush(stdin);
}

KVN_WEAK int fflush(FILE *stream)
{
    return stream == stdin ? drop_input() : _IO_fflush(stream);
}

/* Every output stream written out, and stdin's input dropped as by
   fflush(stdin). */
KVN_WEAK int flushall(void)
{
    const int written = _IO_fflush(NULL);
    return written == 0 && drop_input() == 0 ? 0 : EOF;
}
