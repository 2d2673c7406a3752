/* <dos.h>: pauses, the speaker and the clock. Weak, like the whole old
   library, so that a program's own function of the same name wins. */
#define _DEFAULT_SOURCE
#include <dos.h>

#include "console.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

/* In terminal.c. */
int kvn_key_mode(struct termios *saved, int enter_gives_cr);
void kvn_line_mode(const struct termios *saved);

/* A program that sleeps cannot read keys: while it does, they wait in the
   terminal unechoed, as keys waited in the old keyboard buffer, instead of
   being echoed across the screen of a game between two kbhit() calls. */
KVN_WEAK void delay(unsigned int milliseconds)
{
    struct termios saved;
    struct timespec left;
    int terminal;
    fflush(stdout);
    /* Enter stays a line end, for a scanf() that reads it afterwards. */
    terminal = kvn_key_mode(&saved, 0);
    left.tv_sec = milliseconds / 1000;
    left.tv_nsec = (long)(milliseconds % 1000) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR)
        ;
    if (terminal)
        kvn_line_mode(&saved);
}

static int sounding;

KVN_WEAK void sound(unsigned int frequency)
{
    if (frequency && !sounding && isatty(STDOUT_FILENO)) {
        fputc('\a', stdout);
        fflush(stdout);
    }
    sounding = frequency != 0;
}

KVN_WEAK void nosound(void)
{
    sounding = 0;
}

/* The clock of the old systems: local time to the hundredth of a second. */
static void time_now(struct time *now, struct date *today, int *weekday)
{
    struct timespec clock;
    struct tm local;
    time_t seconds;
    clock_gettime(CLOCK_REALTIME, &clock);
    seconds = clock.tv_sec;
    localtime_r(&seconds, &local);
    now->ti_hour = (unsigned char)local.tm_hour;
    now->ti_min = (unsigned char)local.tm_min;
    now->ti_sec = (unsigned char)local.tm_sec;
    now->ti_hund = (unsigned char)(clock.tv_nsec / 10000000L);
    today->da_year = local.tm_year + 1900;
    today->da_mon = (char)(local.tm_mon + 1);
    today->da_day = (char)local.tm_mday;
    *weekday = local.tm_wday;
}

KVN_WEAK void gettime(struct time *now)
{
    struct date today;
    int weekday;
    time_now(now, &today, &weekday);
}

KVN_WEAK void getdate(struct date *today)
{
    struct time now;
    int weekday;
    time_now(&now, today, &weekday);
}

KVN_WEAK void _dos_gettime(struct dostime_t *dos)
{
    struct time now;
    struct date today;
    int weekday;
    time_now(&now, &today, &weekday);
    dos->hour = now.ti_hour;
    dos->minute = now.ti_min;
    dos->second = now.ti_sec;
    dos->hsecond = now.ti_hund;
}

KVN_WEAK void _dos_getdate(struct dosdate_t *dos)
{
    struct time now;
    struct date today;
    int weekday;
    time_now(&now, &today, &weekday);
    dos->year = (unsigned int)today.da_year;
    dos->month = (unsigned char)today.da_mon;
    dos->day = (unsigned char)today.da_day;
    dos->dayofweek = (unsigned char)weekday;
}

/* The flags register's carry and zero flags. */
enum { carry_flag = 0x01, zero_flag = 0x40 };

static void screen_codes(const char *codes)
{
    if (kvn_output_is_terminal()) {
        fflush(stdout);
        fputs(codes, stdout);
        fflush(stdout);
    }
}

/* Blanks the rectangle from row top, column left to row bottom, column
   right (from 0) in the background of attribute, the cursor left where it
   was. */
