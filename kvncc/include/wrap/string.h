/* <string.h> with the string functions of the classic DOS and Windows
   compilers added: strupr, strlwr, strrev, strset, strnset, and the
   comparisons that ignore case (stricmp, strcmpi, strnicmp, strncmpi).
   Part of KVN; kvncc finds it before the system's own <string.h>, which
   it includes first, for every C and C++ program.

   The functions live in KVN's old library. A program that defines one of
   these names itself gets -DKVN_OWN_<name> from kvncc, which hides our
   declaration, so its own one, of whatever signature, never clashes. */
#pragma GCC system_header
#include_next <string.h>

#ifndef KVN_COMPAT_WRAP_STRING_H
#define KVN_COMPAT_WRAP_STRING_H

#ifdef __cplusplus
extern "C" {
#endif

#ifndef KVN_OWN_strupr
char *strupr(char *text);
#endif
#ifndef KVN_OWN_strlwr
char *strlwr(char *text);
#endif
#ifndef KVN_OWN_strrev
char *strrev(char *text);
#endif
#ifndef KVN_OWN_strset
char *strset(char *text, int ch);
#endif
#ifndef KVN_OWN_strnset
char *strnset(char *text, int ch, size_t count);
#endif
/* Compare as if both were in lower case. */
#ifndef KVN_OWN_stricmp
int stricmp(const char *a, const char *b);
#endif
#ifndef KVN_OWN_strcmpi
int strcmpi(const char *a, const char *b);
#endif
#ifndef KVN_OWN_strnicmp
int strnicmp(const char *a, const char *b, size_t count);
#endif
#ifndef KVN_OWN_strncmpi
int strncmpi(const char *a, const char *b, size_t count);
#endif

#ifdef __cplusplus
}
#endif

#endif
