/* The console of <conio.h> on a terminal.

   Every public function is weak, so that a program's own function of the
   same name wins at link time; the functions here therefore never call one
   another by their public names, only through the static helpers, or a
   program's own clrscr() would end up inside our cgets().

   Output goes through stdout, so it stays in order with printf() and cout;
   colours are switched on before and off after each piece of console
   output, so that printf() keeps the terminal's own colours as it kept the
   screen's on the old systems. Colours, cursor moves and clearing are
   written only to a terminal: into a file or a pipe goes the text alone,
   as the old console's control never reached redirected output. */
#define _DEFAULT_SOURCE
#include <conio.h>

#include "console.h"

#include <errno.h>
#include <poll.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

enum { KEY_QUEUE = 32, ESCAPE_WAIT_MS = 30, REPLY_WAIT_MS = 400 };

static struct {
    int ready;
    int whole; /* the window is the whole screen and follows its size */
    int left, top, right, bottom; /* the window on the screen */
    int x, y; /* the cursor, counted from the window's corner */
    int fg, bg, blink;
    int silent_terminal; /* it did not answer when asked for the cursor */
    int keys[KEY_QUEUE]; /* keys for getch(): scan codes, ungetch() */
    int nkeys;
    unsigned char bytes[KEY_QUEUE]; /* typed while we waited for an answer */
    int nbytes;
} con;

/* ---- The screen ---- */

/* Programs of that time took an 80 by 25 screen for granted and put a
   status line on row 25; on a smaller terminal the terminal itself keeps
   such a line on its last row rather than our refusing it. */
static void screen_size(int *cols, int *rows)
{
    struct winsize size;
    *cols = 80;
    *rows = 25;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) {
        if (size.ws_col > 80)
            *cols = size.ws_col;
        if (size.ws_row > 25)
            *rows = size.ws_row;
    }
}

static void follow_screen(void)
{
    if (!con.ready) {
        con.ready = 1;
        con.whole = 1;
        con.x = con.y = 1;
        con.fg = LIGHTGRAY;
        con.bg = BLACK;
    }
    if (con.whole) {
        con.left = con.top = 1;
        screen_size(&con.right, &con.bottom);
    }
}

static int width(void)
{
    return con.right - con.left + 1;
}

static int height(void)
{
    return con.bottom - con.top + 1;
}

static int normal_colours(void)
{
    return con.fg == LIGHTGRAY && con.bg == BLACK && !con.blink;
}

/* Without colours of its own the program's console output is left plain,
   in the terminal's colours, exactly like its printf() output. */
