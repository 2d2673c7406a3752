/* <iostream.h> for programs written before C++ had namespaces: the
   standard streams, reachable without std::, as those programs expect.
   Part of KVN; kvncc finds this folder after every other include folder. */
#ifndef KVN_COMPAT_IOSTREAM_H
#define KVN_COMPAT_IOSTREAM_H

#ifndef __cplusplus
#error "<iostream.h> is C++: give the file a .cpp name, or compile it as C++ with -P"
#endif

#include <cstdlib> /* system(), exit() and friends came along with it */
#include <iostream>

using namespace std;

/* The console of those systems showed output at once. Flushing after every
   insertion keeps "Enter a number:" and system("pause") in the order the
   program wrote them. */
namespace kvn_compat {
static const bool cout_unbuffered __attribute__((unused)) = (std::cout.setf(std::ios::unitbuf), true);
}

#endif
