/* The same header under the spelling of the Windows file system, which
   did not tell upper from lower case. Part of KVN. */
#include "windows.h"
