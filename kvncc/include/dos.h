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

/* The processor's registers for a call of the machine's interrupts: the
   16-bit registers in x, their bytes in h (al the low byte of ax). */
struct WORDREGS {
    unsigned short ax, bx, cx, dx, si, di;
    unsigned short cflag; /* the carry flag, set when a call failed */
    unsigned short flags;
};

struct BYTEREGS {
    unsigned char al, ah, bl, bh, cl, ch, dl, dh;
};

union REGS {
    struct WORDREGS x;
    struct BYTEREGS h;
};

struct SREGS {
    unsigned short es, cs, ss, ds;
};

/* The attributes of files, as <dir.h> has them. */
#ifndef FA_RDONLY
#define FA_NORMAL 0x00
#define FA_RDONLY 0x01
#define FA_HIDDEN 0x02
#define FA_SYSTEM 0x04
#define FA_LABEL 0x08
#define FA_DIREC 0x10
#define FA_ARCH 0x20
#endif

/* A call of interrupt number with the registers in *in; the registers
   afterwards in *out and the result, out->x.ax. There is no machine to
   call here, so the calls a console program makes are answered by the
   terminal: the mouse driver (0x33) answers that there is none (function
   0 gives ax = 0 and bx = 0), so that a program goes on with the
   keyboard; the video services (0x10) place the cursor (ah = 2: row dh,
   column dl, from 0), tell where it is (3), show or hide it (1), blank a
   window (6 and 7 with al = 0), write a character (0x0E) and give the
   text mode (0x0F); the keyboard services (0x16) read a key (ah = 0: scan
   code in ah, character in al) and tell whether one waits (1: the zero
   flag when none does); the DOS functions (0x21) read and write
   characters (1, 2, 6, 7, 8, 0x0B), give the date (0x2A) and the time
   (0x2C), and end the program (0x4C). Every other call leaves the
   registers as they were and sets the carry flag (and, for DOS, ax = 1,
   "invalid function"). */
#ifndef KVN_OWN_int86
int int86(int number, union REGS *in, union REGS *out);
#endif
#ifndef KVN_OWN_int86x
int int86x(int number, union REGS *in, union REGS *out, struct SREGS *segments);
#endif
/* A call of the DOS functions (interrupt 0x21). */
#ifndef KVN_OWN_intdos
int intdos(union REGS *in, union REGS *out);
#endif
#ifndef KVN_OWN_intdosx
int intdosx(union REGS *in, union REGS *out, struct SREGS *segments);
#endif
/* The segment registers, all 0: memory has no segments here. */
#ifndef KVN_OWN_segread
void segread(struct SREGS *segments);
#endif

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
