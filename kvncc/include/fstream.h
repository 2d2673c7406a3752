/* <fstream.h> for programs written before C++ had namespaces: file
   streams, and everything of <iostream.h>. Part of KVN. */
#ifndef KVN_COMPAT_FSTREAM_H
#define KVN_COMPAT_FSTREAM_H

#include <iostream.h>
#include <fstream>

using std::filebuf;
using std::fstream;
using std::ifstream;
using std::ofstream;

/* ios::nocreate and ios::noreplace of the old streams, as no mode at all:
   an input file must exist anyway, and an output file is made or
   replaced as the standard streams do. */
#ifndef nocreate
#define nocreate openmode()
#endif
#if !defined(noreplace) && !defined(__cpp_lib_ios_noreplace)
#define noreplace openmode()
#endif

#endif
