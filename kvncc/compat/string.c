/* The string functions of the old <string.h>. Weak, like the whole old
   library, so that a program's own function of the same name wins; the
   comparisons share a static helper rather than calling one another for
   the same reason. */
#include <wrap/string.h>

#include <ctype.h>

#define KVN_WEAK __attribute__((weak))

KVN_WEAK char *strupr(char *text)
{
    char *p;
    for (p = text; *p; ++p)
        *p = (char)toupper((unsigned char)*p);
    return text;
}

KVN_WEAK char *strlwr(char *text)
{
    char *p;
    for (p = text; *p; ++p)
        *p = (char)tolower((unsigned char)*p);
    return text;
}

KVN_WEAK char *strrev(char *text)
{
    size_t length = strlen(text);
    if (length > 1) {
        char *front = text, *back = text + length - 1;
        for (; front < back; ++front, --back) {
            const char c = *front;
            *front = *back;
            *back = c;
        }
    }
    return text;
}

KVN_WEAK char *strset(char *text, int ch)
{
    char *p;
    for (p = text; *p; ++p)
        *p = (char)ch;
    return text;
}

/* Stops at the end of the string, even when count is larger. */
KVN_WEAK char *strnset(char *text, int ch, size_t count)
{
    char *p;
    for (p = text; *p && count > 0; ++p, --count)
        *p = (char)ch;
    return text;
}

/* The difference of the first characters that differ once both are in
   lower case: '_' sorts before the letters, as it did. */
static int compare_folded(const char *a, const char *b, size_t count)
{
    for (; count > 0; ++a, ++b, --count) {
        const int ca = tolower((unsigned char)*a), cb = tolower((unsigned char)*b);
        if (ca != cb || ca == 0)
            return ca - cb;
    }
    return 0;
}

KVN_WEAK int stricmp(const char *a, const char *b)
{
    return compare_folded(a, b, (size_t)-1);
}

KVN_WEAK int strcmpi(const char *a, const char *b)
{
    return compare_folded(a, b, (size_t)-1);
}

KVN_WEAK int strnicmp(const char *a, const char *b, size_t count)
{
    return compare_folded(a, b, count);
}

KVN_WEAK int strncmpi(const char *a, const char *b, size_t count)
{
    return compare_folded(a, b, count);
}
