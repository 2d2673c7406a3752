/* The additions of the old <stdlib.h>: numbers to text, and random
   numbers. Weak, like the whole old library, so that a program's own
   function of the same name wins. */
#include <wrap/stdlib.h>

#include <limits.h>
#include <string.h>
#include <time.h>

#define KVN_WEAK __attribute__((weak))

/* The classic contract: the caller's buffer is large enough for the
   digits. They are built here in a buffer of our own, large enough for
   any unsigned long in radix 2, and copied out whole. */
static char *digits(unsigned long magnitude, int negative, char *string, int radix)
{
    char text[sizeof(unsigned long) * CHAR_BIT + 2];
    char *p = text + sizeof text;
    if (radix < 2 || radix > 36) {
        *string = '\0';
        return string;
    }
    *--p = '\0';
    do {
        *--p = "0123456789abcdefghijklmnopqrstuvwxyz"[magnitude % (unsigned long)radix];
        magnitude /= (unsigned long)radix;
    } while (magnitude);
    if (negative)
        *--p = '-';
    memcpy(string, p, (size_t)(text + sizeof text - p));
    return string;
}

KVN_WEAK char *itoa(int value, char *string, int radix)
{
    if (radix == 10 && value < 0)
        return digits(0UL - (unsigned long)value, 1, string, radix);
    return digits((unsigned int)value, 0, string, radix);
}

KVN_WEAK char *ltoa(long value, char *string, int radix)
{
    if (radix == 10 && value < 0)
        return digits(0UL - (unsigned long)value, 1, string, radix);
    return digits((unsigned long)value, 0, string, radix);
}

KVN_WEAK char *ultoa(unsigned long value, char *string, int radix)
{
    return digits(value, 0, string, radix);
}

/* Scaled rather than taken modulo n, so that every number is about as
   likely as the others. */
KVN_WEAK int kvn_random_below(int n)
{
    if (n <= 0)
        return 0;
    return (int)((long long)rand() * n / ((long long)RAND_MAX + 1));
}

/* random(int) of C++ for a program that declares it itself, as it could
   beside the old header's inline one, and so hides ours. */
KVN_WEAK int kvn_random_cpp(int n) __asm__("_Z6randomi");
KVN_WEAK int kvn_random_cpp(int n)
{
    return kvn_random_below(n);
}

KVN_WEAK void randomize(void)
{
    srand((unsigned int)time(NULL));
}