static void colours_on(void)
{
    /* The old colour numbers are blue, green, red bits; the terminal's are
       red, green, blue. */
    static const int ansi[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    if (normal_colours() || !kvn_output_is_terminal())
        return;
    printf("\033[0;%d;%d%sm", (con.fg & 8 ? 90 : 30) + ansi[con.fg & 7], (con.bg & 8 ? 100 : 40) + ansi[con.bg & 7],
           con.blink ? ";5" : "");
}

/* Back to the colours all text has (SetConsoleTextAttribute(), the
   "color" command), normally the terminal's own. */
static void colours_off(void)
{
    if (!normal_colours())
        kvn_restore_base_colours();
}

static void place_cursor(void)
{
    if (kvn_output_is_terminal())
        printf("\033[%d;%dH", con.top + con.y - 1, con.left + con.x - 1);
}

/* Inserts a blank line at window row `row`, or deletes that row, moving the
   rows below it within the window. The terminal moves whole screen lines:
   a window narrower than the screen takes the cells beside it along. */
static void shift_lines(int row, int insert)
{
    if (!kvn_output_is_terminal())
        return;
    colours_on(); /* the new blank line takes the background colour */
    if (con.whole)
        printf("\0337\033[%c\0338", insert ? 'L' : 'M');
    else
        printf("\0337\033[%d;%dr\033[%dH\033[%c\033[r\0338", con.top, con.bottom, con.top + row - 1, insert ? 'L' : 'M');
    colours_off();
}

static void next_line(void)
{
    con.x = 1;
    if (con.y < height())
        ++con.y;
    else if (!con.whole)
        shift_lines(1, 0);
    if (!con.whole)
        place_cursor();
}

/* The code page of the old screens: the box drawing characters, blocks
   and accented letters students drew with putch(201) or cprintf("%c", 219),
   and the symbols of the control codes (3 is a heart). Shown as UTF-8. */
static const unsigned short code_page[256] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2302,
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

static void put_cell(const char *bytes, size_t length)
{
    fwrite(bytes, 1, length, stdout);
    if (++con.x > width())
        next_line();
}

static void put_symbol(unsigned char c)
{
    unsigned code = code_page[c];
    char utf8[3];
    if (code < 0x80) {
        utf8[0] = (char)code;
        put_cell(utf8, 1);
    } else if (code < 0x800) {
        utf8[0] = (char)(0xC0 | code >> 6);
        utf8[1] = (char)(0x80 | (code & 0x3F));
        put_cell(utf8, 2);
    } else {
        utf8[0] = (char)(0xE0 | code >> 12);
        utf8[1] = (char)(0x80 | (code >> 6 & 0x3F));
        utf8[2] = (char)(0x80 | (code & 0x3F));
        put_cell(utf8, 3);
    }
}

/* The length of the UTF-8 character at text, or 0 if it is not one: text
   saved as UTF-8 goes through as it is, single bytes of the old code page
   are translated. */
static size_t utf8_length(const unsigned char *text, size_t left)
{
    size_t n, i;
    if (text[0] >= 0xC2 && text[0] <= 0xDF)
        n = 2;
    else if (text[0] >= 0xE0 && text[0] <= 0xEF)
        n = 3;
    else if (text[0] >= 0xF0 && text[0] <= 0xF4)
        n = 4;
    else
        return 0;
    if (n > left)
        return 0;
    for (i = 1; i < n; ++i) {
        if ((text[i] & 0xC0) != 0x80)
            return 0;
    }
    return n;
}

/* Writes text at the cursor in the current colours, moving the cursor as
   the old console did: within the window, to the next window line at its
   right edge, scrolling the window at its bottom. A line end starts the
   next line at the left edge, as programs meant it. */
static void console_write(const char *text, size_t length)
{
    const unsigned char *p = (const unsigned char *)text;
    const unsigned char *end = p + length;
    follow_screen();
    colours_on();
    while (p < end) {
        const unsigned char c = *p;
        size_t n;
        switch (c) {
        case '\n':
            if (con.whole || !kvn_output_is_terminal())
                putchar('\n');
            next_line();
            ++p;
            continue;
        case '\r':
            con.x = 1;
            if (con.whole || !kvn_output_is_terminal())
                putchar('\r');
            else
                place_cursor();
            ++p;
            continue;
        case '\b':
            if (con.x > 1) {
                --con.x;
                putchar('\b');
            }
            ++p;
            continue;
        case '\a':
            putchar('\a');
            ++p;
            continue;
        case '\t':
            do
                put_cell(" ", 1);
            while ((con.x - 1) % 8 != 0 && con.x > 1);
            ++p;
            continue;
        case '\033':
            /* A program that writes escape codes of its own means them. */
            putchar('\033');
            ++p;
            continue;
        default:
            break;
        }
        if (c < 0x80 && code_page[c] == 0) {
            put_cell((const char *)p, 1);
            ++p;
        } else if (c >= 0x80 && (n = utf8_length(p, (size_t)(end - p))) != 0) {
            put_cell((const char *)p, n);
            p += n;
        } else {
            put_symbol(c);
            ++p;
        }
    }
    colours_off();
    fflush(stdout);
}

void kvn_console_write(const char *text, size_t length)
{
    console_write(text, length);
}

/* ---- The keyboard ---- */

/* In terminal.c. */
int kvn_key_mode(struct termios *saved, int enter_gives_cr);
void kvn_line_mode(const struct termios *saved);

/* One byte from the terminal within wait_ms (-1: however long it takes),
   or -1. */
static int terminal_byte(int wait_ms)
{
    struct pollfd input;
    unsigned char byte;
    if (con.nbytes > 0) {
        byte = con.bytes[0];
        memmove(con.bytes, con.bytes + 1, (size_t)--con.nbytes);
        return byte;
    }
    input.fd = STDIN_FILENO;
    input.events = POLLIN;
    for (;;) {
        const int ready = poll(&input, 1, wait_ms);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return -1;
        return kvn_read_input_byte();
    }
}

static void queue_key(int key)
{
    if (con.nkeys < KEY_QUEUE)
        con.keys[con.nkeys++] = key;
}

static int queued_key(void)
{
    const int key = con.keys[0];
    memmove(con.keys, con.keys + 1, sizeof con.keys[0] * (size_t)--con.nkeys);
    return key;
}

/* The scan code the old keyboard gave for the key a terminal sends as
   ESC [ <number> ~ or ESC [ <letter> (ESC O <letter>), or 0. */
static int scan_code(int number, int final)
{
    static const struct {
        int number;
        int scan;
    } tilde[] = {{1, 71}, {2, 82}, {3, 83}, {4, 79}, {5, 73}, {6, 81}, {7, 71}, {8, 79},
                 {11, 59}, {12, 60}, {13, 61}, {14, 62}, {15, 63}, {17, 64}, {18, 65},
                 {19, 66}, {20, 67}, {21, 68}, {23, 133}, {24, 134}};
    size_t i;
    switch (final) {
    case 'A': return 72;
    case 'B': return 80;
    case 'C': return 77;
    case 'D': return 75;
    case 'H': return 71;
    case 'F': return 79;
    case 'P': return 59;
    case 'Q': return 60;
    case 'R': return 61;
    case 'S': return 62;
    case '~':
        for (i = 0; i < sizeof tilde / sizeof tilde[0]; ++i) {
            if (tilde[i].number == number)
                return tilde[i].scan;
        }
        return 0;
    default: return 0;
    }
}

/* The rest of an escape sequence after ESC and `kind` ('[' or 'O'): the
   scan code of its key, or 0 for a sequence no old key had. */
static int escape_sequence(int kind)
{
    int number = 0, c, length;
    if (kind == 'O')
        return scan_code(0, terminal_byte(ESCAPE_WAIT_MS));
    c = terminal_byte(ESCAPE_WAIT_MS);
    if (c == '[') /* the Linux console's F1 to F5: ESC [ [ A to E */
        return (c = terminal_byte(ESCAPE_WAIT_MS)) >= 'A' && c <= 'E' ? 59 + c - 'A' : 0;
    for (length = 0; c >= 0x20 && c <= 0x3F && length < 16; ++length) {
        if (c == ';') /* modifiers (Ctrl, Shift) do not change the key */
            number = number ? number : -1;
        else if (c >= '0' && c <= '9' && number >= 0)
            number = number * 10 + (c - '0');
        c = terminal_byte(ESCAPE_WAIT_MS);
    }
    if (number < 0)
        number = 1;
    return c < 0 ? 0 : scan_code(number, c);
}

/* One key from the terminal in raw mode, as getch() gave it: 0 with the
   scan code queued next for the arrow, function and editing keys. */
static int terminal_key(void)
{
    for (;;) {
        int c = terminal_byte(-1), scan;
        if (c < 0)
            return EOF;
        if (c == 127)
            return 8; /* Backspace */
        if (c == '\n')
            return 13; /* Enter typed while the terminal was in line mode */
        if (c != 27)
            return c;
        c = terminal_byte(ESCAPE_WAIT_MS);
        if (c < 0)
            return 27; /* Esc itself */
        if (c != '[' && c != 'O') {
            if (con.nbytes < KEY_QUEUE) /* Alt with a key: Esc, then the key */
                con.bytes[con.nbytes++] = (unsigned char)c;
            return 27;
        }
        scan = escape_sequence(c);
        if (scan) {
            queue_key(scan);
            return 0;
        }
        /* A key the old keyboard did not have: wait for the next one. */
    }
}

static int input_has_ended;

/* getch() had no error return: a key always came. When none can come any
   more (the file or pipe of input is read to its end, the terminal hung
   up), the program ends with a word why, instead of taking -1 for a key
   and asking again for ever. Its status is 0: most such calls are the
   "press any key" at the end of a program that has done its work. */
static void end_for_want_of_input(const char *function, const char *why)
{
    input_has_ended = 1;
    fflush(stdout);
    /* On a screen it follows the program's unfinished "Press a key" line. */
    fprintf(stderr, "%s%s(): %s, so the program ends here.\n", isatty(STDERR_FILENO) ? "\n" : "", function, why);
    exit(0);
}

static void input_ended(int echo)
{
    end_for_want_of_input(echo ? "getche" : "getch", "the input has ended");
}

int kvn_read_key(int echo)
{
    struct termios saved;
    int key, shown;
    follow_screen();
    if (con.nkeys > 0)
        return queued_key();
    fflush(stdout);
    if (kvn_key_mode(&saved, 1)) {
        key = shown = terminal_key();
        kvn_line_mode(&saved);
    } else {
        /* Input from a file or a pipe: its line end is the Enter key. */
        shown = getchar();
        key = shown == '\n' ? 13 : shown;
    }
    /* A getch() of the program's atexit() function or destructors, run by
       that end, gets -1 and lets the end go on. */
    if (key == EOF && !input_has_ended)
        input_ended(echo);
    if (echo && key > 0) {
        const char c = (char)shown;
        if (shown == 27)
            put_symbol(27);
        else
            console_write(&c, 1);
        fflush(stdout);
    }
    return key;
}

KVN_WEAK int getch(void)
{
    return kvn_read_key(0);
}

KVN_WEAK int getche(void)
{
    return kvn_read_key(1);
}

KVN_WEAK int ungetch(int ch)
{
    if (ch == EOF || con.nkeys >= KEY_QUEUE)
        return EOF;
    memmove(con.keys + 1, con.keys, sizeof con.keys[0] * (size_t)con.nkeys);
    con.keys[0] = ch & 0xFF;
    ++con.nkeys;
    return ch & 0xFF;
}

static int input_buffered(void)
{
#ifdef __GLIBC__
    return stdin->_IO_read_ptr < stdin->_IO_read_end;
#else
    return 0;
#endif
}

/* Once the input has ended no key can come, so a loop that asks kbhit()
   over and over waits for nothing: each answer takes a moment, so that it
   waits rather than spinning (and filling a file with what it prints each
   round), and after some two seconds of asking the program ends with a word
   why, as getch() does. A program that asks now and then, between its own
   work, is not held up for long. */
enum { POLL_AFTER_END_MS = 10, POLLS_AFTER_END = 200 };

static void polled_after_end(void)
{
    static int polls;
    const struct timespec moment = {0, POLL_AFTER_END_MS * 1000000L};
    if (input_has_ended)
        return;
    if (++polls >= POLLS_AFTER_END)
        end_for_want_of_input("kbhit", "the input has ended and no key can come");
    nanosleep(&moment, NULL);
}

int kvn_key_waiting(void)
{
    struct termios saved;
    struct pollfd input;
    int waiting = 0, c;
    if (con.nkeys > 0 || con.nbytes > 0)
        return 1;
    fflush(stdout);
    if (kvn_key_mode(&saved, 1)) {
        /* In line mode the terminal would hold the key back until Enter. */
        ioctl(STDIN_FILENO, FIONREAD, &waiting);
        kvn_line_mode(&saved);
        return waiting > 0;
    }
    if (input_buffered())
        return 1;
    input.fd = STDIN_FILENO;
    input.events = POLLIN;
    input.revents = 0;
    if (poll(&input, 1, 0) <= 0)
        return 0;
    /* Readable is also what the end of a pipe or a file reads as: no key
       comes from there. */
    c = getc(stdin);
    if (c == EOF) {
        polled_after_end();
        return 0;
    }
    ungetc(c, stdin);
    return 1;
}

KVN_WEAK int kbhit(void)
{
    return kvn_key_waiting();
}

/* Line input of the old console: buffer[0] holds the most characters to
   read (room for them and the terminating zero from buffer[2] on),
   buffer[1] receives how many were read. Further keys are refused with a
   beep, as there; Backspace rubs out; Enter returns the cursor to the
   start of the line. */
KVN_WEAK char *cgets(char *buffer)
{
    struct termios saved;
    char *text = buffer + 2;
    const int most = (unsigned char)buffer[0] > 0 ? (unsigned char)buffer[0] - 1 : 0;
    int length = 0;
    follow_screen();
    fflush(stdout);
    if (kvn_key_mode(&saved, 1)) {
        for (;;) {
            const int c = con.nkeys > 0 ? queued_key() : terminal_key();
            if (c == EOF || c == 13 || c == '\n')
                break;
            if (c == 0) { /* an arrow or function key and its scan code */
                if (con.nkeys > 0)
                    queued_key();
            } else if (c == 8) {
                if (length > 0) {
                    --length;
                    console_write("\b \b", 3);
                }
            } else if (c >= 32 && c != 127 && length < most) {
                const char ch = (char)c;
                text[length++] = ch;
                console_write(&ch, 1);
            } else {
                console_write("\a", 1);
            }
        }
        kvn_line_mode(&saved);
        console_write("\r", 1);
    } else {
        int c;
        while ((c = getchar()) != EOF && c != '\n') {
            if (c != '\r' && length < most)
                text[length++] = (char)c;
        }
    }
    buffer[1] = (char)length;
    if (buffer[0])
        text[length] = '\0';
    return text;
}

KVN_WEAK int cscanf(const char *format, ...)
{
    va_list args;
    int result;
    fflush(stdout);
    va_start(args, format);
    result = vscanf(format, args);
    va_end(args);
    return result;
}

/* ---- Output ---- */

KVN_WEAK int putch(int ch)
{
    const char c = (char)ch;
    if (ch == '\n' || ch == '\r' || ch == '\b' || ch == '\a' || ch == '\t')
        console_write(&c, 1);
    else {
        /* A single byte is always a character of the old code page. */
        follow_screen();
        colours_on();
        if ((unsigned char)c < 0x80 && code_page[(unsigned char)c] == 0)
            put_cell(&c, 1);
        else
            put_symbol((unsigned char)c);
        colours_off();
        fflush(stdout);
    }
    return ch & 0xFF;
}

KVN_WEAK int cputs(const char *text)
{
    const size_t length = strlen(text);
    console_write(text, length);
    return length ? (unsigned char)text[length - 1] : 0;
}

KVN_WEAK int cprintf(const char *format, ...)
{
    char small[512];
    char *text = small;
    va_list args;
    int length;
    va_start(args, format);
    length = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0)
        return EOF;
    if ((size_t)length >= sizeof small) {
        text = malloc((size_t)length + 1);
        if (!text)
            return EOF;
        va_start(args, format);
        vsnprintf(text, (size_t)length + 1, format, args);
        va_end(args);
    }
    console_write(text, (size_t)length);
    if (text != small)
        free(text);
    return length;
}

