/* The precompiled header of the later console projects of Visual Studio,
   for a program whose own one did not come along: the template's was
   empty. A program's own pch.h beside it is found first. Part of KVN. */
#ifndef KVN_COMPAT_PCH_H
#define KVN_COMPAT_PCH_H
#endif
