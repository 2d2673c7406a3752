/* The terminal's key mode, for the console functions that read single
   keys and for delay(): no line editing, no echo. The line mode is put
   back on the way out, also when the program is interrupted meanwhile
   (Ctrl+C while getch() waits), so that the shell does not inherit a
   terminal that neither echoes nor edits lines; and the screen gets its
   cursor and colours back (console.c). */
#define _POSIX_C_SOURCE 200809L
#include "console.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

/* In console.c. */
void kvn_screen_restore_for_signal(void);

static struct termios line_mode;
static volatile sig_atomic_t in_key_mode;

static void interrupted(int signal_number)
{
    if (in_key_mode)
        tcsetattr(STDIN_FILENO, TCSANOW, &line_mode);
    kvn_screen_restore_for_signal();
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

/* Only where the program left the signal to the system: its own handler
   is its business. A program that crashes (a bad pointer, a division by
   zero, abort()) still ends by its signal, with the terminal given back
   first. */
static void watch_signals(void)
{
    static const int signals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
    static int watching;
    size_t i;
    if (watching)
        return;
    watching = 1;
    for (i = 0; i < sizeof signals / sizeof signals[0]; ++i) {
        struct sigaction old, handler;
        if (sigaction(signals[i], NULL, &old) != 0 || old.sa_handler != SIG_DFL)
            continue;
        memset(&handler, 0, sizeof handler);
        handler.sa_handler = interrupted;
        sigemptyset(&handler.sa_mask);
        sigaction(signals[i], &handler, NULL);
    }
}

void kvn_watch_signals(void)
{
    watch_signals();
}

/* Switches standard input to key mode and keeps its line mode in saved;
   0 when it is not a terminal. With enter_gives_cr, Enter reads as 13, as
   it did on the old systems. */
int kvn_key_mode(struct termios *saved, int enter_gives_cr)
{
    struct termios keys;
    if (tcgetattr(STDIN_FILENO, saved) != 0)
        return 0;
    watch_signals();
    keys = *saved;
    keys.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
    if (enter_gives_cr)
        keys.c_iflag &= ~(tcflag_t)ICRNL;
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    line_mode = *saved;
    in_key_mode = 1;
    tcsetattr(STDIN_FILENO, TCSANOW, &keys);
    return 1;
}

int kvn_read_input_byte(void)
{
    unsigned char byte;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, &byte, 1);
        if (n == 1)
            return byte;
        if (n < 0 && errno == EINTR)
            continue;
        return -1;
    }
}

void kvn_line_mode(const struct termios *saved)
{
    tcsetattr(STDIN_FILENO, TCSANOW, saved);
    in_key_mode = 0;
}
