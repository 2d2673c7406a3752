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
