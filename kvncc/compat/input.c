/* gets() as the old library's programs knew it. That library kept cin's
   buffer apart from stdio's: cin >> n took the whole typed line, so the
   line end after the number stayed with cin and a gets() after it read
   the next line, the name a program asks for next. Here cin reads through
   stdio; <iostream>'s wrapper notes in kvn_cin_stop where its last read
   stopped, and gets() passes over what cin left of that line when it is
   only blanks and the line end. getchar(), scanf() and fgets() read on
   from where cin stopped, as in every program of today. Weak, like the
   whole old library. */
#include <wrap/stdio.h>

#include <string.h>

#define KVN_WEAK __attribute__((weak))

/* The system's own gets, under the name the C library also gives it. */
extern char *_IO_gets(char *line);

/* Where stdin's buffer stood after cin's last read, when that read ended
   inside a line; read_ptr is null otherwise. Written by the cin buffer of
   <iostream>'s wrapper, which declares the same structure; the wrapper
   refers to it weakly, so it notes nothing in programs that never call
   our gets(), and this file is linked only into those that do. */
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
    char *read;
    size_t length;
    pass_cin_line_end();
    read = _IO_gets(line);
    /* A file of answers written on those systems ends its lines with CR LF,
       of which their library handed gets() neither. */
    if (read && (length = strlen(line)) > 0 && line[length - 1] == '\r')
        line[length - 1] = '\0';
    return read;
}

