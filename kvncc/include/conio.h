/* <conio.h> of the classic DOS and Windows compilers, on a terminal: keys
   read one at a time, the cursor, windows and colours through the
   terminal's escape codes. Usable from C89 to C++20. Part of KVN.

   The functions live in KVN's old library, which kvncc links into every
   program, so a C program that calls getch() without this header still
   links. A program that defines one of these names itself gets
   -DKVN_OWN_<name> from kvncc, which hides our declaration of that name so
   that the program's own one never clashes with it.

   getch() and getche() read one key at once, without Enter; Enter gives 13
   and the arrow and function keys give 0 followed by their scan code, as
   there. When standard input is not a terminal they read the next
   character of the input (a line end counting as Enter).

   Only what goes through these functions (cputs, cprintf, putch, clrscr,
   ...) takes the colours of textcolor() and textbackground(); printf()
   and cout print as they always do, as on the old systems. Colours,
   cursor moves and clearing reach only a terminal: output to a file or a
   pipe holds the text alone. */
#ifndef KVN_COMPAT_CONIO_H
#define KVN_COMPAT_CONIO_H

/* The old header was usually paired with printf() and programs came to
   rely on getting it from here. */
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

enum COLORS {
    BLACK, BLUE, GREEN, CYAN, RED, MAGENTA, BROWN, LIGHTGRAY,
    DARKGRAY, LIGHTBLUE, LIGHTGREEN, LIGHTCYAN, LIGHTRED, LIGHTMAGENTA, YELLOW, WHITE
};
#ifndef BLINK
#define BLINK 128
#endif

enum text_modes { LASTMODE = -1, BW40 = 0, C40 = 1, BW80 = 2, C80 = 3, MONO = 7, C4350 = 64 };

#define _NOCURSOR 0
#define _SOLIDCURSOR 1
#define _NORMALCURSOR 2

struct text_info {
    unsigned char winleft, wintop, winright, winbottom;
    unsigned char attribute, normattr;
    unsigned char currmode;
    unsigned char screenheight, screenwidth;
    unsigned char curx, cury;
};

/* Keys */
#ifndef KVN_OWN_getch
int getch(void);
#endif
#ifndef KVN_OWN_getche
int getche(void);
#endif
#ifndef KVN_OWN_kbhit
int kbhit(void);
#endif
#ifndef KVN_OWN_ungetch
int ungetch(int ch);
#endif
#ifndef KVN_OWN_cgets
char *cgets(char *buffer);
#endif
#ifndef KVN_OWN_cscanf
int cscanf(const char *format, ...);
#endif

/* Output in the current colours */
#ifndef KVN_OWN_putch
int putch(int ch);
#endif
#ifndef KVN_OWN_cputs
int cputs(const char *text);
#endif
#ifndef KVN_OWN_cprintf
int cprintf(const char *format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
#endif

/* The names with an underscore of the Windows compilers: the same
   functions. */
#ifndef KVN_OWN__getch
int _getch(void);
#endif
#ifndef KVN_OWN__getche
int _getche(void);
#endif
#ifndef KVN_OWN__kbhit
int _kbhit(void);
#endif
#ifndef KVN_OWN__ungetch
int _ungetch(int ch);
#endif
#ifndef KVN_OWN__cgets
char *_cgets(char *buffer);
#endif
#ifndef KVN_OWN__cscanf
int _cscanf(const char *format, ...);
#endif
#ifndef KVN_OWN__putch
int _putch(int ch);
#endif
#ifndef KVN_OWN__cputs
int _cputs(const char *text);
#endif
#ifndef KVN_OWN__cprintf
int _cprintf(const char *format, ...)
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
#endif

/* The screen, the window and the cursor; columns and rows count from 1 at
   the top left corner of the current window. */
#ifndef KVN_OWN_clrscr
void clrscr(void);
#endif
#ifndef KVN_OWN_clreol
void clreol(void);
#endif
#ifndef KVN_OWN_delline
void delline(void);
#endif
#ifndef KVN_OWN_insline
void insline(void);
#endif
#ifndef KVN_OWN_gotoxy
void gotoxy(int x, int y);
#endif
#ifndef KVN_OWN_wherex
int wherex(void);
#endif
#ifndef KVN_OWN_wherey
int wherey(void);
#endif
#ifndef KVN_OWN_window
void window(int left, int top, int right, int bottom);
#endif
#ifndef KVN_OWN_gettextinfo
void gettextinfo(struct text_info *info);
#endif
#ifndef KVN_OWN__setcursortype
void _setcursortype(int type);
#endif

/* Colours and modes */
#ifndef KVN_OWN_textcolor
void textcolor(int color);
#endif
#ifndef KVN_OWN_textbackground
void textbackground(int color);
#endif
#ifndef KVN_OWN_textattr
void textattr(int attribute);
#endif
#ifndef KVN_OWN_textmode
void textmode(int mode);
#endif
#ifndef KVN_OWN_highvideo
void highvideo(void);
#endif
#ifndef KVN_OWN_lowvideo
void lowvideo(void);
#endif
#ifndef KVN_OWN_normvideo
void normvideo(void);
#endif

#ifdef __cplusplus
}
#endif

#endif
