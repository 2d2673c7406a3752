/* <time.h> with CLK_TCK of the classic DOS and Windows compilers: the
   ticks of clock() in a second, a double as theirs was, so that
   (end - start) / CLK_TCK gives seconds with their fraction. The system's
   own CLK_TCK, where it has one, counts the ticks of times() instead,
   which are not clock()'s. Part of KVN; kvncc finds it before the system's
   own <time.h>, which it includes first.

   A program that defines CLK_TCK itself gets -DKVN_OWN_CLK_TCK from kvncc
   and keeps its own. */
#pragma GCC system_header
#include_next <time.h>

#ifndef KVN_COMPAT_WRAP_TIME_H
#define KVN_COMPAT_WRAP_TIME_H

#ifndef KVN_OWN_CLK_TCK
#undef CLK_TCK
#define CLK_TCK ((double)CLOCKS_PER_SEC)
#endif

#endif
