/* The names with an underscore that Microsoft's C library added to
   <stdio.h> and <stdlib.h>. Weak, like the whole old library. */
#include <wrap/stdio.h>
#include <wrap/stdlib.h>

#include "console.h"

#define KVN_WEAK __attribute__((weak))

/* What was typed and not yet read is dropped, as fflush(stdin) drops it,
   and every output stream is written out. */
KVN_WEAK int _flushall(void)
{
    fflush(stdin);
    fflush(NULL);
    return 0;
}

KVN_WEAK void _sleep(unsigned long milliseconds)
{
    kvn_pause_ms(milliseconds);
}
