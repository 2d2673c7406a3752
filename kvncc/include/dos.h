/* <dos.h> of the classic DOS and Windows compilers: pauses, the speaker,
   the clock. Usable from C89 to C++20. Part of KVN.

   The functions live in KVN's old library; a name the program defines
   itself is hidden by kvncc's -DKVN_OWN_<name>. */
#ifndef KVN_COMPAT_DOS_H
#define KVN_COMPAT_DOS_H

#ifdef __cplusplus
extern "C" {
#endif

struct time {
    unsigned char ti_min;  /* minutes */
    unsigned char ti_hour; /* hours */
    unsigned char ti_hund; /* hundredths of a second */
    unsigned char ti_sec;  /* seconds */
};

struct date {
    int da_year; /* the year, such as 1994 */
    char da_day; /* day of the month, from 1 */
    char da_mon; /* month, 1 for January */
};

struct dostime_t {
    unsigned char hour, minute, second, hsecond;
};

struct dosdate_t {
    unsigned char day, month;
    unsigned int year;
    unsigned char dayofweek; /* 0 for Sunday */
};

/* Waits the given milliseconds; keys typed meanwhile wait unechoed for
   getch(). */
#ifndef KVN_OWN_delay
void delay(unsigned int milliseconds);
#endif
/* The terminal has no speaker to tune: a note rings its bell once. */
#ifndef KVN_OWN_sound
void sound(unsigned int frequency);
#endif
#ifndef KVN_OWN_nosound
void nosound(void);
#endif
#ifndef KVN_OWN_gettime
void gettime(struct time *now);
#endif
#ifndef KVN_OWN__dos_gettime
void _dos_gettime(struct dostime_t *now);
#endif
#ifndef KVN_OWN__dos_getdate
void _dos_getdate(struct dosdate_t *today);
#endif

/* The system's own sleep(), declared as <unistd.h> declares it, so that
   both headers can be included together. */
#ifndef KVN_OWN_sleep
unsigned int sleep(unsigned int seconds);
#endif

#ifdef __cplusplus
}
#endif

/* The system's <time.h> may declare a getdate() of its own, which parses
   a date: ours goes by another name in the library and, in C++, is an
   overload beside it. */
#ifndef KVN_OWN_getdate
void getdate(struct date *today) __asm__("kvn_getdate");
#endif

#endif
