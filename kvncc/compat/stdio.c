/* The old library's ways with stdio input. Weak, like the whole old
   library.

   fflush(stdin) threw away the rest of the line being read: programs of
   that time call it between reading a number and reading a line, which
   otherwise gets the rest of the number's line. At a terminal everything
   typed and not yet read goes, as there; from a file or a pipe (how
   teachers feed a program its answers) only the rest of the current line,
   so that the next answer is the next line, as it was when typed.

   The old library kept cin's buffer apart from stdio's: cin >> n took
   the whole typed line, so the line end after the number stayed with cin
   and a gets() after it read the next line. Here cin reads through stdio
   (<iostream>'s wrapper notes in kvn_cin_stop where its last read
   stopped); gets() passes over what cin left of its line when that is
   only blanks and the line end. */
#include <wrap/stdio.h>

#include <stdio_ext.h>
#include <termios.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

/* The system's own functions, under the names the C library also gives
   them. */
extern int _IO_fflush(FILE *stream);
extern char *_IO_gets(char *line);

/* Where stdin's buffer stood after cin's last read, when that read ended
   inside a line; read_ptr is null otherwise. Written by the cin buffer of
   <iostream>'s wrapper, which declares the same structure; the wrapper
   refers to it weakly, so it notes nothing in programs that never call
   our gets(). */
struct kvn_input_stop {
    const char *read_ptr;
    const char *read_end;
};
struct kvn_input_stop kvn_cin_stop;

static int is_blank(int c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

/* When nothing read stdin since cin stopped inside a line, and the rest of
   that line is blank, reads it up to and including its line end. */
static void pass_cin_line_end(void)
{
    const char *p;
    int c;
    if (!kvn_cin_stop.read_ptr || stdin->_IO_read_ptr != kvn_cin_stop.read_ptr
        || stdin->_IO_read_end != kvn_cin_stop.read_end)
        return;
    kvn_cin_stop.read_ptr = NULL;
    for (p = stdin->_IO_read_ptr; p < stdin->_IO_read_end && is_blank((unsigned char)*p); ++p)
        ;
    if (p < stdin->_IO_read_end) {
        if (*p != '\n')
            return; /* text follows on the line: it is gets()'s to read */
        while (stdin->_IO_read_ptr <= p)
            (void)getc(stdin);
        return;
    }
    /* The buffer ends among the blanks: read on. */
    while (stdin->_IO_read_ptr < p)
        (void)getc(stdin);
    while ((c = getc(stdin)) != EOF && is_blank(c))
        ;
    if (c != '\n' && c != EOF)
        ungetc(c, stdin);
}

KVN_WEAK char *gets(char *line)
{
    pass_cin_line_end();
    return _IO_gets(line);
}

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
