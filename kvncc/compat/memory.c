/* <alloc.h> and <mem.h>: the far memory of the old segmented machines is
   plain memory here. Weak, like the whole old library, so that a
   program's own function of the same name wins. */
#define _DEFAULT_SOURCE
#include <alloc.h>
#include <mem.h>

#include <unistd.h>

#define KVN_WEAK __attribute__((weak))

KVN_WEAK void *farmalloc(unsigned long size)
{
    return malloc(size);
}

KVN_WEAK void *farcalloc(unsigned long count, unsigned long size)
{
    return calloc(count, size);
}

KVN_WEAK void *farrealloc(void *block, unsigned long size)
{
    return realloc(block, size);
}

KVN_WEAK void farfree(void *block)
{
    free(block);
}

static unsigned long free_memory(void)
{
    const long pages = sysconf(_SC_AVPHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    return pages > 0 && size > 0 ? (unsigned long)pages * (unsigned long)size : 0;
}

KVN_WEAK unsigned long coreleft(void)
{
    return free_memory();
}

KVN_WEAK unsigned long farcoreleft(void)
{
    return free_memory();
}

KVN_WEAK void movmem(const void *source, void *destination, unsigned length)
{
    memmove(destination, source, length);
}

KVN_WEAK void setmem(void *destination, unsigned length, char value)
{
    memset(destination, value, length);
}
