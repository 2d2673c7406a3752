/* <conio.h> for console programs of the classic DOS and Windows compilers,
   on a terminal: getch, getche, kbhit, clrscr, gotoxy, putch, cputs.
   Usable from C and C++. Part of KVN.

   getch() and getche() read one key at once, without Enter; on a terminal
   Enter gives 13 ('\r') as it did there. When standard input is not a
   terminal they read the next character of the input. */
#ifndef KVN_COMPAT_CONIO_H
#define KVN_COMPAT_CONIO_H

#include <poll.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

static inline int kvn_conio_key(int echo)
{
    struct termios saved, raw;
    unsigned char key;
    fflush(stdout);
    if (tcgetattr(STDIN_FILENO, &saved) != 0) {
        int c = getchar();
        if (echo && c != EOF) {
            putchar(c);
            fflush(stdout);
        }
        return c;
    }
    raw = saved;
    raw.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
    raw.c_iflag &= ~(tcflag_t)ICRNL;
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    if (read(STDIN_FILENO, &key, 1) != 1)
        key = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    if (echo) {
        putchar(key);
        fflush(stdout);
    }
    return key;
}

static inline int getch(void)
{
    return kvn_conio_key(0);
}

static inline int getche(void)
{
    return kvn_conio_key(1);
}

/* Non-zero when a key is waiting to be read. */
static inline int kbhit(void)
{
    struct termios saved, raw;
    int waiting = 0;
    fflush(stdout);
    if (tcgetattr(STDIN_FILENO, &saved) != 0) {
        struct pollfd input = {STDIN_FILENO, POLLIN, 0};
        return poll(&input, 1, 0) > 0;
    }
    raw = saved;
    raw.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    ioctl(STDIN_FILENO, FIONREAD, &waiting);
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    return waiting > 0;
}

static inline void clrscr(void)
{
    fputs("\033[2J\033[H", stdout);
    fflush(stdout);
}

/* Columns and rows count from 1, from the top left corner. */
static inline void gotoxy(int x, int y)
{
    printf("\033[%d;%dH", y, x);
    fflush(stdout);
}

static inline int putch(int c)
{
    putchar(c);
    fflush(stdout);
    return c;
}

static inline int cputs(const char *text)
{
    int result = fputs(text, stdout);
    fflush(stdout);
    return result;
}

#endif
