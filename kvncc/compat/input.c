/* gets() as the old library's programs knew it. That library kept cin's
   buffer apart from stdio's: cin >> n took the whole typed line, so the
   line end after the number stayed with cin and a gets() after it read
   the next line, the name a program asks for next. Here cin reads through
   stdio, one getc() at a time (the standard library's buffer synchronised
   with stdio). This file's getc() and ungetc() note where in stdin's buffer
   the C++ library's last read stopped, and whether that was inside a
   line; gets() passes over what cin left of that line when it is only
   blanks and the line end, and nothing else read stdin since.

   getchar(), scanf(), fgets() and the program's own getc() read on from
   where cin stopped, as in every program of today; cin's getline(),
   ignore() and get() are cin's own and end where they end, as there.
   This file is linked only into programs that call gets(), so no other
   program's cin or getc() passes through here. Weak, like the whole old
   library. */
#define _GNU_SOURCE
#include <wrap/stdio.h>

#include <link.h>
#include <stdint.h>
#include <string.h>

#define KVN_WEAK __attribute__((weak))

/* The system's own functions, under the names the C library also gives
   them. */
extern char *_IO_gets(char *line);
extern int _IO_getc(FILE *stream);
extern int _IO_ungetc(int c, FILE *stream);

/* The machine code of the C++ library, whose getc() calls are cin's. */
static struct {
    int looked;
    uintptr_t start, end;
} streams;

static int note_streams(struct dl_phdr_info *info, size_t size, void *data)
{
    int i;
    (void)size;
    (void)data;
    if (!info->dlpi_name || (!strstr(info->dlpi_name, "/libstdc++.so") && !strstr(info->dlpi_name, "/libc++.so")))
        return 0;
    for (i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) *segment = &info->dlpi_phdr[i];
        if (segment->p_type == PT_LOAD && (segment->p_flags & PF_X)) {
            streams.start = info->dlpi_addr + segment->p_vaddr;
            streams.end = streams.start + segment->p_memsz;
            return 1;
        }
    }
    return 0;
}

static int called_by_streams(const void *caller)
{
    if (!streams.looked) {
        streams.looked = 1;
        dl_iterate_phdr(note_streams, NULL);
    }
    return (uintptr_t)caller >= streams.start && (uintptr_t)caller < streams.end;
}

/* Where stdin's buffer stood after cin's last read, and whether that read
   ended inside a line. */
static struct {
    const char *read_ptr;
    const char *read_end;
    int inside_line;
    int last;           /* what cin's last getc() gave */
    int can_take_back;  /* that getc() may yet be undone by an ungetc() */
    int inside_before;  /* inside_line before it */
} cin_stop;

static void note_place(void)
{
    cin_stop.read_ptr = stdin->_IO_read_ptr;
    cin_stop.read_end = stdin->_IO_read_end;
}

KVN_WEAK int getc(FILE *stream)
{
    const int c = _IO_getc(stream);
    if (stream == stdin && called_by_streams(__builtin_return_address(0))) {
        cin_stop.inside_before = cin_stop.inside_line;
        cin_stop.inside_line = c != EOF && c != '\n';
        cin_stop.last = c;
        cin_stop.can_take_back = 1;
        note_place();
    }
    return c;
}

/* cin peeks at the next character by reading it and putting it back (the
   C++ library jumps straight to ungetc(), so the caller says nothing
   here): the character cin read last, put back at once, undoes that read. */
KVN_WEAK int ungetc(int c, FILE *stream)
{
    const int result = _IO_ungetc(c, stream);
    if (stream == stdin && cin_stop.can_take_back && c == cin_stop.last
        && (c == EOF || (stdin->_IO_read_ptr + 1 == cin_stop.read_ptr && stdin->_IO_read_end == cin_stop.read_end))) {
        cin_stop.inside_line = cin_stop.inside_before;
        cin_stop.can_take_back = 0;
        note_place();
    }
    return result;
}

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
    if (!cin_stop.inside_line || stdin->_IO_read_ptr != cin_stop.read_ptr
        || stdin->_IO_read_end != cin_stop.read_end)
        return;
    cin_stop.inside_line = 0;
    cin_stop.can_take_back = 0;
    for (p = stdin->_IO_read_ptr; p < stdin->_IO_read_end && is_blank((unsigned char)*p); ++p)
        ;
    if (p < stdin->_IO_read_end) {
        if (*p != '\n')
            return; /* text follows on the line: it is gets()'s to read */
        while (stdin->_IO_read_ptr <= p)
            (void)_IO_getc(stdin);
        return;
    }
    /* The buffer ends among the blanks: read on. */
    while (stdin->_IO_read_ptr < p)
        (void)_IO_getc(stdin);
    while ((c = _IO_getc(stdin)) != EOF && is_blank(c))
        ;
    if (c != '\n' && c != EOF)
        _IO_ungetc(c, stdin);
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
