/* <fstream.h> for programs written before C++ had namespaces: file
   streams, and everything of <iostream.h>. Part of KVN. */
#ifndef KVN_COMPAT_FSTREAM_H
#define KVN_COMPAT_FSTREAM_H

#include <iostream.h>
#include <fstream>

#endif