/* ---- The window and the cursor ---- */

static void spaces(int count)
{
    while (count-- > 0)
        putchar(' ');
}

KVN_WEAK void clrscr(void)
{
    int row;
    follow_screen();
    colours_on(); /* the screen is cleared to the background colour */
    if (!kvn_output_is_terminal()) {
        /* Nothing to clear in a file. */
    } else if (con.whole) {
        fputs("\033[2J\033[H", stdout);
    } else {
        for (row = con.top; row <= con.bottom; ++row) {
            printf("\033[%d;%dH", row, con.left);
            spaces(width());
        }
    }
    colours_off();
    con.x = con.y = 1;
    if (!con.whole)
        place_cursor();
    fflush(stdout);
}

KVN_WEAK void clreol(void)
{
    follow_screen();
    colours_on();
    if (!kvn_output_is_terminal()) {
        /* Nothing to clear in a file. */
    } else if (con.whole) {
        fputs("\033[K", stdout);
    } else {
        fputs("\0337", stdout);
        spaces(width() - con.x + 1);
        fputs("\0338", stdout);
    }
    colours_off();
    fflush(stdout);
}

KVN_WEAK void delline(void)
{
    follow_screen();
    shift_lines(con.y, 0);
    fflush(stdout);
}

KVN_WEAK void insline(void)
{
    follow_screen();
    shift_lines(con.y, 1);
    fflush(stdout);
}

