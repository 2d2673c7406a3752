/* <stdlib.h> with the additions of the classic DOS and Windows compilers:
   itoa, ltoa, ultoa, random(n), randomize(), and for C the max() and min()
   macros. Part of KVN; kvncc finds it before the system's own <stdlib.h>,
   which it includes first, for every C and C++ program.

   The functions live in KVN's old library. A program that defines one of
   these names itself gets -DKVN_OWN_<name> from kvncc, which hides our
   declaration, so its own one, of whatever signature, never clashes. */
#pragma GCC system_header
#include_next <stdlib.h>

#ifndef KVN_COMPAT_WRAP_STDLIB_H
#define KVN_COMPAT_WRAP_STDLIB_H

#ifdef __cplusplus
extern "C" {
#endif

/* The digits of value in radix 2 to 36, in lower case; a minus sign only
   in radix 10, other radixes show the bits of a negative number. */
#ifndef KVN_OWN_itoa
char *itoa(int value, char *string, int radix);
#endif
#ifndef KVN_OWN_ltoa
char *ltoa(long value, char *string, int radix);
#endif
#ifndef KVN_OWN_ultoa
char *ultoa(unsigned long value, char *string, int radix);
#endif
/* The pause of the Windows compilers' library, in milliseconds. */
#ifndef KVN_OWN__sleep
void _sleep(unsigned long milliseconds);
#endif
/* Seeds rand() from the clock. */
#ifndef KVN_OWN_randomize
void randomize(void);
#endif

#ifndef KVN_OWN_random
/* A number from 0 to n - 1, drawn from rand(). */
int kvn_random_below(int n);
#ifndef __cplusplus
long random(void); /* the system's, also where strict ISO C hides it */
#endif
#endif

#ifdef __cplusplus
}
#endif

#ifndef KVN_OWN_random
#ifdef __cplusplus
inline int random(int n)
{
    return kvn_random_below(n);
}
#else
/* The system's random() takes no argument, the old one took n: random()
   stays the system's and random(n) is the old one. A macro that counts
   its arguments would need the comma rules that differ between the
   standard modes; the spelling of the argument tells the two apart in
   every mode. */
#define random(...)                                                                                                \
    __builtin_choose_expr(sizeof(#__VA_ARGS__) == 1, (random)(), kvn_random_below(__VA_ARGS__ + 0))
#endif
#endif

#ifndef __cplusplus
#if !defined(KVN_OWN_max) && !defined(max)
#define max(a, b) (((a) > (b)) ? (a) : (b))
#endif
#if !defined(KVN_OWN_min) && !defined(min)
#define min(a, b) (((a) < (b)) ? (a) : (b))
#endif
#endif

#endif
