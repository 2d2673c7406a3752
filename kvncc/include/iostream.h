/* <iostream.h> for programs written before C++ had namespaces: the names
   the old header gave them, reachable without std::, and no more, so that
   a program's own max(), count or list does not meet the standard
   library's. Part of KVN; kvncc finds this folder after every other
   include folder. */
#ifndef KVN_COMPAT_IOSTREAM_H
#define KVN_COMPAT_IOSTREAM_H

#ifndef __cplusplus
#error "<iostream.h> is C++: give the file a .cpp name, or compile it as C++ with -P"
#endif

/* system(), exit(), strcpy() and friends came along with it; through the
   wrappers, so do itoa() and the other old additions. */
#include <cstdlib>
#include <stdlib.h>
#include <string.h>
#include <iostream>

using std::cerr;
using std::cin;
using std::clog;
using std::cout;
using std::dec;
using std::endl;
using std::ends;
using std::flush;
using std::hex;
using std::ios;
using std::iostream;
using std::istream;
using std::oct;
using std::ostream;
using std::streambuf;
using std::ws;

/* The console of those systems showed output at once. Flushing after every
   insertion keeps "Enter a number:" and system("pause") in the order the
   program wrote them. */
namespace kvn_compat {
static const bool cout_unbuffered __attribute__((unused)) = (std::cout.setf(std::ios::unitbuf), true);
}

#endif