/* Moves within the current window; a place outside it is ignored, as it
   was. */
KVN_WEAK void gotoxy(int x, int y)
{
    follow_screen();
    if (x < 1 || y < 1 || x > width() || y > height())
        return;
    con.x = x;
    con.y = y;
    place_cursor();
    fflush(stdout);
}

/* The terminal's own idea of the cursor (printf() moves it too), asked
   with ESC [ 6 n; keys typed meanwhile are kept for getch(). */
static int ask_cursor(int *row, int *column)
{
    struct termios saved;
    unsigned char reply[KEY_QUEUE];
    int n = 0, c, found = 0;
    if (con.silent_terminal || !isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))
        return 0;
    fflush(stdout);
    if (!kvn_key_mode(&saved, 1))
        return 0;
    if (write(STDOUT_FILENO, "\033[6n", 4) == 4) {
        while (!found && n < KEY_QUEUE && (c = terminal_byte(REPLY_WAIT_MS)) >= 0) {
            reply[n++] = (unsigned char)c;
            if (c == 'R') {
                int start, r = 0, col = 0, i;
                for (start = n - 1; start > 0 && reply[start] != 27; --start)
                    ;
                i = start + 2;
                if (reply[start] == 27 && i < n && reply[start + 1] == '[') {
                    while (i < n && reply[i] >= '0' && reply[i] <= '9')
                        r = r * 10 + (reply[i++] - '0');
                    if (i < n && reply[i++] == ';') {
                        while (i < n && reply[i] >= '0' && reply[i] <= '9')
                            col = col * 10 + (reply[i++] - '0');
                        if (i == n - 1 && r > 0 && col > 0) {
                            *row = r;
                            *column = col;
                            found = 1;
                            n = start; /* what came before were keys */
                        }
                    }
                }
            }
        }
    }
    kvn_line_mode(&saved);
    if (!found)
        con.silent_terminal = 1;
    for (c = 0; c < n && con.nbytes < KEY_QUEUE; ++c)
        con.bytes[con.nbytes++] = reply[c];
    return found;
}

