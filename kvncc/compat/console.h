/* What the files of the old library share about the console: private to
   the library (kvn_ names, never the public ones, which a program may
   define itself). */
#ifndef KVN_COMPAT_CONSOLE_H
#define KVN_COMPAT_CONSOLE_H

#include <stddef.h>

/* Writes text at the cursor in conio's colours, moving conio's cursor. */
void kvn_console_write(const char *text, size_t length);

/* Writes out all the program printed so far: stdout, and in a C++
   program also cout, clog and cerr, which have buffers of their own after
   ios::sync_with_stdio(false). Screen control and commands come after it,
   as on the console, which took each piece of text as it was written. */
void kvn_flush_output(void);

/* Whether standard output is a terminal: screen control (colours, cursor
   moves, clearing) is written only then, so that a file or a pipe gets
   the program's text and nothing else, as on the old systems, where such
   control went to the screen and never into redirected output. */
int kvn_output_is_terminal(void);

/* The colours that all later text has, printf() and cout included, as
   after SetConsoleTextAttribute() or the "color" command: a console
   attribute (foreground in the low four bits, background in the next
   four), or -1 for the terminal's own colours. Light grey on black, the
   console's usual colours, is the terminal's own. */
void kvn_set_base_attribute(int attribute);
/* The attribute last set, or -1. */
int kvn_base_attribute(void);
/* Switches the terminal back to the base colours after text in colours of
   its own (nothing when output is not a terminal). */
void kvn_restore_base_colours(void);

/* Shows or hides the cursor; one hidden is shown again when the program
   ends, also by Ctrl+C or another signal it leaves to the system. */
void kvn_cursor_visible(int visible);

/* From a signal handler: the terminal's own colours and a visible cursor
   again, where the program changed them. */
void kvn_screen_restore_for_signal(void);

/* Sets the terminal's title; control characters in it are dropped, as
   they would end the title early and act on the terminal. */
void kvn_set_title(const char *title);
/* The title last set, or "". */
const char *kvn_title(void);

/* The terminal's size in columns and rows: 80 by 25 when it cannot say. */
void kvn_screen_size(int *columns, int *rows);

/* Asks the terminal where its cursor is (1-based); 0 when it cannot say.
   Keys typed meanwhile are kept for getch(). */
int kvn_ask_cursor(int *row, int *column);

/* One byte read straight from standard input, past stdin's buffer, or
   EOF (-1) at its end or on an error; an interrupted read is tried again. */
int kvn_read_input_byte(void);

/* getch() (echo 0) and getche() (echo 1) without their public names: a
   key as the old console gave it; ends the program when no key can come
   any more (the input ended). */
int kvn_read_key(int echo);
/* kbhit() without its public name: whether a key waits; 0 once the input
   has ended. */
int kvn_key_waiting(void);

/* Waits the given milliseconds with stdout flushed first; keys typed
   meanwhile wait unechoed for the program's next read. */
void kvn_pause_ms(unsigned long milliseconds);

#endif
