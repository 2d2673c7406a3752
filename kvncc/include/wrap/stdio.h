/* <stdio.h> that keeps gets() for the programs written before it was
   removed from the languages (C11, C++14): the system library still has
   it, only its declaration is hidden. Part of KVN; kvncc finds it before
   the system's own <stdio.h>, which it includes first, for every C and
   C++ program. A program with a gets() of its own gets -DKVN_OWN_gets
   from kvncc, which hides our declaration. */
#pragma GCC system_header
#include_next <stdio.h>

#ifndef KVN_COMPAT_WRAP_STDIO_H
#define KVN_COMPAT_WRAP_STDIO_H

/* The old library flushed every stream at once. */
#ifndef KVN_OWN_flushall
#ifdef __cplusplus
extern "C"
#endif
int flushall(void);
#endif
/* The same under the name of the Windows compilers. */
#ifndef KVN_OWN__flushall
#ifdef __cplusplus
extern "C"
#endif
int _flushall(void);
#endif

#if !defined(KVN_OWN_gets) && defined(__GLIBC_USE_DEPRECATED_GETS)
#if !__GLIBC_USE_DEPRECATED_GETS
#ifdef __cplusplus
extern "C"
#endif
char *gets(char *line);
#endif
#endif

#endif