int kvn_ask_cursor(int *row, int *column)
{
    return ask_cursor(row, column);
}

static void where(int *x, int *y)
{
    int row, column;
    follow_screen();
    if (ask_cursor(&row, &column)) {
        con.x = column - con.left + 1;
        con.y = row - con.top + 1;
        if (con.x < 1)
            con.x = 1;
        if (con.y < 1)
            con.y = 1;
    }
    *x = con.x;
    *y = con.y;
}

KVN_WEAK int wherex(void)
{
    int x, y;
    where(&x, &y);
    return x;
}

KVN_WEAK int wherey(void)
{
    int x, y;
    where(&x, &y);
    return y;
}

/* A window outside the screen, or turned inside out, is ignored, as it
   was; the cursor goes to its top left corner. */
KVN_WEAK void window(int left, int top, int right, int bottom)
{
    int cols, rows;
    follow_screen();
    screen_size(&cols, &rows);
    if (left < 1 || top < 1 || right > cols || bottom > rows || left > right || top > bottom)
        return;
    con.whole = left == 1 && top == 1 && right == cols && bottom == rows;
    con.left = left;
    con.top = top;
    con.right = right;
    con.bottom = bottom;
    con.x = con.y = 1;
    place_cursor();
    fflush(stdout);
}

KVN_WEAK void gettextinfo(struct text_info *info)
{
    int x, y, cols, rows;
    where(&x, &y);
    screen_size(&cols, &rows);
    info->winleft = (unsigned char)con.left;
    info->wintop = (unsigned char)con.top;
    info->winright = (unsigned char)(con.right > 255 ? 255 : con.right);
    info->winbottom = (unsigned char)(con.bottom > 255 ? 255 : con.bottom);
    info->attribute = (unsigned char)(con.fg | con.bg << 4 | (con.blink ? BLINK : 0));
    info->normattr = LIGHTGRAY;
    info->currmode = C80;
    info->screenheight = (unsigned char)(rows > 255 ? 255 : rows);
    info->screenwidth = (unsigned char)(cols > 255 ? 255 : cols);
    info->curx = (unsigned char)(x > 255 ? 255 : x);
    info->cury = (unsigned char)(y > 255 ? 255 : y);
}

