/* <iomanip.h> for programs written before C++ had namespaces: setw,
   setprecision and the other manipulators, the format flags as
   manipulators, and everything of <iostream.h>. Part of KVN. */
#ifndef KVN_COMPAT_IOMANIP_H
#define KVN_COMPAT_IOMANIP_H

#include <iostream.h>
#include <iomanip>

using std::resetiosflags;
using std::setbase;
using std::setfill;
using std::setiosflags;
using std::setprecision;
using std::setw;

using std::boolalpha;
using std::fixed;
using std::internal;
using std::noboolalpha;
using std::noshowbase;
using std::noshowpoint;
using std::noshowpos;
using std::noskipws;
using std::nouppercase;
using std::scientific;
using std::showbase;
using std::showpoint;
using std::showpos;
using std::skipws;
using std::uppercase;
/* Names a program may well give its own variables: kvncc passes
   -DKVN_OWN_left or -DKVN_OWN_right when it does. */
#ifndef KVN_OWN_left
using std::left;
#endif
#ifndef KVN_OWN_right
using std::right;
#endif

#endif
