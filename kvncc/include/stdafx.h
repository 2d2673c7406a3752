/* The precompiled header of the console projects of Visual Studio, for a
   program whose own one did not come along: what the project template put
   in it. A program's own stdafx.h beside it is found first. Part of KVN. */
#ifndef KVN_COMPAT_STDAFX_H
#define KVN_COMPAT_STDAFX_H

#include <stdio.h>
#include <tchar.h>

#endif
