/* The console state that conio, <windows.h> and the console commands of
   system() share: whether output is a terminal at all, the colours of all
   text, the cursor's visibility, the screen's size. */
#define _DEFAULT_SOURCE
#include "console.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

/* In terminal.c. */
int kvn_key_mode(struct termios *saved, int enter_gives_cr);
void kvn_line_mode(const struct termios *saved);
void kvn_watch_signals(void);

enum { REVERSE_VIDEO = 0x4000, UNDERSCORE = 0x8000 };

/* What a signal handler puts back: set only at a terminal. */
static volatile sig_atomic_t colours_changed, cursor_hidden_now, title_saved;

static struct {
    int base; /* -1: the terminal's own colours */
    char base_sgr[32];
    int colours_registered;
    int cursor_hidden;
    int cursor_registered;
    int title_registered;
    char title[256];
} state = {-1, "\033[0m", 0, 0, 0, 0, ""};

/* Defined, weak, by <windows.h> in C++ programs with <iostream>: writes
   out the standard C++ streams. */
void kvn_flush_cxx_streams(void) __attribute__((weak));

void kvn_flush_output(void)
{
    if (kvn_flush_cxx_streams)
        kvn_flush_cxx_streams();
    fflush(stdout);
}

/* Asked each time: a program may point stdout elsewhere with freopen(). */
int kvn_output_is_terminal(void)
{
    return isatty(fileno(stdout));
}

/* The console's colour numbers are blue, green, red bits; the terminal's
   are red, green, blue. */
static int terminal_colour(int colour, int normal, int bright)
{
    static const int ansi[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    return (colour & 8 ? bright : normal) + ansi[colour & 7];
}

static void reset_colours_at_exit(void)
{
    if (state.base != -1 && kvn_output_is_terminal()) {
        kvn_flush_output();
        fputs("\033[0m", stdout);
        fflush(stdout);
    }
}

void kvn_set_base_attribute(int attribute)
{
    int length;
    if (attribute < 0 || (attribute & 0xFF) == 0x07) {
        /* Underlined or reversed light grey on black: those marks on the
           terminal's own colours. */
        length = snprintf(state.base_sgr, sizeof state.base_sgr, "\033[0%s%sm",
                          attribute >= 0 && (attribute & UNDERSCORE) ? ";4" : "",
                          attribute >= 0 && (attribute & REVERSE_VIDEO) ? ";7" : "");
    } else {
        length = snprintf(state.base_sgr, sizeof state.base_sgr, "\033[0;%d;%d%s%sm",
                          terminal_colour(attribute & 15, 30, 90), terminal_colour(attribute >> 4 & 15, 40, 100),
                          attribute & UNDERSCORE ? ";4" : "", attribute & REVERSE_VIDEO ? ";7" : "");
    }
    state.base = length == 4 ? -1 : attribute & (0xFF | UNDERSCORE | REVERSE_VIDEO);
    if (!kvn_output_is_terminal())
        return;
    kvn_flush_output();
    if (state.base != -1 && !state.colours_registered)
        state.colours_registered = atexit(reset_colours_at_exit) == 0;
    colours_changed = state.base != -1;
    if (colours_changed)
        kvn_watch_signals();
    fputs(state.base_sgr, stdout);
    fflush(stdout);
}

int kvn_base_attribute(void)
{
    return state.base;
}

void kvn_restore_base_colours(void)
{
    if (kvn_output_is_terminal())
        fputs(state.base_sgr, stdout);
}

static void show_cursor_at_exit(void)
{
    if (state.cursor_hidden && kvn_output_is_terminal()) {
        kvn_flush_output();
        fputs("\033[?25h", stdout);
        fflush(stdout);
    }
}

void kvn_cursor_visible(int visible)
{
    state.cursor_hidden = !visible;
    if (!kvn_output_is_terminal())
        return;
    if (!visible && !state.cursor_registered)
        state.cursor_registered = atexit(show_cursor_at_exit) == 0;
    cursor_hidden_now = !visible;
    if (!visible)
        kvn_watch_signals();
    kvn_flush_output();
    fputs(visible ? "\033[?25h" : "\033[?25l", stdout);
    fflush(stdout);
}

/* The title the terminal had, saved on its stack before the first title
   of the program's, comes back as the program ends, as the console's
   title came back when the program ended. */
static void restore_title_at_exit(void)
{
    if (title_saved && kvn_output_is_terminal()) {
        kvn_flush_output();
        fputs("\033[23;0t", stdout);
        fflush(stdout);
    }
}

/* A control character of the terminal, C0, DEL or C1 (U+0080 to U+009F,
   C2 80 to C2 9F in UTF-8): in a title it would end the title early and
   act on the terminal. Its length in bytes, or 0 for text. */
static int control_at(const unsigned char *text)
{
    if (text[0] < 0x20 || text[0] == 0x7F)
        return 1;
    if (text[0] == 0xC2 && text[1] >= 0x80 && text[1] <= 0x9F)
        return 2;
    return 0;
}

void kvn_set_title(const char *title)
{
    const unsigned char *text = (const unsigned char *)title;
    size_t i = 0, n = 0;
    while (text[i] && n + 1 < sizeof state.title) {
        const int control = control_at(text + i);
        if (control)
            i += (size_t)control;
        else
            state.title[n++] = (char)text[i++];
    }
    state.title[n] = '\0';
    if (kvn_output_is_terminal()) {
        kvn_flush_output();
        if (!state.title_registered) {
            state.title_registered = atexit(restore_title_at_exit) == 0;
            if (state.title_registered) {
                fputs("\033[22;0t", stdout);
                title_saved = 1;
                kvn_watch_signals();
            }
        }
        printf("\033]0;%s\007", state.title);
        fflush(stdout);
    }
}

const char *kvn_title(void)
{
    return state.title;
}

void kvn_screen_restore_for_signal(void)
{
    /* Only write(): the signal may have come in the middle of printf(). */
    if (colours_changed)
        (void)!write(STDOUT_FILENO, "\033[0m", 4);
    if (cursor_hidden_now)
        (void)!write(STDOUT_FILENO, "\033[?25h", 6);
    if (title_saved)
        (void)!write(STDOUT_FILENO, "\033[23;0t", 7);
}

void kvn_screen_size(int *columns, int *rows)
{
    struct winsize size;
    *columns = 80;
    *rows = 25;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        *columns = size.ws_col;
        *rows = size.ws_row;
    }
}

/* A program that sleeps cannot read keys: while it does, they wait in the
   terminal unechoed, as keys waited in the console's buffer, instead of
   being echoed across the screen of a game between two _kbhit() calls. */
void kvn_pause_ms(unsigned long milliseconds)
{
    struct termios saved;
    struct timespec left;
    int terminal;
    kvn_flush_output();
    /* Enter stays a line end, for a scanf() that reads it afterwards. */
    terminal = kvn_key_mode(&saved, 0);
    left.tv_sec = (time_t)(milliseconds / 1000);
    left.tv_nsec = (long)(milliseconds % 1000) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR)
        ;
    if (terminal)
        kvn_line_mode(&saved);
}
