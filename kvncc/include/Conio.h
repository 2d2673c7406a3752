/* The same header under the spelling of the old file systems, which did
   not tell upper from lower case. Part of KVN. */
#include "conio.h"
