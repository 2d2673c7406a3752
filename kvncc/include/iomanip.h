/* <iomanip.h> for programs written before C++ had namespaces: setw,
   setprecision and the other manipulators, and everything of
   <iostream.h>. Part of KVN. */
#ifndef KVN_COMPAT_IOMANIP_H
#define KVN_COMPAT_IOMANIP_H

#include <iostream.h>
#include <iomanip>

#endif