KVN_WEAK void _setcursortype(int type)
{
    kvn_cursor_visible(type != _NOCURSOR);
}

/* ---- Colours ---- */

KVN_WEAK void textcolor(int color)
{
    follow_screen();
    con.fg = color & 15;
    con.blink = (color & BLINK) != 0;
}

/* Backgrounds 8 to 15 are shown bright, as on the consoles of the later
   systems, rather than blinking. */
KVN_WEAK void textbackground(int color)
{
    follow_screen();
    con.bg = color & 15;
}

KVN_WEAK void textattr(int attribute)
{
    follow_screen();
    con.fg = attribute & 15;
    con.bg = attribute >> 4 & 7;
    con.blink = (attribute & BLINK) != 0;
}

KVN_WEAK void highvideo(void)
{
    follow_screen();
    con.fg |= 8;
}

KVN_WEAK void lowvideo(void)
{
    follow_screen();
    con.fg &= 7;
}

KVN_WEAK void normvideo(void)
{
    follow_screen();
    con.fg = LIGHTGRAY;
    con.bg = BLACK;
    con.blink = 0;
}

/* Every mode is the terminal: a change of mode resets the window and the
   colours and clears the screen, as a mode change did. */
KVN_WEAK void textmode(int mode)
{
    (void)mode;
    follow_screen();
    con.whole = 1;
    con.fg = LIGHTGRAY;
    con.bg = BLACK;
    con.blink = 0;
    follow_screen();
    if (kvn_output_is_terminal())
        fputs("\033[2J\033[H", stdout);
    con.x = con.y = 1;
    fflush(stdout);
}

/* ---- The names of the Windows compilers ---- */

/* The same functions under the names with an underscore that Microsoft's
   library gave them. Aliases rather than calls, so that a program's own
   getch() never ends up inside our _getch(). */
KVN_WEAK int _getch(void) __attribute__((alias("getch")));
KVN_WEAK int _getche(void) __attribute__((alias("getche")));
KVN_WEAK int _kbhit(void) __attribute__((alias("kbhit")));
KVN_WEAK int _ungetch(int ch) __attribute__((alias("ungetch")));
KVN_WEAK char *_cgets(char *buffer) __attribute__((alias("cgets")));
KVN_WEAK int _cscanf(const char *format, ...) __attribute__((alias("cscanf")));
KVN_WEAK int _putch(int ch) __attribute__((alias("putch")));
KVN_WEAK int _cputs(const char *text) __attribute__((alias("cputs")));
KVN_WEAK int _cprintf(const char *format, ...) __attribute__((alias("cprintf")));
