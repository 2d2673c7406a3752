/* <mem.h> of the classic DOS and Windows compilers: the memory functions
   of <string.h>, and movmem and setmem, whose arguments come in another
   order. Part of KVN. */
#ifndef KVN_COMPAT_MEM_H
#define KVN_COMPAT_MEM_H

#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Copies length bytes from source to destination; they may overlap. */
#ifndef KVN_OWN_movmem
void movmem(const void *source, void *destination, unsigned length);
#endif
#ifndef KVN_OWN_setmem
void setmem(void *destination, unsigned length, char value);
#endif

#ifdef __cplusplus
}
#endif

#endif
