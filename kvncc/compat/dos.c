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

/* A program that sleeps cannot read keys: while it does, they wait in the
   terminal unechoed, as keys waited in the old keyboard buffer, instead of
   being echoed across the screen of a game between two kbhit() calls. */
KVN_WEAK void delay(unsigned int milliseconds)
{
    struct termios saved, quiet;
    struct timespec left;
    const int terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    fflush(stdout);
    if (terminal) {
        quiet = saved;
        quiet.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
        quiet.c_cc[VMIN] = 1;
        quiet.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    left.tv_sec = milliseconds / 1000;
    left.tv_nsec = (long)(milliseconds % 1000) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR)
        ;
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
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

static void local_now(struct tm *now, long *hundredths)
{
    struct timespec clock;
    time_t seconds;
    clock_gettime(CLOCK_REALTIME, &clock);
    seconds = clock.tv_sec;
    localtime_r(&seconds, now);
    *hundredths = clock.tv_nsec / 10000000L;
}

KVN_WEAK void gettime(struct time *now)
{
    struct tm tm;
    long hundredths;
    local_now(&tm, &hundredths);
    now->ti_hour = (unsigned char)tm.tm_hour;
    now->ti_min = (unsigned char)tm.tm_min;
    now->ti_sec = (unsigned char)tm.tm_sec;
    now->ti_hund = (unsigned char)hundredths;
}

KVN_WEAK void getdate(struct date *today)
{
    struct tm tm;
    long hundredths;
    local_now(&tm, &hundredths);
    today->da_year = tm.tm_year + 1900;
    today->da_mon = (char)(tm.tm_mon + 1);
    today->da_day = (char)tm.tm_mday;
}

KVN_WEAK void _dos_gettime(struct dostime_t *now)
{
    struct tm tm;
    long hundredths;
    local_now(&tm, &hundredths);
    now->hour = (unsigned char)tm.tm_hour;
    now->minute = (unsigned char)tm.tm_min;
    now->second = (unsigned char)tm.tm_sec;
    now->hsecond = (unsigned char)hundredths;
}

KVN_WEAK void _dos_getdate(struct dosdate_t *today)
{
    struct tm tm;
    long hundredths;
    local_now(&tm, &hundredths);
    today->year = (unsigned int)tm.tm_year + 1900;
    today->month = (unsigned char)(tm.tm_mon + 1);
    today->day = (unsigned char)tm.tm_mday;
    today->dayofweek = (unsigned char)tm.tm_wday;
}
