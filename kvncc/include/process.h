/* <process.h> of the classic DOS and Windows compilers: exit(), system()
   and the process functions, which the system has in <stdlib.h> and
   <unistd.h>. Part of KVN. */
#ifndef KVN_COMPAT_PROCESS_H
#define KVN_COMPAT_PROCESS_H

#include <stdlib.h>
#include <unistd.h>

#endif