static void blank(int top, int left, int bottom, int right, int attribute)
{
    static const int ansi[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    char codes[32];
    int row, column;
    if (!kvn_output_is_terminal() || bottom < top || right < left)
        return;
    fflush(stdout);
    printf("\0337\033[%dm", 40 + ansi[(attribute >> 4) & 7]);
    for (row = top; row <= bottom; ++row) {
        snprintf(codes, sizeof codes, "\033[%d;%dH", row + 1, left + 1);
        fputs(codes, stdout);
        for (column = left; column <= right; ++column)
            putchar(' ');
    }
    fputs("\0338", stdout);
    kvn_restore_base_colours();
    fflush(stdout);
}

/* Interrupt 0x10, the video services, on the terminal. */
static void video_call(union REGS *out)
{
    char codes[32];
    int row, column;
    switch (out->h.ah) {
    case 0x01: /* cursor shape: bit 5 of the start line hides it */
        kvn_cursor_visible(!(out->h.ch & 0x20));
        break;
    case 0x02: /* cursor position */
        snprintf(codes, sizeof codes, "\033[%u;%uH", out->h.dh + 1u, out->h.dl + 1u);
        screen_codes(codes);
        break;
    case 0x03: /* where the cursor is, and its shape */
        if (!kvn_ask_cursor(&row, &column))
            row = column = 1;
        out->h.dh = (unsigned char)(row - 1);
        out->h.dl = (unsigned char)(column - 1);
        out->x.cx = 0x0607;
        break;
    case 0x06: /* scroll a window up or down: only the blanking of all of it */
    case 0x07:
        if (out->h.al != 0) {
            out->x.cflag = 1;
            break;
        }
        blank(out->h.ch, out->h.cl, out->h.dh, out->h.dl, out->h.bh);
        break;
    case 0x0E: /* a character written as on a teletype */
        putchar(out->h.al);
        fflush(stdout);
        break;
    case 0x0F: /* the video mode: colour text of 80 columns */
        out->h.al = 3;
        out->h.ah = 80;
        out->h.bh = 0;
        break;
    default:
        out->x.cflag = 1;
        break;
    }
}

/* The scan code of the key that gives character c on a US keyboard; 0
   when there is none. */
static unsigned char scan_code(int c)
{
    static const struct {
        const char *keys, *shifted;
        unsigned char first;
    } rows[] = {{"1234567890-=", "!@#$%^&*()_+", 0x02},
                {"qwertyuiop[]", "QWERTYUIOP{}", 0x10},
                {"asdfghjkl;'`", "ASDFGHJKL:\"~", 0x1E},
                {"\\zxcvbnm,./", "|ZXCVBNM<>?", 0x2B}};
    size_t i;
    const char *at;
    switch (c) {
    case 27: return 0x01;
    case 8: return 0x0E;
    case 9: return 0x0F;
    case 13: return 0x1C;
    case ' ': return 0x39;
    default: break;
    }
    if (c >= 1 && c <= 26) /* Ctrl and a letter */
        c += 'a' - 1;
    for (i = 0; c > 0 && i < sizeof rows / sizeof rows[0]; ++i) {
        if ((at = strchr(rows[i].keys, c)) != NULL)
            return (unsigned char)(rows[i].first + (at - rows[i].keys));
        if ((at = strchr(rows[i].shifted, c)) != NULL)
            return (unsigned char)(rows[i].first + (at - rows[i].shifted));
    }
    return 0;
}

/* Interrupt 0x16, the keyboard services, through getch() and kbhit(). */
static void keyboard_call(union REGS *out)
{
    int key;
    switch (out->h.ah) {
    case 0x00: /* the next key: scan code in ah, character in al */
    case 0x10:
        key = kvn_read_key(0);
        if (key == 0 || key == 0xE0) {
            out->h.ah = (unsigned char)kvn_read_key(0);
            out->h.al = 0;
        } else {
            out->h.ah = scan_code(key);
            out->h.al = (unsigned char)key;
        }
        break;
    case 0x01: /* whether a key waits: the zero flag when none does */
    case 0x11:
        if (!kvn_key_waiting())
            out->x.flags |= zero_flag;
        break;
    case 0x02: /* the shift keys: none held, as far as anyone can tell */
    case 0x12:
        out->h.al = 0;
        break;
    default:
        out->x.cflag = 1;
        break;
    }
}

/* The next key as the keyboard interrupt gives it, for <bios.h>'s bioskey()
   and _bios_keybrd(): the scan code in the high byte, the character in the
   low one (0 for the keys without one). */
int kvn_bios_key(void)
{
    union REGS regs;
    memset(&regs, 0, sizeof regs);
    keyboard_call(&regs);
    return regs.x.ax;
}

/* Interrupt 0x21, the DOS functions a console program calls. */
static void dos_call(union REGS *out)
{
    struct time now;
    struct date today;
    int weekday;
    switch (out->h.ah) {
    case 0x01: /* a key, echoed */
        out->h.al = (unsigned char)kvn_read_key(1);
        break;
    case 0x02: /* a character written */
        putchar(out->h.dl);
        fflush(stdout);
        break;
    case 0x06: /* a character written, or with dl 0xFF a key if one waits */
        if (out->h.dl != 0xFF) {
            putchar(out->h.dl);
            fflush(stdout);
        } else if (kvn_key_waiting()) {
            out->h.al = (unsigned char)kvn_read_key(0);
        } else {
            out->h.al = 0;
            out->x.flags |= zero_flag;
        }
        break;
    case 0x07: /* a key, not echoed */
    case 0x08:
        out->h.al = (unsigned char)kvn_read_key(0);
        break;
    case 0x0B: /* whether a key waits */
        out->h.al = kvn_key_waiting() ? 0xFF : 0;
        break;
    case 0x2A: /* the date: year in cx, month dh, day dl, weekday al */
        time_now(&now, &today, &weekday);
        out->x.cx = (unsigned short)today.da_year;
        out->h.dh = (unsigned char)today.da_mon;
        out->h.dl = (unsigned char)today.da_day;
        out->h.al = (unsigned char)weekday;
        break;
    case 0x2C: /* the time: hours ch, minutes cl, seconds dh, hundredths dl */
        time_now(&now, &today, &weekday);
        out->h.ch = now.ti_hour;
        out->h.cl = now.ti_min;
        out->h.dh = now.ti_sec;
        out->h.dl = now.ti_hund;
        break;
    case 0x30: /* the DOS version: 5.0 */
        out->h.al = 5;
        out->h.ah = 0;
        break;
    case 0x4C: /* the end of the program, with the exit status in al */
        fflush(stdout);
        exit(out->h.al);
    default: /* invalid function */
        out->x.ax = 1;
        out->x.cflag = 1;
        break;
    }
}

/* Interrupt 0x33, the mouse driver, which is not there. */
static void mouse_call(union REGS *out)
{
    switch (out->x.ax) {
    case 0x00: /* reset: not installed, no buttons */
        out->x.ax = 0;
        out->x.bx = 0;
        break;
    case 0x03: /* position and buttons: none pressed */
        out->x.bx = 0;
        out->x.cx = 0;
        out->x.dx = 0;
        break;
    case 0x05: /* presses and releases of a button: none */
    case 0x06:
        out->x.ax = 0;
        out->x.bx = 0;
        out->x.cx = 0;
        out->x.dx = 0;
        break;
    default:
        break;
    }
}

KVN_WEAK int int86(int number, union REGS *in, union REGS *out)
{
    *out = *in;
    out->x.cflag = 0;
    out->x.flags = (unsigned short)(out->x.flags & ~(carry_flag | zero_flag));
    switch (number) {
    case 0x10: video_call(out); break;
    case 0x16: keyboard_call(out); break;
    case 0x21: dos_call(out); break;
    case 0x33: mouse_call(out); break;
    default: out->x.cflag = 1; break;
    }
    if (out->x.cflag)
        out->x.flags |= carry_flag;
    return out->x.ax;
}

KVN_WEAK int int86x(int number, union REGS *in, union REGS *out, struct SREGS *segments)
{
    (void)segments;
    return int86(number, in, out);
}

KVN_WEAK int intdos(union REGS *in, union REGS *out)
{
    return int86(0x21, in, out);
}

KVN_WEAK int intdosx(union REGS *in, union REGS *out, struct SREGS *segments)
{
    (void)segments;
    return int86(0x21, in, out);
}

KVN_WEAK void segread(struct SREGS *segments)
{
    segments->es = segments->cs = segments->ss = segments->ds = 0;
}
