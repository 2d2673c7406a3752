/* <bios.h>: the keyboard services of the BIOS, over the console's keys.
   Weak, like the whole old library, so that a program's own function of
   the same name wins. */
#include <bios.h>

#include "console.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

/* In dos.c: the keyboard interrupt's next key, scan code and character. */
int kvn_bios_key(void);

static int input_has_ended;

/* A wait for a key from a file or a pipe read to its end would never end:
   the program ends there, named by the function that waited, as a wait of
   getch() ends it. Such a wait of the program's atexit() functions or
   destructors, run by that end, gets -1 and lets the end go on. */
static int key_can_come(const char *caller)
{
    int c;
    if (input_has_ended)
        return 0;
    if (kvn_key_waiting() || isatty(STDIN_FILENO))
        return 1;
    c = getc(stdin); /* waits for the pipe's writer, as a key was waited for */
    if (c != EOF) {
        ungetc(c, stdin);
        return 1;
    }
    input_has_ended = 1;
    fflush(stdout);
    fprintf(stderr, "%s%s(): the input has ended, so the program ends here.\n", isatty(STDERR_FILENO) ? "\n" : "",
            caller);
    exit(0);
}

static int keyboard(int cmd, const char *caller)
{
    switch (cmd) {
    case 0x00:
    case 0x10:
        return key_can_come(caller) ? kvn_bios_key() : -1;
    case 0x01:
    case 0x11:
        return kvn_key_waiting() ? 1 : 0;
    default: /* 2 and 0x12, the shift keys, and whatever else: nothing held */
        return 0;
    }
}

KVN_WEAK int bioskey(int cmd)
{
    return keyboard(cmd, "bioskey");
}

KVN_WEAK unsigned _bios_keybrd(unsigned cmd)
{
    return (unsigned)keyboard((int)cmd, "_bios_keybrd");
}
