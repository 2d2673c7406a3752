/* <dos.h>: pauses, the speaker and the clock. Weak, like the whole old
   library, so that a program's own function of the same name wins. */
#define _DEFAULT_SOURCE
#include <dos.h>

#include <errno.h>
#include <stdio.h>
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

/* Interrupt 0x10, the video services: where the cursor goes and whether it
   shows, on the terminal. */
static void video_call(union REGS *out)
{
    char codes[32];
    switch (out->h.ah) {
    case 1: /* cursor shape: bit 5 of the start line hides it */
        snprintf(codes, sizeof codes, "\033[?25%c", (out->h.ch & 0x20) ? 'l' : 'h');
        break;
    case 2: /* cursor position */
        snprintf(codes, sizeof codes, "\033[%u;%uH", out->h.dh + 1u, out->h.dl + 1u);
        break;
    default:
        out->x.cflag = 1;
        return;
    }
    if (isatty(STDOUT_FILENO)) {
        fflush(stdout);
        fputs(codes, stdout);
        fflush(stdout);
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
    default:
        break;
    }
}

KVN_WEAK int int86(int number, union REGS *in, union REGS *out)
{
    *out = *in;
    out->x.cflag = 0;
    switch (number) {
    case 0x10: video_call(out); break;
    case 0x33: mouse_call(out); break;
    default: out->x.cflag = 1; break;
    }
    out->x.flags = (unsigned short)((out->x.flags & ~1u) | out->x.cflag);
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

KVN_WEAK void segread(struct SREGS *segments)
{
    segments->es = segments->cs = segments->ss = segments->ds = 0;
}
