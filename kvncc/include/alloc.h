/* <alloc.h> of the classic DOS and Windows compilers: the malloc family,
   and its far variants, which are the same thing in a flat memory. Part
   of KVN. */
#ifndef KVN_COMPAT_ALLOC_H
#define KVN_COMPAT_ALLOC_H

#include <stdlib.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef KVN_OWN_farmalloc
void *farmalloc(unsigned long size);
#endif
#ifndef KVN_OWN_farcalloc
void *farcalloc(unsigned long count, unsigned long size);
#endif
#ifndef KVN_OWN_farrealloc
void *farrealloc(void *block, unsigned long size);
#endif
#ifndef KVN_OWN_farfree
void farfree(void *block);
#endif
/* The memory the system has free. */
#ifndef KVN_OWN_coreleft
unsigned long coreleft(void);
#endif
#ifndef KVN_OWN_farcoreleft
unsigned long farcoreleft(void);
#endif

#ifdef __cplusplus
}
#endif

#endif
